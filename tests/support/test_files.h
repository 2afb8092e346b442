// Small file helpers for tests: write a fixture's bytes, read a written file's bytes back, and put a file of
// a given name in the test's home.
#pragma once

#include "tests/support/test_home.h"

#include <gtest/gtest.h>

#include <QByteArray>
#include <QFile>
#include <QString>

namespace sorvanta::test {

inline void writeFileBytes(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
    file.write(bytes);
}

// The file's bytes, or "<missing>" when it cannot be read.
inline QByteArray readFileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

// The file's bytes; a file that cannot be read fails the test and gives no bytes.
inline QByteArray readExistingFileBytes(const QString& path)
{
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
    return file.readAll();
}

// Writes bytes to a file of that name in the test's home and returns its path.
inline QString writeTestFile(const QString& name, const QByteArray& bytes)
{
    const QString path = testHome() + name;
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
    file.write(bytes);
    return path;
}

}  // namespace sorvanta::test
