// TPagedFile: a file of a fixed-size header followed by fixed-size records (or, for memo files, blocks),
// read with pread through a read-ahead buffer of whole records within 64 KiB. This build only reads: every
// access mode opens the file for reading, so opening never changes a byte and a write-protected file opens.
// Locks and writes are left out because nothing reaches them.
#pragma once

#include <QByteArray>
#include <QString>

#include <QtGlobal>

enum class TPagedFileMode {
    pfReadWriteOpen,   // shared: the record count follows the file size on each request
    pfExclusiveOpen,   // not shared: the size is taken once
    pfReadOnly,        // shared
};

class TPagedFile {
public:
    TPagedFile() = default;
    ~TPagedFile();
    Q_DISABLE_COPY_MOVE(TPagedFile)

    // Opens the file for reading; throws EDbfError "Open: file not found" or a read error.
    void open(const QString& fileName, TPagedFileMode mode);
    void close();
    bool isOpen() const { return m_fd >= 0; }
    const QString& fileName() const { return m_fileName; }
    TPagedFileMode mode() const { return m_mode; }
    bool isShared() const { return m_mode != TPagedFileMode::pfExclusiveOpen; }

    // Size of the file now (re-read for shared files) and as last seen.
    qint64 fileSize();
    // Reads up to length bytes at offset; bytes past the end are not read. Returns the bytes read; a read that
    // fails throws EDbfError ("Cannot read ...") with the system's reason.
    qint64 readBlock(qint64 offset, char* buffer, qint64 length) const;

    // Record layout: records start at headerSize and are recordSize bytes long.
    void setRecordLayout(qint64 headerSize, qint64 recordSize);
    qint64 recordSize() const { return m_recordSize; }
    qint64 headerSize() const { return m_headerSize; }
    qint64 recordOffset(qint64 recordNumber) const { return m_headerSize + (recordNumber - 1) * m_recordSize; }
    // (file size - header size) div record size, never below 0; 0 for a record size of 0.
    qint64 recordCount();
    // Reads record n (1-based) into buffer (recordSize bytes); returns the bytes read, less than a whole
    // record at the end of the file.
    qint64 readRecord(qint64 recordNumber, char* buffer);

private:
    void fillReadAhead(qint64 recordNumber);

    QString m_fileName;
    TPagedFileMode m_mode = TPagedFileMode::pfReadOnly;
    int m_fd = -1;
    qint64 m_fileSize = 0;
    qint64 m_headerSize = 0;
    qint64 m_recordSize = 0;
    qint64 m_cachedCount = 0;
    qint64 m_countForSize = -1;   // the file size the cached count was computed from
    QByteArray m_readAhead;       // whole records
    qint64 m_readAheadFirst = 0;  // record number of its first record
    qint64 m_readAheadValid = 0;  // bytes valid in it
};
