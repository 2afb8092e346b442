// The list file's text and the rows of a string grid. A line is one record; fields are split at every
// occurrence of the delimiter (no quoting) and trimmed of blanks and control characters; a delimiter that
// ends the line adds no field; empty lines are skipped, so a line of blanks is one empty field. Written
// back, each row's cells are joined by the delimiter, with CR LF after every line, in UTF-8; a cell that holds a
// line break or the delimiter is written flattened (below), so that it never splits its record.
#pragma once

#include <QByteArray>
#include <QStringList>
#include <QStringView>

#include <functional>

class QIODevice;
class StringGrid;

// The fields of one line (the list file's SplitListLine); an empty line has none, an empty delimiter
// leaves the line whole.
QStringList splitListLine(QStringView line, QStringView delimiter);

// Told the number of lines read so far, every few thousand lines and at the end; false stops the reading
// there (the rows read so far stay).
using ReadProgress = std::function<bool(int linesRead)>;

// Appends one row per record of the UTF-8 text at the end of grid, widening the grid to the widest record,
// and returns the number of rows added. Rows are stored straight from the text, without a QString per cell.
int appendDelimitedText(StringGrid& grid, QByteArrayView utf8, QStringView delimiter,
                        const ReadProgress& progress = {});
// The same for the bytes of a file, decoded by the rules of text_file.h piece by piece.
int appendDelimitedFileBytes(StringGrid& grid, const QByteArray& bytes, QStringView delimiter,
                             const ReadProgress& progress = {});

// A cell as one field of a list line: each CR LF, CR or LF becomes one blank, and each occurrence of the
// delimiter a blank (a blank delimiter has nothing to put in its place and stays). Answers whether the cell
// had to change; only then is out set (the UTF-8 form) or cell changed (the text form).
bool flattenListCell(QByteArrayView cell, QByteArrayView delimiter, QByteArray& out);
bool flattenListCell(QString& cell, QStringView delimiter);

// Rows firstRow .. rowCount()-1 as list-file bytes, or written to device (false when a write fails). Cells are
// flattened; *cellsChanged, when given, is set to the number of cells that had to be.
QByteArray delimitedLines(const StringGrid& grid, QStringView delimiter, int firstRow = 1, int* cellsChanged = nullptr);
bool writeDelimitedLines(QIODevice& device, const StringGrid& grid, QStringView delimiter, int firstRow = 1,
                         int* cellsChanged = nullptr);
