// DB Maker project files (".cnd") and result hand-over, without a window. A project is text lines of values
// joined by "|": line 0 the folder and the mask, line 1 eleven run settings each followed by "|", then one
// line of 9 cells per named field. Values are trimmed when read, so a value with "|" or of blanks only cannot
// be stored as it is: such values are named at save time (and a "|" is left out) instead of shifting the
// values after them.
#pragma once

#include "lists/db_maker_settings.h"

#include <QString>
#include <QStringList>

// Settings from the lines of a project file, over defaults (a missing line keeps the defaults' values; a
// missing value of line 1 leaves an edit empty and a box unchecked).
DbMakerSettings parseDbMakerProject(const QStringList& lines, const DbMakerSettings& defaults);
QStringList dbMakerProjectLines(const DbMakerSettings& settings);

// The values that the file cannot hold as they are, named by the caller's texts: settingNames for the 13
// values of lines 0 and 1 (folder, mask, then line 1 in file order), columnTitles for the 9 field cells.
QStringList unstorableProjectValues(const DbMakerSettings& settings, const QStringList& settingNames,
                                    const QStringList& columnTitles);

// Reads a project over settings; false (settings untouched) when the file is missing or unreadable.
bool loadDbMakerProject(const QString& path, DbMakerSettings& settings);
// Writes the project atomically; false with *error when that fails.
bool saveDbMakerProject(const QString& path, const DbMakerSettings& settings, QString* error = nullptr);

// The lines of a result file: the file name, then each value after the delimiter.
QStringList dbMakerResultLines(const QList<QStringList>& rowsWithCaption, QChar delimiter);

// path with ".cnd" (or another extension) added when its name has none.
QString withDefaultExtension(const QString& path, const QString& extension);
// The default name of the result file: the last 4 characters replaced by ".txt".
QString defaultResultFileName(const QString& resultFileName);

// What "Apply && Exit" hands back: one comma text per row, and the largest number of values.
struct DbMakerHandBack {
    QStringList commaTexts;
    int columnCount = 0;
    void add(const QStringList& values);
};
