// Remove duplicates: drops every record row that repeats, in any checked column, a value of an earlier row.
// Values are compared without letter case; empty cells are values like any other. A row's checked columns are
// looked at in order and the look stops at the first repeat, so the values before it count as seen.
#pragma once

#include <functional>
#include <vector>

class StringGrid;

// Told the rows examined so far every few thousand rows (the scan is not stopped: a half-done removal would
// leave the user unsure what was dropped).
using DuplicateProgress = std::function<void(int rowsDone)>;

// Removes the duplicate rows of grid among rows 1 .. RowCount-1 by the columns marked in checked (index =
// column) and answers how many went. No row kept leaves RowCount 2 with row 1 blank; row 0 is untouched.
int removeDuplicateRows(StringGrid& grid, const std::vector<bool>& checked, const DuplicateProgress& progress = {});
