// What the clients of one direct-delivery run share so that a part every message carries is built once:
// the text and HTML parts in their wire form, found again when the lines are the same (merged text
// misses and is built per recipient), and the picture and attachment files (kept_files.h). Single thread:
// the clients of a run all live on the GUI thread.
#pragma once

#include "transport/mime/kept_files.h"

#include <QByteArray>
#include <QList>

#include <memory>

// Text or HTML lines as the writer puts them on the wire, from the start of a line.
struct WrittenLines {
    QList<QByteArray> lines;
    QByteArray wire;
    bool eightBit = false;      // the lines hold bytes of 128 or more
    bool quoted = false;        // wire is their quoted-printable form (for a server without 8BITMIME)
};

class MimePartCache {
public:
    // The text (html false) or HTML part written last in that form (quoted-printable or as it is), when it
    // was made of these lines; else null.
    std::shared_ptr<const WrittenLines> lines(const QList<QByteArray>& lines, bool html, bool quoted) const;
    void keepLines(bool html, std::shared_ptr<const WrittenLines> written);
    KeptFiles& files() { return m_files; }

private:
    std::shared_ptr<const WrittenLines> m_lines[2][2];  // [text, HTML][as it is, quoted-printable]
    KeptFiles m_files;
};
