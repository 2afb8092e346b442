// A path the user typed or pasted into a folder picker, made absolute and clean: surrounding blanks and one
// pair of quotes dropped, a "file://" address (what a file manager puts on the clipboard) turned into its
// path, a leading "~" into the home folder, a relative path taken from folder. Empty text gives an empty path.
#pragma once

#include <QString>

QString typedPath(const QString& text, const QString& folder);
