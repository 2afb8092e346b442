// Helpers for fuzz targets whose parser reads a file: one scratch folder per process (removed at exit),
// made the program folder ($SORVANTA_HOME), and writing the input bytes into a file there. The folder is in
// memory (/dev/shm) where the machine has one, so the saves' fsync costs nothing and the runs stay fast.
#pragma once

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QString>
#include <QTemporaryDir>

#include <cstdlib>

namespace fuzzfiles {

inline const QString& scratchFolder()
{
    static QTemporaryDir folder(QFileInfo(QStringLiteral("/dev/shm")).isWritable()
                                    ? QStringLiteral("/dev/shm/sorvanta-fuzz-XXXXXX")
                                    : QDir::tempPath() + QStringLiteral("/sorvanta-fuzz-XXXXXX"));
    static const QString path = [] {
        if (!folder.isValid())
            std::abort();
        qputenv("SORVANTA_HOME", folder.path().toUtf8());
        return folder.path() + QStringLiteral("/");
    }();
    return path;
}

inline QString writeScratchFile(const QString& name, const QByteArray& bytes)
{
    const QString path = scratchFolder() + name;
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
        std::abort();
    return path;
}

inline QByteArray readScratchFile(const QString& name)
{
    QFile file(scratchFolder() + name);
    if (!file.open(QIODevice::ReadOnly))
        std::abort();
    return file.readAll();
}

}  // namespace fuzzfiles
