// Index file layouts: see index_layout.h.

#include "dbase/index_layout.h"

#include "dbase/numeric_key.h"

#include <QtEndian>

namespace indexlayout {
namespace {

quint32 u32At(QByteArrayView bytes, int offset) { return qFromLittleEndian<quint32>(bytes.data() + offset); }
quint16 u16At(QByteArrayView bytes, int offset) { return qFromLittleEndian<quint16>(bytes.data() + offset); }

QByteArray zeroEnded(QByteArrayView bytes)
{
    const qsizetype end = bytes.indexOf('\0');
    return (end < 0 ? bytes : bytes.first(end)).toByteArray();
}

constexpr int SevenNameWidth = 33, FourNameWidth = 11;

}  // namespace

int entrySizeFor(int keyLength, int pointerSize)
{
    return (keyLength + pointerSize + 3) / 4 * 4;
}

int keysPerPageFor(const PageGeometry& geometry)
{
    return geometry.entrySize > 0 ? (geometry.pageSize - geometry.pageHeader) / geometry.entrySize : 0;
}

PageGeometry geometryFor(Kind kind, int keyLength)
{
    PageGeometry geometry;
    geometry.kind = kind;
    if (kind == Kind::Single) {
        geometry.pageSize = SinglePageSize;
        geometry.pageHeader = 4;
        geometry.pointerSize = 8;
    }
    geometry.keyLength = keyLength;
    geometry.entrySize = entrySizeFor(keyLength, geometry.pointerSize);
    geometry.keysPerPage = keysPerPageFor(geometry);
    return geometry;
}

std::variant<MultipleHeader, QString> parseMultipleHeader(QByteArrayView header)
{
    if (header.size() < MultipleHeaderSize)
        return QStringLiteral("the file is shorter than its 2048-byte header");
    const int pageSize = u16At(header, 22);
    if (pageSize != MultiplePageSize || u16At(header, 20) * BlockSize != pageSize)
        return QStringLiteral("pages of %1 bytes are not supported").arg(pageSize);
    MultipleHeader parsed;
    parsed.sevenLayout = header[0] == 3;
    parsed.entryLength = uchar(header[26]);
    parsed.tagCount = u16At(header, 28);
    parsed.languageId = uchar(header[31]);
    if (parsed.tagCount > MaxTags)
        return QStringLiteral("%1 tags, more than the %2 a file holds").arg(parsed.tagCount).arg(MaxTags);
    if (parsed.entryLength < tagEntrySize(parsed.sevenLayout))
        return QStringLiteral("a tag entry of %1 bytes cannot hold a tag").arg(parsed.entryLength);
    return parsed;
}

int tagEntrySize(bool sevenLayout)
{
    return 4 + (sevenLayout ? SevenNameWidth : FourNameWidth) + 6;
}

TagEntry parseTagEntry(QByteArrayView entry, bool sevenLayout)
{
    const int nameWidth = sevenLayout ? SevenNameWidth : FourNameWidth;
    TagEntry parsed;
    parsed.headerPage = u32At(entry, 0);
    parsed.name = zeroEnded(entry.sliced(4, nameWidth - 1));
    parsed.keyType = entry[4 + nameWidth + 5];
    return parsed;
}

std::variant<TagHeader, QString> parseTagHeader(QByteArrayView bytes, Kind kind)
{
    if (bytes.size() < 256)
        return QStringLiteral("the tag header is incomplete");
    TagHeader header;
    header.rootPage = u32At(bytes, 0);
    header.keyFlags = uchar(bytes[8]);
    header.keyType = bytes[9];
    if (header.keyType != 'C' && header.keyType != 'N')
        return QStringLiteral("keys of type %1 are not supported").arg(int(uchar(header.keyType)));
    PageGeometry& geometry = header.geometry;
    geometry = geometryFor(kind, 0);
    geometry.keyLength = u16At(bytes, 12);
    geometry.keysPerPage = u16At(bytes, 14);
    geometry.entrySize = u16At(bytes, 18);
    const int room = geometry.pageSize - geometry.pageHeader;
    if (qint64(geometry.keysPerPage) * geometry.entrySize > room && geometry.keyLength > MaxStoredKeyLength) {
        geometry.keyLength = MaxStoredKeyLength;
        geometry.entrySize = entrySizeFor(geometry.keyLength, geometry.pointerSize);
        geometry.keysPerPage = keysPerPageFor(geometry);
    }
    const int numericLength = kind == Kind::Multiple ? numerickey::MdxKeyLength : 8;
    if (header.keyType == 'N' && geometry.keyLength != numericLength)
        return QStringLiteral("a numeric key of %1 bytes is not supported").arg(geometry.keyLength);
    if (geometry.keyLength < 1 || geometry.entrySize < geometry.keyLength + geometry.pointerSize
        || geometry.keysPerPage < 1 || qint64(geometry.keysPerPage) * geometry.entrySize > room)
        return QStringLiteral("keys of %1 bytes in entries of %2, %3 to a page, do not fit a page")
            .arg(geometry.keyLength).arg(geometry.entrySize).arg(geometry.keysPerPage);
    header.expression = zeroEnded(bytes.sliced(24, 220));
    return header;
}

std::variant<IndexPage, QString> IndexPage::parse(QByteArray bytes, const PageGeometry& geometry)
{
    IndexPage page;
    page.m_bytes = std::move(bytes);
    page.m_geometry = geometry;
    if (page.m_bytes.size() < geometry.pageSize)
        return QStringLiteral("a page is incomplete");
    const quint32 count = page.u32(0);
    if (count > quint32(geometry.keysPerPage))
        return QStringLiteral("a page holds %1 entries, more than %2").arg(count).arg(geometry.keysPerPage);
    page.m_count = int(count);
    if (geometry.kind == Kind::Multiple)
        page.m_inner = page.m_count < geometry.keysPerPage && page.u32(page.entryOffset(page.m_count)) != 0;
    else
        page.m_inner = page.u32(page.entryOffset(0)) != 0;
    // The rightmost child's pointer must lie inside the page too.
    if (page.m_inner && page.entryOffset(page.m_count) + 4 > geometry.pageSize)
        return QStringLiteral("an inner page has no room for its last child");
    return page;
}

quint32 IndexPage::u32(int offset) const
{
    return qFromLittleEndian<quint32>(m_bytes.constData() + offset);
}

quint32 IndexPage::child(int i) const
{
    return u32(entryOffset(i));
}

quint32 IndexPage::recordNumber(int i) const
{
    return u32(entryOffset(i) + (m_geometry.kind == Kind::Single ? 4 : 0));
}

QByteArrayView IndexPage::key(int i) const
{
    return QByteArrayView(m_bytes).sliced(entryOffset(i) + m_geometry.pointerSize, m_geometry.keyLength);
}

}  // namespace indexlayout
