// TIndexCursor: walks one tag of an open index file in key order: first and last (before the first and
// after the last entry), next and previous (entries repeating the record number just left are stepped
// over), the record number of the current entry, and approximate ordinal positions by page weights (a leaf
// entry weighs 1, an entry one level up the keys per page times as much). Searching by key or record, and
// re-reading after the index changed, are left out: nothing in this program selects an index.
#pragma once

#include "dbase/index_file.h"

#include <vector>

class TIndexCursor {
public:
    static constexpr qint32 AfterLastPosition = 2147483647;

    TIndexCursor(const TIndexFile& file, int tag);

    quint32 PhysicalRecNo() const;   // 0 when not on an entry
    QByteArrayView currentKey() const;
    qint32 SequentialRecNo() const;
    qint32 SequentialRecordCount() const;
    // A number of 0 or less goes before the first entry.
    void setSequentialRecNo(qint32 number);
    bool Next();
    bool Prev();
    void First();
    void Last();

private:
    enum class Position { BeforeFirst, OnEntry, AfterLast };
    struct Frame {
        quint32 page;
        int entry;
    };

    const indexlayout::IndexPage& pageOf(const Frame& frame) const { return m_file.page(frame.page); }
    qint64 weightOfLevel(int level) const;
    bool stepForward();
    bool stepBackward();
    bool settleForward();
    bool settleBackward();

    const TIndexFile& m_file;
    const TIndexFile::Tag& m_tag;
    Position m_position = Position::BeforeFirst;
    std::vector<Frame> m_chain;   // root first
};
