// Header texts of the direct-delivery path made safe for the wire: control characters (TAB, VT, FF, RS,
// NEL, ...) from merge fields become blanks, and a display name with characters outside ASCII becomes
// RFC 2047 encoded words in the message's charset, as the external path writes them. A text that is plain
// ASCII after the blanking is returned byte for byte.
#pragma once

#include "transport/mime/charsets.h"

#include <QByteArray>
#include <QString>

// Every control character (Unicode category Cc: C0, DEL and C1) replaced by a blank.
QString withControlsBlanked(QString text);
// A header value as encoded words of the charset where it is not plain ASCII; firstLineUsed characters
// ("Subject: ") stand before it on its first line. Longer values are folded ("\r\n ") between words.
QByteArray encodeHeaderValue(const QString& text, TMimeChar charset, qsizetype firstLineUsed);
// A mailbox ("Name <address>", "\"Name\" <address>" or "<address>"): only the display name is encoded,
// without its quotes; the address goes as it stands in the charset (encoded words may not stand in it).
QByteArray encodeMailboxHeader(const QString& text, TMimeChar charset, qsizetype firstLineUsed);
