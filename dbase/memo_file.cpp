// Memo reading: see memo_file.h.

#include "dbase/memo_file.h"

#include <QtEndian>

namespace memoformat {
namespace {

constexpr char DbaseIvSignature[] = "\xFF\xFF\x08\x00";
constexpr char EndMark = 0x1A;
constexpr quint8 DbaseIvMemoBit = 0x08;

// dBase III memos (and dBase IV blocks without the signature): the data end at a 0x1A followed by 0x1A or 0,
// or by the end of the file. Reads one block at a time; bounded by the file.
QByteArray readMarked(qint64 start, int blockSize, qint64 fileSize, const ReadAt& readAt)
{
    QByteArray data;
    QByteArray block(blockSize + 1, '\0');
    for (qint64 at = start; at < fileSize; at += blockSize) {
        const qint64 got = readAt(at, block.data(), blockSize + 1);   // one byte of the next block too
        if (got <= 0)
            break;
        const qint64 inBlock = std::min<qint64>(got, blockSize);
        for (qint64 i = 0; i < inBlock; ++i) {
            if (block[i] != EndMark)
                continue;
            if (i + 1 >= got || block[i + 1] == EndMark || block[i + 1] == '\0')
                return data.append(block.constData(), i);
        }
        data.append(block.constData(), inBlock);
    }
    return data;
}

// A memo whose length is stated: copies from dataStart, cut at the end of the file.
QByteArray readSized(qint64 dataStart, qint64 length, qint64 fileSize, const ReadAt& readAt)
{
    length = std::min(length, fileSize - dataStart);
    if (length <= 0)
        return {};
    QByteArray data(length, Qt::Uninitialized);
    data.resize(readAt(dataStart, data.data(), length));
    return data;
}

}  // namespace

Layout layoutOf(TableFamily family, quint8 versionByte)
{
    switch (family) {
    case TableFamily::DbaseIII: return (versionByte & DbaseIvMemoBit) != 0 ? Layout::DbaseIV : Layout::DbaseIII;
    case TableFamily::DbaseIV:
    case TableFamily::DbaseVII: return Layout::DbaseIV;
    case TableFamily::FoxPro: return Layout::FoxPro;
    }
    Q_UNREACHABLE();
}

int blockSize(Layout layout, QByteArrayView header)
{
    if (header.size() < HeaderSize)
        return HeaderSize;
    switch (layout) {
    case Layout::DbaseIII:
        return HeaderSize;
    case Layout::DbaseIV: {
        // 0 is what dBase III-style headers hold there; reading nothing would lose every memo.
        const int size = qFromLittleEndian<quint16>(header.data() + 20);
        return (quint8(header[16]) & 0x7F) != 0 || size == 0 ? HeaderSize : size;
    }
    case Layout::FoxPro: {
        const int size = qFromBigEndian<quint16>(header.data() + 6);
        return size == 0 ? HeaderSize : size;
    }
    }
    Q_UNREACHABLE();
}

QByteArray readMemo(Layout layout, int blockSize, qint64 blockNumber, qint64 fileSize, const ReadAt& readAt)
{
    if (blockNumber < 1 || blockSize <= 0 || blockNumber > fileSize / blockSize)
        return {};
    const qint64 start = blockNumber * blockSize;
    if (layout == Layout::DbaseIII)
        return readMarked(start, blockSize, fileSize, readAt);
    char blockHeader[8] = {};
    if (readAt(start, blockHeader, 8) != 8)
        return {};
    if (layout == Layout::FoxPro)
        return readSized(start + 8, qFromBigEndian<quint32>(blockHeader + 4), fileSize, readAt);
    if (QByteArrayView(blockHeader, 4) != QByteArrayView(DbaseIvSignature, 4))
        return readMarked(start, blockSize, fileSize, readAt);
    const qint64 stated = qFromLittleEndian<quint32>(blockHeader + 4);   // counts the 8 header bytes
    return readSized(start + 8, stated - 8, fileSize, readAt);
}

}  // namespace memoformat

TPagedMemoFile::TPagedMemoFile(const QString& fileName, TPagedFileMode mode, memoformat::Layout layout)
    : m_layout(layout)
{
    m_file.open(fileName, mode);
    QByteArray header(memoformat::HeaderSize, '\0');
    m_file.readBlock(0, header.data(), header.size());
    m_blockSize = memoformat::blockSize(layout, header);
}

QByteArray TPagedMemoFile::readMemo(qint64 blockNumber)
{
    const auto readAt = [this](qint64 offset, char* buffer, qint64 length) {
        return m_file.readBlock(offset, buffer, length);
    };
    return memoformat::readMemo(m_layout, m_blockSize, blockNumber, m_file.fileSize(), readAt);
}
