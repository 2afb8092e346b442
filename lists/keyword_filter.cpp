// The keyword filter's model: see keyword_filter.h.

#include "lists/keyword_filter.h"

#include "core/project/list_file.h"
#include "lists/folded_value_set.h"
#include "lists/substring_matcher.h"
#include "platform/string_grid_delimited.h"

#include <QFile>
#include <QFileInfo>

namespace {

constexpr int kProgressRows = 4096;

void appendCellsWithSemicolons(QByteArray& out, const StringGrid& grid, int row, std::vector<QByteArrayView>& cells)
{
    grid.rowUtf8(row, cells);
    for (int column = 0; column < grid.columnCount(); ++column) {
        if (std::size_t(column) < cells.size())
            out.append(cells[std::size_t(column)]);
        out.append(';');
    }
    out.append("\r\n");
}

QString withExtension(const QString& chosen, const QString& extension)
{
    return chosen.endsWith(extension, Qt::CaseInsensitive) ? chosen : chosen + extension;
}

}  // namespace

KeywordMatcher::KeywordMatcher(const StringGrid& keywords, int keywordColumn, KeywordMatch mode)
    : m_mode(mode)
{
    if (mode == KeywordMatch::Exact)
        m_exact = std::make_unique<FoldedValueSet>(CaseFolding::Full);
    else
        m_contains = std::make_unique<SubstringMatcher>();
    for (int row = 1; row < keywords.rowCount(); ++row) {
        const QByteArrayView keyword = keywords.cellUtf8(keywordColumn, row);
        if (m_exact)
            m_exact->insert(keyword);
        else
            m_contains->addPattern(keyword);
    }
    if (m_contains)
        m_contains->finish();
}

KeywordMatcher::~KeywordMatcher() = default;

bool KeywordMatcher::matches(QByteArrayView cellUtf8) const
{
    return m_mode == KeywordMatch::Exact ? m_exact->contains(cellUtf8) : m_contains->matches(cellUtf8);
}

KeywordFileResult loadKeywordFile(StringGrid& keywords, const QString& fileName, QChar delimiter)
{
    KeywordFileResult result;
    QByteArray bytes;
    if (QFileInfo(fileName).isFile()) {
        QFile file(fileName);
        if (file.open(QIODevice::ReadOnly))
            bytes = file.readAll();
        if (!file.isOpen() || file.error() != QFileDevice::NoError) {
            result = {false, file.errorString()};
            bytes.clear();
        }
    }
    keywords.bulkChange([&] {
        keywords.setRowCount(1);
        keywords.setColumnCount(1);
        keywords.clear();
        appendDelimitedFileBytes(keywords, bytes, QStringView(&delimiter, 1));
        if (keywords.rowCount() < 2)
            keywords.setRowCount(2);
        TitleListColumns(keywords);
    });
    return result;
}

QByteArray keywordFileBytes(const StringGrid& keywords)
{
    QByteArray out;
    std::vector<QByteArrayView> cells;
    for (int row = 1; row < keywords.rowCount(); ++row)
        appendCellsWithSemicolons(out, keywords, row, cells);
    return out;
}

QString keywordFileSaveName(const QString& chosen)
{
    return withExtension(chosen, QStringLiteral(".txt"));
}

QString removedRowsFileName(const QString& chosen)
{
    return withExtension(chosen, QStringLiteral(".del"));
}

std::vector<bool> matchingRows(const StringGrid& list, int listColumn, const KeywordMatcher& matcher,
                               const FilterProgress& progress)
{
    std::vector<bool> marked(std::size_t(list.rowCount()), false);
    for (int row = 1; row < list.rowCount(); ++row) {
        if (progress && row % kProgressRows == 0)
            progress(row);
        marked[std::size_t(row)] = matcher.matches(list.cellUtf8(listColumn, row));
    }
    if (progress)
        progress(list.rowCount() - 1);
    return marked;
}

StringGrid takeMarkedRows(StringGrid& list, const std::vector<bool>& marked)
{
    StringGrid removed(list.columnCount(), 0);
    removed.setFixedRows(0);
    std::vector<QByteArrayView> cells;
    for (int row = 1; row < list.rowCount() && std::size_t(row) < marked.size(); ++row) {
        if (!marked[std::size_t(row)])
            continue;
        list.rowUtf8(row, cells);
        removed.appendRowUtf8(cells);
    }
    std::vector<bool> notTitles = marked;
    if (!notTitles.empty())
        notTitles[0] = false;
    list.removeMarkedRows(notTitles);
    if (list.rowCount() < 2)
        list.setRowCount(2);
    return removed;
}

QByteArray removedRowsBytes(const StringGrid& removed)
{
    QByteArray out;
    std::vector<QByteArrayView> cells;
    for (int row = 0; row < removed.rowCount(); ++row)
        appendCellsWithSemicolons(out, removed, row, cells);
    return out;
}
