// The list editor's working copy without its window: the copy of the caller's list grid, the Modified and
// Changed flags, the column-count rule ("Column n" titles), New, Open and Save As of delimited text files,
// records added and deleted, and the lines an extraction hands back. The copies in and back are whole grid
// copies: nothing can stop one half-way. Save As never clears Modified, so closing still writes the copy back.
#pragma once

#include "platform/string_grid.h"
#include "platform/string_grid_delimited.h"

#include <QString>
#include <QStringList>

struct ListFileOutcome {
    bool ok = true;
    QString error;          // why the file could not be read or written
    bool stopped = false;   // the load was stopped; the rows read so far stay
    int cellsChanged = 0;   // a save: cells written with blanks for their line breaks or delimiters
};

class ListEditorModel {
public:
    ListEditorModel(const QString& listFileName, const QString& delimiter);

    StringGrid& grid() { return m_grid; }
    const StringGrid& grid() const { return m_grid; }
    const QString& listFileName() const { return m_listFileName; }
    QString delimiter() const { return m_delimiter; }
    void setDelimiter(const QString& delimiter) { m_delimiter = delimiter; }
    bool modified() const { return m_modified; }
    bool changed() const { return m_changed; }
    // The column-count control's position (at least 1).
    int columnSetting() const { return m_columnSetting; }

    // The caller's list becomes the copy, titled, not modified.
    void copyIn(const StringGrid& caller);
    // The Save button: a modified copy goes back into caller and Modified clears. Answers whether it did.
    bool save(StringGrid& caller);
    // Closing the window: a modified copy goes back into caller. Answers Changed.
    bool close(StringGrid& caller);

    // The column-count rule: count columns titled "Column 1" ..; marks the copy modified.
    void setColumnCount(int count);
    // The columns from the first up to the last that holds a non-empty cell in a record row (0 for none):
    // a column count below it would drop data.
    int columnsHoldingData() const;
    // An empty list of the set column count: row 0 and row 1 blank.
    void newList();
    // Loads fileName (a missing file is New); Modified is then set exactly when fileName is not the list file.
    // A file that cannot be read leaves the copy as it was.
    ListFileOutcome open(const QString& fileName, const ReadProgress& progress = {});
    // Writes rows 1 .. RowCount-1 joined by the delimiter, cells flattened; Modified stays as it is.
    ListFileOutcome saveAs(const QString& fileName) const;

    // Add Record: a blank row at the end; answers its index.
    int addRecord();
    // Delete Record: removes row (a record row); the only record is blanked instead.
    void deleteRecord(int row);
    void markModified() { m_modified = true; }

    // Result lines of an extraction, each read as comma text: the first fills row 1 of an empty list, every
    // other line adds a row; the grid widens to columnCount and to the widest line. Values are flattened for
    // the delimiter; answers the number of cells that had to be.
    int takeExtractedLines(const QStringList& lines, int columnCount);

private:
    void title(int count);
    void copyBack(StringGrid& caller);

    StringGrid m_grid;
    QString m_listFileName;
    QString m_delimiter;
    int m_columnSetting = 1;
    bool m_modified = false;
    bool m_changed = false;
};
