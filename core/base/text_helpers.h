// Small text helpers many windows and tools share: splitting a delimited text, joining paths, reading a whole
// text file, the charset part of a CharSet setting, the program folder and zero padding. No window, no state.
// The message box and the main window's services are in core/base/window_host.h.
#pragma once

#include <QString>
#include <QStringList>

#include <optional>

class StringList;

// The English texts of the windows' notes on list cells flattened for the list file (their line breaks and
// delimiters made blanks): after an import that wrote such cells, and after a save that wrote them so.
inline const char* const FlattenedCellsImportedText =
    "%1 cells held line breaks or the list's delimiter: blanks stand in their place.";
inline const char* const FlattenedCellsSavedText =
    "%1 cells held line breaks or the list's delimiter: the list file has blanks in their place.";

// Removes leading and trailing blanks and control characters (every character up to U+0020).
QString trimBlanks(const QString& text);

// Cuts text at separator into items trimmed by trimBlanks. Empty inner items stay, a leading separator gives an
// empty first item, one trailing separator adds no item; an empty text gives no item.
QStringList splitTextItems(QChar separator, const QString& text);
// The same items, filling list (cleared first).
void SplitText(QChar separator, const QString& text, StringList& list);

// folder and name with exactly one separator between them; every "\" and "/" becomes separator.
QString JoinPath(const QString& folder, const QString& name, QChar separator);

// The whole file decoded as the program's text files are (platform/text_file.h). Answers false and leaves text
// unchanged when the file cannot be read; an empty file also leaves text unchanged.
bool ReadTextFile(const QString& fileName, QString& text);

// The MIME charset of a CharSet setting: the text after the first ",", or the whole text.
QString CharsetPart(const QString& charSet);

// The program folder with a trailing "/" (platform/program_folder.h); files beside the program live there.
QString ProgramFolder();

// The number of connections a text gives: a whole number of at least 1, else nullopt.
std::optional<int> parseConnectionCount(const QString& text);

// value in decimal, right-aligned in width characters padded with "0" (width 0: plain; wider values stay whole).
QString ZeroPad(int value, int width);
