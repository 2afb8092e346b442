// The index cursor: see index_cursor.h.

#include "dbase/index_cursor.h"

#include <limits>

TIndexCursor::TIndexCursor(const TIndexFile& file, int tag) : m_file(file), m_tag(file.tag(tag)) {}

void TIndexCursor::First()
{
    m_position = Position::BeforeFirst;
    m_chain.clear();
}

void TIndexCursor::Last()
{
    m_position = Position::AfterLast;
    m_chain.clear();
}

quint32 TIndexCursor::PhysicalRecNo() const
{
    return m_position == Position::OnEntry ? pageOf(m_chain.back()).recordNumber(m_chain.back().entry) : 0;
}

QByteArrayView TIndexCursor::currentKey() const
{
    return m_position == Position::OnEntry ? pageOf(m_chain.back()).key(m_chain.back().entry) : QByteArrayView();
}

// Down to a leaf entry from the last frame, or up past exhausted pages; false after the last entry.
bool TIndexCursor::settleForward()
{
    while (!m_chain.empty()) {
        Frame& frame = m_chain.back();
        const indexlayout::IndexPage& page = pageOf(frame);
        if (frame.entry >= page.childCount()) {
            m_chain.pop_back();
            if (!m_chain.empty())
                ++m_chain.back().entry;
            continue;
        }
        if (!page.isInner()) {
            m_position = Position::OnEntry;
            return true;
        }
        m_chain.push_back({page.child(frame.entry), 0});
    }
    m_position = Position::AfterLast;
    return false;
}

bool TIndexCursor::settleBackward()
{
    while (!m_chain.empty()) {
        Frame& frame = m_chain.back();
        const indexlayout::IndexPage& page = pageOf(frame);
        if (frame.entry < 0) {
            m_chain.pop_back();
            if (!m_chain.empty())
                --m_chain.back().entry;
            continue;
        }
        if (!page.isInner()) {
            m_position = Position::OnEntry;
            return true;
        }
        const quint32 child = page.child(frame.entry);
        m_chain.push_back({child, m_file.page(child).childCount() - 1});
    }
    m_position = Position::BeforeFirst;
    return false;
}

bool TIndexCursor::stepForward()
{
    if (m_position == Position::AfterLast)
        return false;
    if (m_position == Position::BeforeFirst)
        m_chain = {{m_tag.rootPage, 0}};
    else
        ++m_chain.back().entry;
    return settleForward();
}

bool TIndexCursor::stepBackward()
{
    if (m_position == Position::BeforeFirst)
        return false;
    if (m_position == Position::AfterLast)
        m_chain = {{m_tag.rootPage, m_file.page(m_tag.rootPage).childCount() - 1}};
    else
        --m_chain.back().entry;
    return settleBackward();
}

bool TIndexCursor::Next()
{
    const quint32 left = PhysicalRecNo();
    bool moved = stepForward();
    while (moved && left != 0 && PhysicalRecNo() == left)
        moved = stepForward();
    return moved;
}

bool TIndexCursor::Prev()
{
    const quint32 left = PhysicalRecNo();
    bool moved = stepBackward();
    while (moved && left != 0 && PhysicalRecNo() == left)
        moved = stepBackward();
    return moved;
}

// keys per page ^ (levels below), kept within 32 bits.
qint64 TIndexCursor::weightOfLevel(int level) const
{
    qint64 weight = 1;
    for (int i = level + 1; i < m_tag.levels; ++i)
        weight = qMin<qint64>(weight * m_tag.geometry.keysPerPage, std::numeric_limits<qint32>::max());
    return weight;
}

qint32 TIndexCursor::SequentialRecNo() const
{
    if (m_position == Position::BeforeFirst)
        return 0;
    if (m_position == Position::AfterLast)
        return AfterLastPosition;
    qint64 number = 1;
    for (size_t level = 0; level < m_chain.size(); ++level)
        number += m_chain[level].entry * weightOfLevel(int(level));
    return qint32(qMin<qint64>(number, AfterLastPosition - 1));
}

qint32 TIndexCursor::SequentialRecordCount() const
{
    const qint64 count = weightOfLevel(0) * (m_file.page(m_tag.rootPage).entryCount() + 1);
    return qint32(qMin<qint64>(count, AfterLastPosition));
}

void TIndexCursor::setSequentialRecNo(qint32 number)
{
    if (number <= 0) {
        First();
        return;
    }
    m_chain.clear();
    qint64 rest = number - 1;
    quint32 pageNumber = m_tag.rootPage;
    for (int level = 0;; ++level) {
        const qint64 weight = weightOfLevel(level);
        const qint64 entry = rest / weight;
        rest %= weight;
        const indexlayout::IndexPage& page = m_file.page(pageNumber);
        if (entry >= page.childCount()) {
            // Beyond this page: on to the first entry of the pages that follow, or after the last.
            m_chain.push_back({pageNumber, page.childCount()});
            settleForward();
            return;
        }
        m_chain.push_back({pageNumber, int(entry)});
        if (!page.isInner()) {
            m_position = Position::OnEntry;
            return;
        }
        pageNumber = page.child(int(entry));
    }
}
