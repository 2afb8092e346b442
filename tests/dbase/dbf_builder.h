// Test helper that writes tables and memo files byte by byte from the published layouts: the 32-byte header
// (68 for dBase VII), 32- or 48-byte descriptors, 0x0D, FoxPro's 263-byte backlink, the dBase VII properties
// block, records and the end mark; ".dbt" in its III and IV forms and ".fpt". Damaged files start from these.
#pragma once

#include <QByteArray>
#include <QList>
#include <QtEndian>

#include <cstring>

namespace dbftest {

struct FieldSpec {
    QByteArray name;
    char type;
    int length;
    int decimals = 0;
    quint8 flags = 0;   // FoxPro descriptor byte 18 (2: nullable)
};

inline void putU16(QByteArray& bytes, int at, quint16 value) { qToLittleEndian(value, bytes.data() + at); }
inline void putU32(QByteArray& bytes, int at, quint32 value) { qToLittleEndian(value, bytes.data() + at); }

class TableBuilder {
public:
    TableBuilder(quint8 version, QList<FieldSpec> fields) : m_version(version), m_fields(std::move(fields)) {}
    TableBuilder& language(quint8 id) { m_language = id; return *this; }
    TableBuilder& driverName(const QByteArray& name) { m_driverName = name; return *this; }
    TableBuilder& properties(const QByteArray& block) { m_properties = block; return *this; }
    TableBuilder& indexFlag(quint8 flag) { m_indexFlag = flag; return *this; }
    TableBuilder& storedCount(quint32 count) { m_storedCount = count; m_countGiven = true; return *this; }
    // One record: text values are blank-padded (or cut) to the field's length; binary values of exactly the
    // field's length are kept as given.
    TableBuilder& record(const QList<QByteArray>& values, bool deleted = false)
    {
        QByteArray record(1, deleted ? '*' : ' ');
        for (int i = 0; i < m_fields.size(); ++i) {
            QByteArray value = i < values.size() ? values[i] : QByteArray();
            value = value.left(m_fields[i].length);
            record += value + QByteArray(m_fields[i].length - value.size(), ' ');
        }
        m_records.append(record);
        return *this;
    }

    bool isSeven() const { return (m_version & 7) == 4; }
    bool isFoxPro() const { return (m_version & 7) == 2 || (m_version & 7) == 5 || m_version == 0x30 || m_version == 0x31; }
    int fixedPart() const { return isSeven() ? 68 : 32; }
    int descriptorSize() const { return isSeven() ? 48 : 32; }
    int headerSize() const
    {
        return fixedPart() + descriptorSize() * int(m_fields.size()) + 1 + (isFoxPro() ? 263 : 0)
               + int(m_properties.size());
    }
    int recordSize() const
    {
        int size = 1;
        for (const FieldSpec& field : m_fields)
            size += field.length;
        return size;
    }

    QByteArray header() const
    {
        QByteArray bytes(headerSize(), '\0');
        bytes[0] = char(m_version);
        bytes[1] = char(124), bytes[2] = char(5), bytes[3] = char(17);
        putU32(bytes, 4, m_countGiven ? m_storedCount : quint32(m_records.size()));
        putU16(bytes, 8, quint16(headerSize()));
        putU16(bytes, 10, quint16(recordSize()));
        bytes[28] = char(m_indexFlag);
        bytes[29] = char(m_language);
        if (isSeven())
            std::memcpy(bytes.data() + 32, m_driverName.constData(), size_t(qMin(m_driverName.size(), 32)));
        int at = fixedPart();
        int offset = 1;
        for (const FieldSpec& field : m_fields) {
            std::memcpy(bytes.data() + at, field.name.constData(), size_t(qMin(field.name.size(), isSeven() ? 31 : 10)));
            bytes[at + (isSeven() ? 32 : 11)] = field.type;
            const bool bigChar = isFoxPro() && field.type == 'C' && field.length > 255;
            bytes[at + (isSeven() ? 33 : 16)] = char(field.length & 0xFF);
            bytes[at + (isSeven() ? 34 : 17)] = char(bigChar ? field.length >> 8 : field.decimals);
            if (isFoxPro()) {
                putU32(bytes, at + 12, quint32(offset));
                bytes[at + 18] = char(field.flags);
            }
            offset += field.length;
            at += descriptorSize();
        }
        bytes[at] = 0x0D;
        std::memcpy(bytes.data() + at + 1, m_properties.constData(), size_t(m_properties.size()));
        return bytes;
    }

    QByteArray bytes() const
    {
        QByteArray bytes = header();
        for (const QByteArray& record : m_records)
            bytes += record;
        return bytes + '\x1A';
    }

private:
    quint8 m_version;
    QList<FieldSpec> m_fields;
    quint8 m_language = 0;
    QByteArray m_driverName;
    QByteArray m_properties;
    quint8 m_indexFlag = 0;
    quint32 m_storedCount = 0;
    bool m_countGiven = false;
    QList<QByteArray> m_records;
};

struct MemoFile {
    QByteArray bytes;
    QList<int> blocks;   // the first block of each memo
};

enum class MemoKind { DbaseIII, DbaseIV, FoxPro };

// A memo file holding the memos in order, each starting on a fresh block after the 512-byte header.
inline MemoFile buildMemoFile(MemoKind kind, int blockSize, const QList<QByteArray>& memos)
{
    MemoFile file;
    file.bytes = QByteArray(512, '\0');
    const auto padToBlock = [&] {
        const int rest = int(file.bytes.size() % blockSize);
        if (rest != 0)
            file.bytes += QByteArray(blockSize - rest, '\0');
    };
    padToBlock();
    for (const QByteArray& memo : memos) {
        file.blocks.append(int(file.bytes.size() / blockSize));
        if (kind == MemoKind::DbaseIII) {
            file.bytes += memo + "\x1A\x1A";
        } else if (kind == MemoKind::DbaseIV) {
            QByteArray head("\xFF\xFF\x08\x00\0\0\0\0", 8);
            putU32(head, 4, quint32(memo.size() + 8));
            file.bytes += head + memo;
        } else {
            QByteArray head(8, '\0');
            qToBigEndian(quint32(1), head.data());
            qToBigEndian(quint32(memo.size()), head.data() + 4);
            file.bytes += head + memo;
        }
        padToBlock();
    }
    const quint32 nextFree = quint32(file.bytes.size() / blockSize);
    if (kind == MemoKind::FoxPro) {
        qToBigEndian(nextFree, file.bytes.data());
        qToBigEndian(quint16(blockSize), file.bytes.data() + 6);
    } else {
        putU32(file.bytes, 0, nextFree);
        if (kind == MemoKind::DbaseIII)
            file.bytes[16] = 3;
        else
            putU16(file.bytes, 20, quint16(blockSize));
    }
    return file;
}

// A memo field's stored block number: right-aligned digits for a 10-byte field, u32 for a 4-byte one.
inline QByteArray blockField(int block, int length = 10)
{
    if (length == 4) {
        QByteArray bytes(4, '\0');
        putU32(bytes, 0, quint32(block));
        return bytes;
    }
    return QByteArray::number(block).rightJustified(length, ' ');
}

}  // namespace dbftest
