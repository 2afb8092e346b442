// The desktop's default handler of a MIME type, as "xdg-mime query default TYPE" names it: a desktop file
// name such as "browser.desktop", or empty when there is none. Runs xdg-mime (no shell) and waits for it
// at most five seconds; a missing xdg-mime, a failure or an answer that is no desktop file name gives empty.
#pragma once

#include <QString>

QString queryDefaultMimeHandler(const QString& mimeType);
