// Tells whether a table's text is UTF-8, for tables whose header names no code page: every text value seen
// is valid UTF-8 (a character cut short by the end of its fixed-width field allowed) and at least one byte lies
// outside ASCII. One invalid value settles it; text in a legacy page almost never passes as UTF-8.
#pragma once

#include <QByteArrayView>

class Utf8Probe {
public:
    void add(QByteArrayView text);
    // An invalid value was seen: nothing more can make the text UTF-8.
    bool failed() const { return !m_valid; }
    bool isUtf8() const { return m_valid && m_nonAscii; }

private:
    bool m_valid = true;
    bool m_nonAscii = false;
};

enum class Utf8Form {
    Ascii,     // every byte below 0x80, but for a character cut short at the end
    Utf8,      // valid UTF-8 with a whole character outside ASCII (the last one may be cut short)
    Invalid,
};
Utf8Form utf8FormOf(QByteArrayView bytes);
