// Windows-style file masks: "*" any run, "?" one character, matched without case; "*.*" matches every
// name (also names without a dot). Several masks may be joined by ";".
#pragma once

#include <QString>

bool matchesFileMask(const QString& fileName, const QString& mask);
