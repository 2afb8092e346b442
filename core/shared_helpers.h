// Small helpers many windows and tools share: splitting a delimited text, joining paths, the message box,
// reading a whole text file, finding an MDI child by class name, the charset part of a CharSet setting and
// the program folder. The Date-header text lives in core/mail_date.h. No state is kept here.
#pragma once

#include "core/mail_date.h"

#include <QString>
#include <QStringList>

#include <optional>

class QMdiArea;
class StringList;

// Removes leading and trailing blanks and control characters (every character up to U+0020).
QString trimBlanks(const QString& text);

// Cuts text at separator into items trimmed by trimBlanks. Empty inner items stay, a leading separator gives an
// empty first item, one trailing separator adds no item; an empty text gives no item.
QStringList splitTextItems(QChar separator, const QString& text);
// The same items, filling list (cleared first).
void SplitText(QChar separator, const QString& text, StringList& list);

// folder and name with exactly one separator between them; every "\" and "/" becomes separator.
QString JoinPath(const QString& folder, const QString& name, QChar separator);

// A message box owned by the application's active window; answers IDOK, IDYES, ... (platform/message_box.h).
int ShowMessageBox(const QString& text, const QString& caption, unsigned flags);

// The whole file decoded as the program's text files are (platform/text_file.h). Answers false and leaves text
// unchanged when the file cannot be read; an empty file also leaves text unchanged.
bool ReadTextFile(const QString& fileName, QString& text);

// Index among area's sub-windows (in creation order) of the first whose widget's class name equals className
// ignoring case, or -1.
int FindMdiChild(const QMdiArea* area, const QString& className);

// The MIME charset of a CharSet setting: the text after the first ",", or the whole text.
QString CharsetPart(const QString& charSet);

// The program folder with a trailing "/" (platform/program_folder.h); files beside the program live there.
QString ProgramFolder();

// The number of connections a text gives: a whole number of at least 1, else nullopt.
std::optional<int> parseConnectionCount(const QString& text);
