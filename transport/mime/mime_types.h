// TMimeManager: the table of known MIME types kept in "mime.def" (fixed 333-byte records, no header),
// created with 25 built-in rows when missing. A damaged file is never rewritten: its whole records are used,
// or the built-in rows when none could be read. Texts are in the ANSI code page; at most 2000 records.
#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

struct MimeTypeRecord {
    QString mimeType;       // up to 40 characters
    quint8 flag = 0;        // the viewer flag
    QString description;    // up to 30 characters
    QString viewer;         // up to 255 characters; empty = the program the desktop associates with the file
    QString extension;      // without the dot, up to 3 characters; empty = none
};

class TMimeManager {
public:
    static constexpr int kRecordSize = 333;
    static constexpr int kMaxRecords = 2000;

    // Reads fileName, or creates it with the built-in rows when it does not exist.
    explicit TMimeManager(const QString& fileName);

    QString fileName() const { return m_fileName; }
    int count() const { return int(m_records.size()); }
    // Record number 1..count().
    const MimeTypeRecord& record(int number) const { return m_records.at(number - 1); }

    // Record number of the type (case ignored, first match), 0 when absent.
    int IndexOfType(const QString& mimeType) const;
    // The type of a file by the first three characters of its extension; "application/octet-stream" when
    // nothing matches.
    QString TypeForFile(const QString& fileName) const;
    // As TypeForFile, but empty when no record lists the extension.
    QString ListedTypeForFile(const QString& fileName) const;
    // The record's flag; 0 for record 1 and for unknown types.
    int ViewerFlag(const QString& mimeType) const;
    // Starts the type's viewer (or the desktop's program for the file) with the file as its one argument.
    bool ViewFile(const QString& fileName, const QString& mimeType) const;

    // The program the desktop opens the file with, or "" when the file or such a program is missing.
    static QString AssociatedProgram(const QString& fileName);

    static QList<MimeTypeRecord> builtInRecords();
    static QByteArray encodeRecord(const MimeTypeRecord& record);
    // Decodes one record of kRecordSize bytes; a length byte larger than its field is clamped to it.
    static MimeTypeRecord decodeRecord(QByteArrayView bytes);

private:
    void load();
    void createWithBuiltInRows();

    QString m_fileName;
    QList<MimeTypeRecord> m_records;
};
