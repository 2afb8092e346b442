// A font set with a family that more than one foundry makes, as Debian's URW fonts are: copies of an installed
// DejaVu font whose OS/2 vendor tag (the foundry fontconfig reports) is changed. The caller registers them
// with the font database; the files are left as they are.
#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QtEndian>

namespace sorvanta::test {

// Not the family pages fall back to, so that applying it changes the page.
inline constexpr char kSplitFontFile[] = "/usr/share/fonts/truetype/dejavu/DejaVuSansMono.ttf";
inline constexpr char kSplitFontFamily[] = "DejaVu Sans Mono";

// The font's bytes with its OS/2 table's achVendID (offset 58, four letters) set to vendor; empty when the
// font cannot be read or has no OS/2 table.
inline QByteArray fontWithVendor(const char* fontFile, const char (&vendor)[5])
{
    QFile file(QString::fromLatin1(fontFile));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QByteArray font = file.readAll();
    if (font.size() < 12)
        return {};
    const int tables = qFromBigEndian<quint16>(font.constData() + 4);
    for (int i = 0; i < tables && 12 + 16 * (i + 1) <= font.size(); ++i) {
        const char* entry = font.constData() + 12 + 16 * i;
        const quint32 offset = qFromBigEndian<quint32>(entry + 8);
        if (QByteArray(entry, 4) == "OS/2" && offset + 62 <= quint32(font.size()))
            return font.replace(qsizetype(offset) + 58, 4, vendor, 4);
    }
    return {};
}

}  // namespace sorvanta::test
