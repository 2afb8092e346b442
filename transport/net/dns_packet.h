// DNS packets for the MX query: the query datagram built from a checked name, and the reply parsed into
// the fields TDnsQuery keeps. Pure functions over bytes, no I/O. The parser reads nothing it has not
// checked against the length: a reply that would need a read past the end, a forward or looping
// compression pointer, an over-long name or short RDATA is rejected whole (std::nullopt).
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>

#include <optional>

namespace dns {

constexpr int MaxDatagramSize = 512;     // UDP without EDNS (RFC 1035 section 4.2.1)
constexpr int HeaderSize = 12;
constexpr int MaxStoredRecords = 50;     // answers, MX records and addresses kept per reply
constexpr quint16 TypeA = 1;
constexpr quint16 TypeCname = 5;
constexpr quint16 TypeMx = 15;
constexpr quint16 ClassIn = 1;

// The 12-byte header: flags = opcode * 2048 + recursionDesired * 256, then the four counts.
QByteArray buildHeader(quint16 id, int opcode, bool recursionDesired, quint16 qdCount, quint16 anCount,
                       quint16 nsCount, quint16 arCount);

// The wire form of a name: length-prefixed labels and a zero byte; a trailing "." adds no label.
// std::nullopt when a label is empty or longer than 63 bytes or the name exceeds 253 bytes (RFC 1035 2.3.4).
std::optional<QByteArray> encodeName(QByteArrayView name);

// A standard query with RD set for one question; std::nullopt when the name is not valid.
std::optional<QByteArray> buildQuery(quint16 id, QByteArrayView name, quint16 qtype = TypeMx,
                                     quint16 qclass = ClassIn);

struct Answer {
    QString name;
    int type = 0;
    int recordClass = 0;
    quint32 ttl = 0;
    int tag = -1;   // index into mxRecords (type 15) or addresses (type 1); -1 otherwise or when full
};

struct MxRecord {
    int preference = 0;
    QString exchange;
};

struct Reply {
    quint16 id = 0;
    int responseCode = 0;
    int opcode = 0;
    bool authoritative = false;
    bool truncated = false;
    bool recursionAvailable = false;
    int qdCount = 0;
    int anCount = 0;
    int nsCount = 0;
    int arCount = 0;
    QString questionName;          // the first question; "" with type and class 0 when there is none
    int questionType = 0;
    int questionClass = 0;
    QList<Answer> answers;         // the first 50 answers
    QList<MxRecord> mxRecords;     // at most 50
    QList<quint32> addresses;      // at most 50 IPv4 addresses, in network byte order as received
};

// Parses a reply datagram; std::nullopt for anything that is not a well-formed response (shorter than a
// header, QR clear, or malformed anywhere in the question or answer sections).
std::optional<Reply> parseReply(QByteArrayView packet);

// A response to query id with the TC bit set: the answer did not fit the datagram and must be asked for
// again over TCP (RFC 7766). Looks at the header only, since the sections of such a reply may be cut.
bool isTruncatedResponse(QByteArrayView packet, quint16 id);

// Decodes the name at offset (a compression pointer must land before the segment it sits in) and moves
// offset behind it;
// std::nullopt when it is malformed.
std::optional<QString> decodeName(QByteArrayView packet, qsizetype& offset);

}  // namespace dns
