// Reading a text file for the import wizard: its lines decoded by the program's text rules, or with "Dos"
// every byte from the code-page service's OEM page. A file with a NUL byte (outside UTF-16) is not text, and
// a line longer than MaxLineBytes is refused, so a binary file or a runaway line gives a message, not a
// preview of garbage or a window that never finishes drawing.
#pragma once

#include <QByteArrayView>
#include <QString>
#include <QStringList>

struct ImportTextFile {
    bool ok = false;
    QString error;      // why the file cannot be imported as text
    QStringList lines;
};

inline constexpr qsizetype MaxLineBytes = 1 << 20;

ImportTextFile readImportTextFile(const QString& fileName, bool dos);
// The same for bytes already read.
ImportTextFile decodeImportText(const QByteArray& bytes, bool dos);
