// Where tests keep their files. Every test program first moves the user's home and the XDG folders (HOME,
// XDG_CONFIG_HOME, XDG_DATA_HOME, XDG_CACHE_HOME, XDG_RUNTIME_DIR) into one temporary folder of its own, before any
// application object exists, so that nothing a test runs (Qt's own settings, the web engine's profile, servers it
// starts) reads or writes the real home; the folder is removed when the program ends. Every test then runs with
// SORVANTA_HOME set to a fresh, empty temporary folder that is removed when the test ends; testHome() gives its
// path with a trailing "/".
#pragma once

#include <QString>

namespace sorvanta::test {

// Points the home and the XDG folders at a temporary folder for the rest of the process; called once by
// test_main before anything else.
void isolateFromUserHome();

QString testHome();

// Path of a file below tests/ in the source tree (fixtures, golden files).
QString sourcePath(const QString& relative);

}  // namespace sorvanta::test
