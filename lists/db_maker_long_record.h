// DB Maker's field search in a record too long to hold whole (past the hold limit), run while the record is
// read piece by piece, so memory stays bounded. Each field's occurrence-th begin text or keyword hit is
// found in the whole record, where the whole-text search finds it; the field's value is then searched in a
// window of valueWindow bytes after that place (keywords also see valueWindow bytes before their hit). A
// value that may run past its window is cut at the window's edge and counted, never dropped silently.
#pragma once

#include "lists/db_maker_field.h"
#include "lists/db_maker_pieces.h"

#include <QByteArray>
#include <QList>
#include <QStringList>

#include <optional>

// The most of a value a record too long to hold gives: 1 MB.
inline constexpr qsizetype DbMakerLongValueWindow = 1 << 20;

class LongRecordSearch {
public:
    // valueWindow must exceed the longest keyword pattern ("http://").
    LongRecordSearch(const QList<DbMakerField>& fields, const SlidingBuffer& buffer,
                     qsizetype valueWindow = DbMakerLongValueWindow);
    Q_DISABLE_COPY_MOVE(LongRecordSearch)

    // Starts on the record that begins at recordStart; its bytes from there are held in the buffer.
    void start(qint64 recordStart);
    // Searches the record's bytes up to to, which the buffer holds from keepFrom() on; recordEnds: the
    // record ends at to.
    void searchTo(qint64 to, bool recordEnds);
    // The first offset the searches still need held.
    qint64 keepFrom() const;
    // After the record ended: the value of each field in order (empty when not found), and how many of
    // them may have been cut at their window.
    QStringList values() const;
    int valuesCut() const;

private:
    // Looks for one literal begin text (empty: the record's start) or one keyword alternative of a field.
    struct Finder {
        int field = 0;
        KeywordKind kind = KeywordKind::Nothing;   // Nothing: the field's literal begin text
        qint64 position = 0;                       // where the next occurrence or hit is looked for
        int found = 0;
        qint64 anchor = -1;                        // the occurrence-th one; -1 while looked for
        qint64 windowStart = 0;                    // the value's window, copied as it is read
        qint64 windowEnd = 0;
        QByteArray text;
        QByteArray lowered;
        bool done = false;
        std::optional<FieldSpan> span;   // in the window
        bool cut = false;
    };

    static Finder newFinder(int field, KeywordKind kind, qint64 position);
    void locateLiteral(Finder& finder, qint64 to, bool recordEnds);
    void locateKeyword(Finder& finder, qint64 to, bool recordEnds);
    void anchorAt(Finder& finder, qint64 anchor);
    void collect(Finder& finder, qint64 to, bool recordEnds);
    void searchWindow(Finder& finder, bool reachedRecordEnd);

    const QList<DbMakerField>& m_fields;
    const SlidingBuffer& m_buffer;
    qsizetype m_window;
    QList<Finder> m_finders;
    qint64 m_start = 0;
    qint64 m_to = 0;
};
