// DB Maker's record cutting over a file read in pieces. A record starts at the begin marker (anywhere when
// it is empty) and runs to just before the end marker (the begin marker when the end marker is empty), which
// is looked for from the begin marker's last byte but never at the record's first byte, so every record
// holds at least one byte and the cut always ends; it runs to the end of the text when there is no end
// marker, and is cut at the maximum length. The markers are searched across the joins of the pieces, so the
// records are those of the whole text, while memory stays bounded: a record longer than the hold limit is
// still cut where the whole text would cut it, but is not held; its bytes go to the long-record search as
// they are read, and only the bytes that search and the marker search still need are kept.
#pragma once

#include "lists/db_maker_long_record.h"
#include "lists/db_maker_pieces.h"

#include <QByteArray>
#include <QByteArrayView>

#include <optional>

// Records longer than this are not held whole.
inline constexpr qsizetype DbMakerRecordHoldLimit = 16 << 20;

class RecordStream {
public:
    struct Record {
        QByteArrayView text;      // as read; empty for a long record
        QByteArrayView lowered;   // the same bytes ASCII-lowered (as read when the buffer keeps no lowered copy)
        qint64 start = 0;         // the record's offset in the file
        qint64 length = 0;
        bool longRecord = false;  // longer than the hold limit: not held, searched by the long-record search
    };

    // begin and end are lowered markers; an empty end marker means the begin marker. maxLength 0: no limit.
    // longSearch (may be null) searches the records longer than holdLimit as they are read.
    RecordStream(SlidingBuffer& buffer, QByteArray begin, QByteArray end, qsizetype maxLength,
                 qsizetype holdLimit = DbMakerRecordHoldLimit, LongRecordSearch* longSearch = nullptr);

    // Starts on the buffer's new source.
    void restart();
    // Where the next record is looked for.
    qint64 position() const { return m_position; }
    // With no begin marker, an end marker and no maximum length every occurrence of the end marker (but one
    // at the very start) starts a record, so the record that holds a position is found from it alone.
    bool canSkip() const { return m_begin.isEmpty() && !m_end.isEmpty() && m_maxLength == 0; }
    // Passes over the records that end before target (a held offset at or after position()): the next
    // record is the one that holds it. Only when canSkip().
    void skipTo(qint64 target);
    // The next record, or nullopt when the text ends or no begin marker follows. Its views hold until the
    // next call.
    std::optional<Record> next();

private:
    std::optional<qint64> findBegin();
    qint64 recordLength(qint64 start);
    // Reads on. Before the hold limit the record's bytes stay in the buffer; past it they go to the long
    // search up to knownEnd (no record end before it), and only what the searches still need stays.
    void readOn(qint64 start, qint64 searchFrom, qint64 knownEnd);

    SlidingBuffer& m_buffer;
    QByteArray m_begin;
    QByteArray m_end;
    qsizetype m_maxLength;
    qsizetype m_holdLimit;
    LongRecordSearch* m_longSearch;
    qint64 m_position = 0;
    bool m_long = false;   // the record in hand outgrew the hold limit
};
