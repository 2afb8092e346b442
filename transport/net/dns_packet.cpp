// DNS query building and reply parsing (RFC 1035 sections 4.1 and 3.3.9), every read checked.

#include "transport/net/dns_packet.h"

#include <QtEndian>

namespace dns {
namespace {

constexpr int MaxLabelLength = 63;
constexpr int MaxNameLength = 253;   // text form, without a trailing "."
constexpr int MaxPointerHops = 127;

void appendWord(QByteArray& out, quint16 value)
{
    out.append(char(value >> 8));
    out.append(char(value & 0xFF));
}

// A bounds-checked cursor over the packet.
class Reader {
public:
    explicit Reader(QByteArrayView packet, qsizetype offset = 0) : m_packet(packet), m_offset(offset) {}

    bool has(qsizetype count) const { return count <= m_packet.size() - m_offset; }
    std::optional<quint16> word()
    {
        if (!has(2))
            return std::nullopt;
        const quint16 value = qFromBigEndian<quint16>(m_packet.data() + m_offset);
        m_offset += 2;
        return value;
    }
    std::optional<quint32> doubleWord()
    {
        if (!has(4))
            return std::nullopt;
        const quint32 value = qFromBigEndian<quint32>(m_packet.data() + m_offset);
        m_offset += 4;
        return value;
    }
    std::optional<QString> name() { return decodeName(m_packet, m_offset); }
    bool skip(qsizetype count)
    {
        if (!has(count))
            return false;
        m_offset += count;
        return true;
    }
    qsizetype offset() const { return m_offset; }
    QByteArrayView packet() const { return m_packet; }

private:
    QByteArrayView m_packet;
    qsizetype m_offset;
};

struct RecordHeader {
    QString name;
    quint16 type;
    quint16 recordClass;
    quint32 ttl;
    qsizetype dataOffset;
    quint16 dataLength;
};

std::optional<RecordHeader> readRecordHeader(Reader& reader)
{
    auto name = reader.name();
    auto type = reader.word();
    auto recordClass = reader.word();
    auto ttl = reader.doubleWord();
    auto length = reader.word();
    if (!name || !type || !recordClass || !ttl || !length)
        return std::nullopt;
    const qsizetype dataOffset = reader.offset();
    if (!reader.skip(*length))
        return std::nullopt;   // RDLENGTH runs past the end
    return RecordHeader{*name, *type, *recordClass, *ttl, dataOffset, *length};
}

bool readQuestions(Reader& reader, Reply& reply)
{
    for (int i = 0; i < reply.qdCount; ++i) {
        auto name = reader.name();
        auto type = reader.word();
        auto questionClass = reader.word();
        if (!name || !type || !questionClass)
            return false;
        if (i == 0) {
            reply.questionName = *name;
            reply.questionType = *type;
            reply.questionClass = *questionClass;
        }
    }
    return true;
}

// Stores the record data of an MX or A answer; false when the data is malformed.
bool storeRecordData(QByteArrayView packet, const RecordHeader& record, Reply& reply, Answer& answer)
{
    if (record.type == TypeMx) {
        if (record.dataLength < 3)
            return false;
        Reader data(packet, record.dataOffset);
        const quint16 preference = *data.word();
        auto exchange = data.name();
        if (!exchange || data.offset() > record.dataOffset + record.dataLength)
            return false;   // the exchange name spills out of its RDATA
        if (reply.mxRecords.size() < MaxStoredRecords) {
            answer.tag = int(reply.mxRecords.size());
            reply.mxRecords.append({preference, *exchange});
        }
    } else if (record.type == TypeA) {
        if (record.dataLength < 4)
            return false;
        if (reply.addresses.size() < MaxStoredRecords) {
            answer.tag = int(reply.addresses.size());
            reply.addresses.append(qFromUnaligned<quint32>(packet.data() + record.dataOffset));
        }
    }
    return true;
}

bool readAnswers(Reader& reader, Reply& reply)
{
    for (int i = 0; i < reply.anCount; ++i) {
        auto record = readRecordHeader(reader);
        if (!record)
            return false;
        Answer answer{record->name, record->type, record->recordClass, record->ttl, -1};
        if (!storeRecordData(reader.packet(), *record, reply, answer))
            return false;
        if (reply.answers.size() < MaxStoredRecords)
            reply.answers.append(answer);
    }
    return true;
}

}  // namespace

QByteArray buildHeader(quint16 id, int opcode, bool recursionDesired, quint16 qdCount, quint16 anCount,
                       quint16 nsCount, quint16 arCount)
{
    QByteArray header;
    header.reserve(HeaderSize);
    appendWord(header, id);
    appendWord(header, quint16(opcode * 2048 + (recursionDesired ? 256 : 0)));
    for (const quint16 count : {qdCount, anCount, nsCount, arCount})
        appendWord(header, count);
    return header;
}

std::optional<QByteArray> encodeName(QByteArrayView name)
{
    if (name.endsWith('.'))
        name.chop(1);
    if (name.isEmpty() || name.size() > MaxNameLength)
        return std::nullopt;
    QByteArray wire;
    wire.reserve(name.size() + 2);
    qsizetype start = 0;
    while (start <= name.size()) {
        qsizetype end = name.indexOf('.', start);
        if (end < 0)
            end = name.size();
        const qsizetype length = end - start;
        if (length < 1 || length > MaxLabelLength)
            return std::nullopt;
        wire.append(char(length));
        wire.append(name.sliced(start, length));
        start = end + 1;
    }
    wire.append('\0');
    return wire;
}

std::optional<QByteArray> buildQuery(quint16 id, QByteArrayView name, quint16 qtype, quint16 qclass)
{
    const auto wireName = encodeName(name);
    if (!wireName)
        return std::nullopt;
    QByteArray query = buildHeader(id, 0, true, 1, 0, 0, 0);
    query.append(*wireName);
    appendWord(query, qtype);
    appendWord(query, qclass);
    return query;
}

std::optional<QString> decodeName(QByteArrayView packet, qsizetype& offset)
{
    QByteArray text;
    qsizetype position = offset;
    qsizetype segmentStart = offset;   // a pointer must land before the segment it sits in
    qsizetype end = -1;   // where the name ends in the record: behind the first pointer or the zero byte
    int hops = 0;
    while (true) {
        if (position < 0 || position >= packet.size())
            return std::nullopt;
        const quint8 length = quint8(packet[position]);
        if (length == 0) {
            if (end < 0)
                end = position + 1;
            break;
        }
        if ((length & 0xC0) == 0xC0) {
            if (position + 1 >= packet.size())
                return std::nullopt;
            const qsizetype target = (length & 0x3F) * 256 + quint8(packet[position + 1]);
            // Each jump must land before the segment it left, so the targets fall and no loop can form.
            if (target >= segmentStart || ++hops > MaxPointerHops)
                return std::nullopt;
            if (end < 0)
                end = position + 2;
            position = segmentStart = target;
            continue;
        }
        if ((length & 0xC0) != 0 || length > packet.size() - position - 1)
            return std::nullopt;   // extended label types, or a label running past the packet
        if (!text.isEmpty())
            text.append('.');
        text.append(packet.sliced(position + 1, length));
        if (text.size() > MaxNameLength)
            return std::nullopt;
        position += 1 + length;
    }
    offset = end;
    return QString::fromLatin1(text);
}

std::optional<Reply> parseReply(QByteArrayView packet)
{
    Reader reader(packet);
    if (!reader.has(HeaderSize))
        return std::nullopt;
    Reply reply;
    reply.id = *reader.word();
    const quint16 flags = *reader.word();
    if ((flags & 0x8000) == 0)
        return std::nullopt;   // a query, not a response
    reply.responseCode = flags & 15;
    reply.opcode = (flags >> 11) & 15;
    reply.authoritative = flags & 0x0400;
    reply.truncated = flags & 0x0200;
    reply.recursionAvailable = flags & 0x0080;
    reply.qdCount = *reader.word();
    reply.anCount = *reader.word();
    reply.nsCount = *reader.word();
    reply.arCount = *reader.word();
    if (!readQuestions(reader, reply) || !readAnswers(reader, reply))
        return std::nullopt;
    return reply;
}

bool isTruncatedResponse(QByteArrayView packet, quint16 id)
{
    if (packet.size() < HeaderSize)
        return false;
    const quint16 packetId = quint16((quint8(packet[0]) << 8) | quint8(packet[1]));
    const quint8 flags = quint8(packet[2]);
    return packetId == id && (flags & 0x80) != 0 && (flags & 0x02) != 0;
}

}  // namespace dns
