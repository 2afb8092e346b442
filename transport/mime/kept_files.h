// Files of a message kept in their wire form, so a file that every message of a run carries is read and
// encoded once. A file is found again only under the same path and coding with the same size and
// modification time, so a file changed during the run is read again. The kept files stay under
// kMaxBytes together: the oldest make room, and a file larger than that is never kept.
#pragma once

#include "transport/mime/smtp_data_stream.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <memory>

// One block of a part as the stream wrote it, from the state the block before left.
struct ComposedBlock {
    QByteArray wire;
    SmtpDataStream::State after;
    qsizetype source = 0;           // bytes of the part the block was made from
};

// A file as written from the start of a line.
struct ComposedFile {
    qint64 size = 0;
    QList<ComposedBlock> blocks;
};

// Says whether a file's content is what it was, without reading it; an unusable path gives an invalid key.
struct FileKey {
    QString path;
    int coding = 0;
    qint64 size = -1;
    qint64 modifiedNs = 0;

    static FileKey of(const QString& path, int coding);
    bool isValid() const { return size >= 0; }
    // Small enough to be recorded while it is written (its wire form stays under KeptFiles::kMaxBytes).
    bool worthKeeping() const;
    friend bool operator==(const FileKey&, const FileKey&) = default;
};

class KeptFiles {
public:
    static constexpr qsizetype kMaxBytes = 8 * 1024 * 1024;

    // The file as it was written before, or null.
    std::shared_ptr<const ComposedFile> find(const FileKey& key) const;
    void keep(const FileKey& key, ComposedFile file);

private:
    struct Kept {
        FileKey key;
        std::shared_ptr<const ComposedFile> file;
        qsizetype bytes = 0;
    };
    QList<Kept> m_files;            // oldest first
    qsizetype m_bytes = 0;
};
