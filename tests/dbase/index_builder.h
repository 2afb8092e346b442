// Test helper that writes index files byte by byte from the published layouts: the multiple-index file
// (2048-byte header, tag entries of the dBase IV or VII width, one tag header page per tag, 1024-byte pages)
// and the single-index file (512-byte header and pages). Keys go in sorted; pages are filled with at most
// perPage entries so that small fixtures still have several levels. Damaged files start from these bytes.
#pragma once

#include "tests/dbase/dbf_builder.h"

#include <QByteArray>
#include <QList>

#include <algorithm>
#include <cstring>

namespace dbftest {

struct IndexKey {
    QByteArray key;    // exactly the key length
    quint32 record;
};

struct TagSpec {
    QByteArray name;
    QByteArray expression;
    char keyType;          // 'C' or 'N'
    int keyLength;
    QList<IndexKey> keys;  // in key order
    int perPage = 3;
};

struct BuiltTag {
    int headerPage = 0;
    int rootPage = 0;
    QList<int> pages;      // every B-tree page, leaves first
};

class IndexBuilder {
public:
    // multiple: ".mdx" layout (seven: the dBase VII tag entries), else the single-index layout.
    IndexBuilder(bool multiple, bool seven = false) : m_multiple(multiple), m_seven(seven) {}
    IndexBuilder& language(quint8 id) { m_language = id; return *this; }
    IndexBuilder& tag(const TagSpec& spec) { m_tags.append(spec); return *this; }

    int pageSize() const { return m_multiple ? 1024 : 512; }
    int pageHeader() const { return m_multiple ? 8 : 4; }
    int pointerSize() const { return m_multiple ? 4 : 8; }
    int entryLength() const { return m_seven ? 48 : 32; }
    static int entrySize(int keyLength, int pointer) { return (keyLength + pointer + 3) / 4 * 4; }

    QByteArray bytes() { build(); return m_bytes; }
    const QList<BuiltTag>& built() { build(); return m_built; }

private:
    int newPage()
    {
        const int block = int(m_bytes.size() / 512);
        m_bytes += QByteArray(pageSize(), '\0');
        return block;
    }
    char* at(int block) { return m_bytes.data() + block * 512; }

    // One level of pages over the children (page, last key); returns the level above.
    QList<QPair<int, QByteArray>> innerLevel(const TagSpec& spec, const QList<QPair<int, QByteArray>>& children, BuiltTag& tag)
    {
        QList<QPair<int, QByteArray>> level;
        const int size = entrySize(spec.keyLength, pointerSize());
        for (qsizetype first = 0; first < children.size(); first += spec.perPage + 1) {
            const qsizetype count = std::min<qsizetype>(spec.perPage + 1, children.size() - first);
            const int page = newPage();
            tag.pages.append(page);
            putU32(m_bytes, page * 512, quint32(count - 1));
            for (qsizetype i = 0; i < count; ++i) {
                const int entry = page * 512 + pageHeader() + int(i) * size;
                putU32(m_bytes, entry, quint32(children[first + i].first));
                if (i < count - 1)
                    std::memcpy(m_bytes.data() + entry + pointerSize(), children[first + i].second.constData(), size_t(spec.keyLength));
            }
            level.append({page, children[first + count - 1].second});
        }
        return level;
    }

    BuiltTag buildTree(const TagSpec& spec)
    {
        BuiltTag tag;
        const int size = entrySize(spec.keyLength, pointerSize());
        QList<QPair<int, QByteArray>> level;
        for (qsizetype first = 0; first < spec.keys.size() || first == 0; first += spec.perPage) {
            const qsizetype count = std::min<qsizetype>(spec.perPage, spec.keys.size() - first);
            const int page = newPage();
            tag.pages.append(page);
            putU32(m_bytes, page * 512, quint32(count));
            for (qsizetype i = 0; i < count; ++i) {
                const int entry = page * 512 + pageHeader() + int(i) * size;
                putU32(m_bytes, entry + (m_multiple ? 0 : 4), spec.keys[first + i].record);
                std::memcpy(m_bytes.data() + entry + pointerSize(), spec.keys[first + i].key.constData(), size_t(spec.keyLength));
            }
            level.append({page, count ? spec.keys[first + count - 1].key : QByteArray(spec.keyLength, ' ')});
            if (spec.keys.isEmpty())
                break;
        }
        while (level.size() > 1)
            level = innerLevel(spec, level, tag);
        tag.rootPage = level.front().first;
        return tag;
    }

