// A quick test that a DB Maker record can give a field value at all, so the many records that cannot (most
// lines of a text hold no "@") are passed over without a field search. Each field names the texts one of
// which a value needs (its begin text; for keywords their patterns); a field without a begin text can always
// give one. Occurrences are looked up once per stretch of the buffer and reused by the records after it,
// so the test costs a comparison per record. It never drops a record that the full search would keep.
#pragma once

#include "lists/db_maker_field.h"
#include "lists/db_maker_pieces.h"
#include "lists/db_maker_record_stream.h"

#include <QByteArray>
#include <QList>

class RecordFilter {
public:
    RecordFilter(const QList<DbMakerField>& fields, const SlidingBuffer& buffer);

    // For a new file.
    void restart();
    bool mayHaveValue(const RecordStream::Record& record);
    // Some field can give a value without any text in the record: no record can be passed over.
    bool always() const { return m_always; }
    // The first offset at or after from where one of the texts starts within the bytes held; -1 for none.
    qint64 nextCandidate(qint64 from);
    qsizetype longestText() const { return m_longest; }

private:
    struct Pattern {
        QByteArray text;
        qint64 searchedFrom = -1;   // no occurrence in [searchedFrom, searchedTo) but at found
        qint64 searchedTo = -1;
        qint64 found = -1;
    };

    bool occursIn(Pattern& pattern, const RecordStream::Record& record);
    // The first occurrence at or after from within the bytes held, remembered for the next question.
    qint64 nextOccurrence(Pattern& pattern, qint64 from);

    const SlidingBuffer& m_buffer;
    bool m_always = false;
    qsizetype m_longest = 1;
    QList<Pattern> m_patterns;
};

// Whether the searches of a run need the text lowered: some marker, begin or end text, or keyword pattern
// holds an ASCII letter, or a line option looks for "<br>".
bool searchesNeedLowering(const QList<DbMakerField>& fields, QByteArrayView beginMarker, QByteArrayView endMarker);
