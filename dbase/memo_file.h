// Memo files beside a table: ".dbt" (dBase III: text ended by 0x1A 0x1A; dBase IV/VII: FF FF 08 00 and a
// length), ".fpt" (FoxPro: type and length, big-endian) and the null memo file that reads every memo as empty.
// Reading only. Every block number and stated length is a claim: a memo never reads past the memo file.
#pragma once

#include "dbase/dbf_field_def.h"
#include "dbase/paged_file.h"

#include <QByteArray>
#include <QByteArrayView>

#include <functional>
#include <memory>

namespace memoformat {

constexpr int HeaderSize = 512;

enum class Layout { DbaseIII, DbaseIV, FoxPro };
// The memo layout of a table. A table of the dBase III family (language byte 0) takes it from the version
// byte's memo bits, as other readers do: 0x08 set (0x8B, 0xCB, 0xFB) means dBase IV block headers.
Layout layoutOf(TableFamily family, quint8 versionByte);

// The block size a memo header (its first 512 bytes, zero-filled when the file is shorter) gives: dBase III
// always 512; dBase IV/VII the u16 at byte 20, or 512 when that is 0 or byte 16 has any of its low seven bits
// set (a dBase III file); FoxPro the big-endian u16 at byte 6, 512 when 0.
int blockSize(Layout layout, QByteArrayView header);

// Reads up to length bytes at offset into buffer and returns how many it read (fewer at the end of the file).
using ReadAt = std::function<qint64(qint64 offset, char* buffer, qint64 length)>;
// Memo n of a file of fileSize bytes; empty for block numbers below 1, block size 0 or a block past the end.
QByteArray readMemo(Layout layout, int blockSize, qint64 blockNumber, qint64 fileSize, const ReadAt& readAt);

}  // namespace memoformat

class TMemoFile {
public:
    virtual ~TMemoFile() = default;
    // The memo's bytes; empty when there is none.
    virtual QByteArray readMemo(qint64 blockNumber) = 0;
    virtual int blockSize() const = 0;
};

// dBase and FoxPro memo files differ only in their layout.
class TPagedMemoFile : public TMemoFile {
public:
    TPagedMemoFile(const QString& fileName, TPagedFileMode mode, memoformat::Layout layout);
    QByteArray readMemo(qint64 blockNumber) override;
    int blockSize() const override { return m_blockSize; }

private:
    TPagedFile m_file;
    memoformat::Layout m_layout;
    int m_blockSize = 0;
};

class TNullMemoFile : public TMemoFile {
public:
    QByteArray readMemo(qint64) override { return {}; }
    int blockSize() const override { return 0; }
};
