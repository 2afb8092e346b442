// The layouts of index files as pure readers over bytes: the multiple-index header and its tag entries
// (dBase IV and VII widths), the tag header, page geometry, and one page with its entries. Every size and
// count read is a claim: a reader returns a reason instead of a value when it does not hold.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <variant>

namespace indexlayout {

enum class Kind { Multiple, Single };

inline constexpr int BlockSize = 512;
inline constexpr int MultipleHeaderSize = 2048;
inline constexpr int MultiplePageSize = 1024;
inline constexpr int SinglePageSize = 512;
inline constexpr int MaxTags = 47;
inline constexpr int MaxStoredKeyLength = 100;

struct PageGeometry {
    Kind kind = Kind::Multiple;
    int pageSize = MultiplePageSize;
    int pageHeader = 8;
    int pointerSize = 4;
    int keyLength = 0;
    int entrySize = 0;
    int keysPerPage = 0;
};
PageGeometry geometryFor(Kind kind, int keyLength);   // entry size and keys per page computed
int entrySizeFor(int keyLength, int pointerSize);     // rounded up to a multiple of 4
int keysPerPageFor(const PageGeometry& geometry);

struct MultipleHeader {
    bool sevenLayout = false;   // version byte 3
    int entryLength = 0;
    int tagCount = 0;
    int languageId = 0;
};
std::variant<MultipleHeader, QString> parseMultipleHeader(QByteArrayView header);

struct TagEntry {
    quint32 headerPage = 0;
    QByteArray name;
    char keyType = 0;
};
int tagEntrySize(bool sevenLayout);                        // the bytes an entry view reaches
TagEntry parseTagEntry(QByteArrayView entry, bool sevenLayout);   // entry holds tagEntrySize bytes

struct TagHeader {
    quint32 rootPage = 0;
    quint8 keyFlags = 0;
    char keyType = 0;
    PageGeometry geometry;
    QByteArray expression;
};
// The tag header of a multiple-index tag, or the header of a single-index file.
std::variant<TagHeader, QString> parseTagHeader(QByteArrayView bytes, Kind kind);

// One page: inner pages carry one more child than entries (the rightmost child).
class IndexPage {
public:
    static std::variant<IndexPage, QString> parse(QByteArray bytes, const PageGeometry& geometry);
    int entryCount() const { return m_count; }
    bool isInner() const { return m_inner; }
    int childCount() const { return m_inner ? m_count + 1 : m_count; }
    quint32 child(int i) const;          // inner pages, 0 <= i < childCount()
    quint32 recordNumber(int i) const;   // leaves
    QByteArrayView key(int i) const;

private:
    IndexPage() = default;
    quint32 u32(int offset) const;
    int entryOffset(int i) const { return m_geometry.pageHeader + i * m_geometry.entrySize; }

    QByteArray m_bytes;
    PageGeometry m_geometry;
    int m_count = 0;
    bool m_inner = false;
};

}  // namespace indexlayout
