// Tables written by other programs for the tests: runs the fixture scripts of tests/dbase (Debian's python3
// or perl, so a python found earlier on PATH is not used) and reads a table whole through the data set.
#pragma once

#include "dbase/dbf.h"
#include "tests/support/test_home.h"

#include <QProcess>
#include <QStringList>

namespace dbftest {

constexpr int NotInstalled = 3;   // the scripts' exit code when the package they need is missing

// Runs a script of tests/dbase with its interpreter; its exit code and output.
inline std::pair<int, QString> runScript(const QString& interpreter, const QString& script,
                                         const QStringList& arguments)
{
    QProcess process;
    process.start(interpreter, QStringList{sorvanta::test::sourcePath("dbase/" + script)} + arguments);
    if (!process.waitForFinished(60000))
        return {-1, {}};
    return {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput())};
}

inline std::pair<int, QString> runPython(const QString& script, const QStringList& arguments)
{
    return runScript("/usr/bin/python3", script, arguments);
}

// Every record shown, its fields' texts joined by "|".
inline QStringList readThroughDataSet(const QString& path)
{
    TDbf dbf;
    dbf.setTableName(path);
    dbf.setReadOnly(true);
    dbf.Open();
    QStringList rows;
    for (; !dbf.Eof(); dbf.Next()) {
        QStringList cells;
        for (int i = 0; i < dbf.FieldCount(); ++i)
            cells.append(dbf.Fields(i).AsString());
        rows.append(cells.join('|'));
    }
    return rows;
}

}  // namespace dbftest
