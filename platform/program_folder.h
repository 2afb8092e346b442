// The program folder, where every file the program keeps beside itself lives ("setupkrn.ini", "mime.def",
// language files, "logs/", ...): $SORVANTA_HOME when set, else the executable's folder. Always ends in "/".
#pragma once

#include <QString>

QString programFolderPath();

// A file the program ships beside its executable ("charset.txt"): the program folder's copy when there is
// one ($SORVANTA_HOME first, so a user's own list wins), else the one beside the executable; empty when
// neither exists.
QString shippedFilePath(const QString& name);
