// Remove duplicates: see remove_duplicates.h. One set of folded values per checked column, and one pass that
// marks the rows to drop; the grid then removes them in one compaction.

#include "lists/remove_duplicates.h"

#include "lists/folded_value_set.h"
#include "platform/string_grid.h"

#include <memory>

namespace {

constexpr int kProgressRows = 4096;

}  // namespace

int removeDuplicateRows(StringGrid& grid, const std::vector<bool>& checked, const DuplicateProgress& progress)
{
    std::vector<std::pair<int, std::unique_ptr<FoldedValueSet>>> sets;
    for (int column = 0; column < grid.columnCount() && column < int(checked.size()); ++column)
        if (checked[std::size_t(column)])
            sets.emplace_back(column, std::make_unique<FoldedValueSet>(CaseFolding::Full));
    if (sets.empty())
        return 0;
    std::vector<bool> duplicate(std::size_t(grid.rowCount()), false);
    int removed = 0;
    for (int row = 1; row < grid.rowCount(); ++row) {
        if (progress && row % kProgressRows == 0)
            progress(row);
        for (auto& [column, seen] : sets) {
            if (!seen->insert(grid.cellUtf8(column, row))) {
                duplicate[std::size_t(row)] = true;
                ++removed;
                break;
            }
        }
    }
    sets.clear();
    grid.removeMarkedRows(duplicate);
    if (grid.rowCount() < 2)
        grid.setRowCount(2);   // the new row is blank
    if (progress)
        progress(grid.rowCount() - 1);
    return removed;
}
