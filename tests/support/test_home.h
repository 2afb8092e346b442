// Per-test program folder: every test runs with SORVANTA_HOME set to a fresh, empty temporary folder
// that is removed when the test ends. testHome() gives its path with a trailing "/".
#pragma once

#include <QString>

namespace sorvanta::test {

QString testHome();

// Path of a file below tests/ in the source tree (fixtures, golden files).
QString sourcePath(const QString& relative);

}  // namespace sorvanta::test
