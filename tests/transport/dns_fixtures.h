// Builders for DNS reply fixtures and the table of hostile replies, shared by the packet and query tests.
#pragma once

#include <QByteArray>
#include <QList>

#include <initializer_list>
#include <vector>

namespace dns_fixtures {

inline QByteArray word(int value)
{
    return QByteArray(1, char((value >> 8) & 0xFF)) + QByteArray(1, char(value & 0xFF));
}
inline QByteArray label(const QByteArray& text) { return QByteArray(1, char(text.size())) + text; }
inline QByteArray root() { return QByteArray(1, '\0'); }
inline QByteArray pointerBytes(int offset) { return word(0xC000 | offset); }
inline QByteArray pointerTo(int offset) { return pointerBytes(offset); }

inline QByteArray wireName(const QByteArray& domain)
{
    QByteArray wire;
    for (const QByteArray& part : domain.split('.'))
        wire += label(part);
    return wire + root();
}

inline QByteArray header(int id, int flags, int qdCount, int anCount, int nsCount = 0, int arCount = 0)
{
    return word(id) + word(flags) + word(qdCount) + word(anCount) + word(nsCount) + word(arCount);
}

inline QByteArray question(const QByteArray& domain) { return wireName(domain) + word(15) + word(1); }

inline QByteArray record(const QByteArray& ownerWire, int type, const QByteArray& data)
{
    return ownerWire + word(type) + word(1) + QByteArray::fromHex("00000e10") + word(int(data.size())) + data;
}
inline QByteArray mx(const QByteArray& ownerWire, int preference, const QByteArray& exchangeWire)
{
    return record(ownerWire, 15, word(preference) + exchangeWire);
}
inline QByteArray a(const QByteArray& ownerWire, const char (&address)[5])
{
    return record(ownerWire, 1, QByteArray(address, 4));
}

// A response with one question (at offset 12, so pointerTo(12) names it) and the given answers.
inline QByteArray reply(int id, int flags, const QByteArray& domain, const QList<QByteArray>& answers)
{
    QByteArray packet = header(id, flags, 1, int(answers.size())) + question(domain);
    for (const QByteArray& answer : answers)
        packet += answer;
    return packet;
}

struct HostileCase {
    const char* name;
    QByteArray packet;
};

// Replies with ID 1 that a parser must reject whole without reading outside them.
inline std::vector<HostileCase> hostileReplies()
{
    const QByteArray q = question("x.test");   // 12 bytes, at offset 12
    const QByteArray answerName = pointerTo(12);
    QByteArray longQuestion;
    for (int i = 0; i < 5; ++i)
        longQuestion += label(QByteArray(63, 'l'));
    longQuestion += root() + word(15) + word(1);
    return {
        {"eleven_bytes", header(1, 0x8180, 0, 0).left(11)},
        {"qr_clear", header(1, 0x0100, 1, 0) + q},
        {"self_pointer", header(1, 0x8180, 1, 0) + pointerTo(12) + word(15) + word(1)},
        // The exchange at offset 38 is "a" and then a pointer back to 38.
        {"pointer_loop", header(1, 0x8180, 1, 1) + q + record(answerName, 15, word(1) + label("a") + pointerTo(38))},
        {"pointer_to_itself", header(1, 0x8180, 1, 1) + q + record(answerName, 15, word(1) + pointerTo(38))},
        {"forward_pointer", header(1, 0x8180, 1, 1) + q + record(pointerTo(200), 1, "\x01\x02\x03\x04")},
        {"pointer_past_end", header(1, 0x8180, 1, 1) + q + record(pointerBytes(0x3FFF), 1, "\x01\x02\x03\x04")},
        {"pointer_cut", header(1, 0x8180, 1, 0) + wireName("x").left(2) + QByteArray(1, char(0xC0))},
        {"label_past_end", header(1, 0x8180, 1, 0) + QByteArray(1, char(50)) + "short"},
        {"extended_label", header(1, 0x8180, 1, 0) + QByteArray(1, char(0x41)) + "abc" + root() + word(15) + word(1)},
        {"name_too_long", header(1, 0x8180, 1, 0) + longQuestion},
        {"rdlength_past_end", header(1, 0x8180, 1, 1) + q + answerName + word(1) + word(1) + QByteArray::fromHex("00000e10") + word(1000) + "\x01\x02\x03\x04"},
        {"inflated_ancount", header(1, 0x8180, 1, 65535) + q + mx(answerName, 1, label("m") + root())},
        {"inflated_qdcount", header(1, 0x8180, 65535, 0) + q},
        {"mx_rdata_short", header(1, 0x8180, 1, 1) + q + record(answerName, 15, word(1))},
        {"mx_name_spills", header(1, 0x8180, 1, 1) + q + record(answerName, 15, word(1) + QByteArray(1, char(3))) + "abc" + root()},
        {"a_rdata_short", header(1, 0x8180, 1, 1) + q + record(answerName, 1, "\x01\x02\x03")},
        {"record_header_cut", header(1, 0x8180, 1, 1) + q + answerName + word(15) + word(1)},
    };
}

}  // namespace dns_fixtures