    void writeTagHeader(int block, const TagSpec& spec, int rootPage)
    {
        const int size = entrySize(spec.keyLength, pointerSize());
        putU32(m_bytes, block * 512, quint32(rootPage));
        at(block)[8] = spec.keyType == 'C' ? 0x10 : 0;
        at(block)[9] = spec.keyType;
        putU16(m_bytes, block * 512 + 10, m_multiple ? 0 : 0x5800);
        putU16(m_bytes, block * 512 + 12, quint16(spec.keyLength));
        putU16(m_bytes, block * 512 + 14, quint16((pageSize() - pageHeader()) / size));
        putU16(m_bytes, block * 512 + 16, spec.keyType == 'N' && !m_multiple ? 1 : 0);
        putU16(m_bytes, block * 512 + 18, quint16(size));
        putU16(m_bytes, block * 512 + 20, 2);
        std::memcpy(at(block) + 24, spec.expression.constData(), size_t(std::min<qsizetype>(spec.expression.size(), 219)));
        at(block)[246] = 1;
    }

    void build()
    {
        if (m_done)
            return;
        m_done = true;
        if (!m_multiple) {
            m_bytes = QByteArray(512, '\0');
            const BuiltTag tag = buildTree(m_tags.front());
            writeTagHeader(0, m_tags.front(), tag.rootPage);
            m_built.append(tag);
            return;
        }
        m_bytes = QByteArray(2048, '\0');
        m_bytes[0] = char(m_seven ? 3 : 2);
        m_bytes[1] = char(124), m_bytes[2] = char(5), m_bytes[3] = char(17);
        std::memcpy(m_bytes.data() + 4, "PEOPLE", 6);
        putU16(m_bytes, 20, 2);
        putU16(m_bytes, 22, 1024);
        m_bytes[24] = 1;
        m_bytes[25] = 48;
        m_bytes[26] = char(entryLength());
        putU16(m_bytes, 28, quint16(m_tags.size()));
        m_bytes[31] = char(m_language);
        m_bytes[529] = 1;
        for (qsizetype i = 0; i < m_tags.size(); ++i) {
            const int headerBlock = newPage();
            const BuiltTag tree = buildTree(m_tags[i]);
            BuiltTag tag = tree;
            tag.headerPage = headerBlock;
            writeTagHeader(headerBlock, m_tags[i], tree.rootPage);
            const int entry = 512 + entryLength() * int(i + 1);
            putU32(m_bytes, entry, quint32(headerBlock));
            const int nameWidth = m_seven ? 33 : 11;
            std::memcpy(m_bytes.data() + entry + 4, m_tags[i].name.constData(), size_t(std::min<qsizetype>(m_tags[i].name.size(), nameWidth - 1)));
            m_bytes[entry + 4 + nameWidth] = 0x10;
            m_bytes[entry + 4 + nameWidth + 4] = 2;
            m_bytes[entry + 4 + nameWidth + 5] = m_tags[i].keyType;
            m_built.append(tag);
        }
        putU32(m_bytes, 32, quint32(m_bytes.size() / 512));
    }

    bool m_multiple;
    bool m_seven;
    quint8 m_language = 0;
    QList<TagSpec> m_tags;
    QByteArray m_bytes;
    QList<BuiltTag> m_built;
    bool m_done = false;
};

}  // namespace dbftest
