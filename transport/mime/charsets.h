// The MIME charsets a message may be written in (TMimeChar), their names, and conversion between them
// through this module's own tables: 20 single-byte charsets, UCS-2, UCS-4 (big-endian), UTF-8 and UTF-7.
// A character the target cannot hold becomes "_" (fitsCharset tells beforehand); malformed input decodes as
// U+FFFD. No iconv here.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

enum class TMimeChar {
    ISO_8859_1,
    ISO_8859_2,
    ISO_8859_3,
    ISO_8859_4,
    ISO_8859_5,
    ISO_8859_6,
    ISO_8859_7,
    ISO_8859_8,
    ISO_8859_9,
    ISO_8859_10,
    CP1250,
    CP1251,
    CP1252,
    CP1253,
    CP1254,
    CP1255,
    CP1256,
    CP1257,
    CP1258,
    KOI8_R,
    UCS_2,
    UCS_4,
    UTF_8,
    UTF_7,
};

// The charset a MIME charset name stands for ("windows-1251", "x-cp1250", "unicode-1-1-utf-8", ...);
// a name it does not know gives ISO_8859_1.
TMimeChar CharsetFromName(const QString& name);
// The MIME name of a charset ("ISO-8859-1", "WINDOWS-1250", "KOI8-R", "Unicode-1-1-UCS-2", "UTF-8", ...).
QString CharsetName(TMimeChar charset);
// The charset of the system's ANSI code page (UTF_8 on a UTF-8 locale).
TMimeChar CurrentCharset();
// The charset of a Windows code-page number: 65001 UTF-8, 1250..1258, 2859n ISO-8859-n, 20866 KOI8-R;
// any other page gives CP1251.
TMimeChar charsetOfCodePage(int codePage);

// True when any byte of the text is 128 or above.
bool NeedsConversion(QByteArrayView text);
QByteArray ConvertCharset(QByteArrayView text, TMimeChar from, TMimeChar to);

// Text in memory to and from the bytes of a charset.
QByteArray encodeInCharset(const QString& text, TMimeChar charset);
// True when the charset holds every character of the text, so that encodeInCharset loses none.
bool fitsCharset(const QString& text, TMimeChar charset);
QString decodeFromCharset(QByteArrayView bytes, TMimeChar charset);
