// The program folder, where every file the program keeps beside itself lives ("setupkrn.ini", "mime.def",
// language files, "logs/", ...): $SORVANTA_HOME when set, else the executable's folder. Always ends in "/".
#pragma once

#include <QString>

QString programFolderPath();
