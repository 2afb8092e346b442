// Reading a DB Maker file a piece at a time, so memory stays bounded whatever the file's size: a source of
// bytes (a regular file opened without blocking, its holes filled without reading them, or bytes in memory
// for tests and fuzzing) and a sliding buffer that holds a stretch of the file, with an ASCII-lowered copy
// beside it when searches need one. Offsets are the file's own; the buffer keeps what its user asks to keep
// and drops the rest.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QtGlobal>

#include <filesystem>
#include <functional>

// DB Maker reads 8 MB at a time.
inline constexpr qsizetype DbMakerPieceSize = 8 << 20;

class ByteSource {
public:
    virtual ~ByteSource() = default;
    // Up to length bytes into buffer; 0 at the end, -1 when the read fails.
    virtual qint64 read(char* buffer, qint64 length) = 0;
};

// A regular file; anything else (FIFO, device, folder) does not open, so it cannot hang the run.
class FileByteSource : public ByteSource {
public:
    FileByteSource() = default;
    ~FileByteSource() override { close(); }
    Q_DISABLE_COPY_MOVE(FileByteSource)

    bool open(const std::filesystem::path& path);
    void close();
    qint64 read(char* buffer, qint64 length) override;

private:
    // The bytes from the position to the next data of a sparse file; 0 when the next byte is data or the
    // file system cannot tell.
    qint64 holeAhead() const;

    int m_fd = -1;
    qint64 m_position = 0;
    qint64 m_size = 0;       // when opened
    bool m_sparse = false;   // fewer blocks than bytes: it may have holes
};

// Bytes in memory, handed out at most maxRead at a time (small pieces test the joins).
class MemoryByteSource : public ByteSource {
public:
    explicit MemoryByteSource(QByteArrayView bytes, qsizetype maxRead = DbMakerPieceSize)
        : m_bytes(bytes), m_maxRead(maxRead) {}
    qint64 read(char* buffer, qint64 length) override;

private:
    QByteArrayView m_bytes;
    qsizetype m_maxRead;
    qsizetype m_position = 0;
};

// Lowers the ASCII letters of from into to (length bytes each), so byte positions stay where they were.
void lowerAsciiInto(const char* from, char* to, qsizetype length);

class SlidingBuffer {
public:
    SlidingBuffer(qsizetype pieceSize, bool keepLowered) : m_pieceSize(pieceSize), m_keepLowered(keepLowered) {}
    Q_DISABLE_COPY_MOVE(SlidingBuffer)

    // Told the size of every piece read; answering false stops the reading (the buffer is then at its end
    // and stopped()), so a long scan through a huge record still sees Stop.
    using PieceHook = std::function<bool(qsizetype bytes)>;
    void setPieceHook(PieceHook hook) { m_pieceHook = std::move(hook); }
    // Starts on a new source; the memory already taken is kept for it.
    void reset(ByteSource* source);
    // File offsets of the first byte held and just past the last.
    qint64 begin() const { return m_begin; }
    qint64 end() const { return m_begin + m_used; }
    qsizetype pieceSize() const { return m_pieceSize; }
    // The source has nothing more (or failed).
    bool atEnd() const { return m_atEnd; }
    bool failed() const { return m_failed; }
    bool stopped() const { return m_stopped; }
    bool keepsLowered() const { return m_keepLowered; }
    // Bytes [from, to) as read and lowered; both offsets within begin()..end().
    QByteArrayView text(qint64 from, qint64 to) const { return view(m_data, from, to); }
    QByteArrayView lowered(qint64 from, qint64 to) const { return view(m_keepLowered ? m_lowered : m_data, from, to); }
    // Drops the bytes before keepFrom (at most end()) and reads one piece more; false when nothing came.
    bool readMore(qint64 keepFrom);

private:
    QByteArrayView view(const QByteArray& bytes, qint64 from, qint64 to) const
    {
        return QByteArrayView(bytes.constData() + (from - m_begin), to - from);
    }

    qsizetype m_pieceSize;
    bool m_keepLowered;
    ByteSource* m_source = nullptr;
    QByteArray m_data;      // capacity; the first m_used bytes are held
    QByteArray m_lowered;   // the same bytes lowered, when kept
    qint64 m_begin = 0;
    qsizetype m_used = 0;
    bool m_atEnd = true;
    bool m_failed = false;
    bool m_stopped = false;
    PieceHook m_pieceHook;
};
