// DB Maker run: see db_maker_engine.h.

#include "lists/db_maker_engine.h"

#include "lists/db_maker_delimited.h"
#include "lists/db_maker_field.h"
#include "lists/db_maker_piece_modes.h"
#include "lists/db_maker_pieces.h"
#include "lists/db_maker_record_filter.h"
#include "lists/db_maker_record_stream.h"
#include "lists/db_maker_records.h"
#include "lists/db_maker_walk.h"

#include <QSet>

#include <algorithm>
#include <chrono>
#include <new>
#include <optional>

namespace {

// Calls the pump hook when a few milliseconds have passed since the last call. The clock is read once per
// stretch of work (a quarter megabyte of text, or a few hundred records), not on every record.
class PumpTimer {
public:
    explicit PumpTimer(const DbMakerCallbacks& callbacks) : m_callbacks(callbacks) {}

    // Counts work bytes done since the last call, pumps when due; answers whether the run should stop.
    bool stopRequested(qint64 work = 0)
    {
        m_budget -= work + RecordWork;
        if (m_budget <= 0 && m_callbacks.pump) {
            m_budget = ClockEvery;
            const auto now = std::chrono::steady_clock::now();
            if (now - m_last >= std::chrono::milliseconds(5)) {
                m_callbacks.pump();
                m_last = std::chrono::steady_clock::now();
            }
        }
        return m_callbacks.stop && *m_callbacks.stop;
    }

private:
    static constexpr qint64 RecordWork = 512;
    static constexpr qint64 ClockEvery = 256 << 10;
    const DbMakerCallbacks& m_callbacks;
    qint64 m_budget = 0;
    std::chrono::steady_clock::time_point m_last = std::chrono::steady_clock::now();
};

// Unique fields: a row is kept only when none of its unique values was seen before (without case); all are
// tested before any is remembered, so a dropped row leaves nothing behind.
class RowKeeper {
public:
    explicit RowKeeper(const QList<DbMakerField>& fields)
    {
        for (qsizetype i = 0; i < fields.size(); ++i)
            if (fields[i].unique)
                m_uniqueIndexes << i;
        m_seen.resize(m_uniqueIndexes.size());
    }

    bool keep(const QStringList& values)
    {
        bool anyValue = false;
        for (const QString& value : values)
            anyValue = anyValue || !value.isEmpty();
        if (!anyValue)
            return false;
        QStringList keys;
        for (qsizetype u = 0; u < m_uniqueIndexes.size(); ++u) {
            keys << values[m_uniqueIndexes[u]].toCaseFolded();
            if (m_seen[u].contains(keys.last()))
                return false;
        }
        for (qsizetype u = 0; u < m_uniqueIndexes.size(); ++u)
            m_seen[u].insert(keys[u]);
        return true;
    }

private:
    QList<qsizetype> m_uniqueIndexes;
    QList<QSet<QString>> m_seen;
};

// Field mode: each file is cut into records piece by piece; a record that cannot give a value is passed
// over before any field search.
class FieldModeFile {
public:
    FieldModeFile(const DbMakerSettings& settings, const QList<DbMakerField>& fields,
                  qsizetype pieceSize = DbMakerPieceSize, qsizetype holdLimit = DbMakerRecordHoldLimit)
        : m_fields(fields),
          m_buffer(pieceSize, searchesNeedLowering(fields, lowerAscii(settings.beginMarker.toUtf8()),
                                                          lowerAscii(settings.endMarker.toUtf8()))),
          m_longSearch(fields, m_buffer, std::min(holdLimit, DbMakerLongValueWindow)),
          m_records(m_buffer, lowerAscii(settings.beginMarker.toUtf8()), lowerAscii(settings.endMarker.toUtf8()),
                    maximumRecordLength(settings.limitLength, settings.maxLength), holdLimit, &m_longSearch),
          m_filter(fields, m_buffer)
    {
    }

    // Hands each row that keeper keeps to deliver; false when stopped.
    template <typename Deliver>
    bool run(ByteSource& source, RowKeeper& keeper, PumpTimer& pump, Deliver deliver)
    {
        m_buffer.setPieceHook([&pump](qsizetype bytes) { return !pump.stopRequested(bytes); });
        m_buffer.reset(&source);
        m_records.restart();
        m_filter.restart();
        m_valuesCut = 0;
        QStringList values;   // reused: most records give no value and need no new list
        const bool skipping = m_records.canSkip() && !m_filter.always();
        while (!skipping || skipToCandidate()) {
            const auto record = m_records.next();
            if (!record)
                break;
            if (pump.stopRequested(record->text.size()))
                return false;
            if (record->longRecord) {
                values = m_longSearch.values();
                m_valuesCut += m_longSearch.valuesCut();
            } else if (m_filter.mayHaveValue(*record)) {
                values.clear();
                for (const DbMakerField& field : m_fields) {
                    const auto span = searchField(record->lowered, field);
                    values << (span ? decodeFieldValue(record->text.sliced(span->start, span->end - span->start))
                                    : QString());
                }
            } else {
                continue;
            }
            if (keeper.keep(values))
                deliver(values);
        }
        return !m_buffer.stopped();
    }

    // Values of long records that may have been cut, in this file so far.
    int valuesCut() const { return m_valuesCut; }

private:
    // Passes over the records before the next place a value could start; false when none can follow.
    bool skipToCandidate()
    {
        const qint64 candidate = m_filter.nextCandidate(m_records.position());
        if (candidate >= 0) {
            m_records.skipTo(candidate);
            return true;
        }
        if (m_buffer.atEnd())
            return false;
        // None in the bytes held: on to the record where a text cut by the end of the bytes could start.
        m_records.skipTo(std::max(m_records.position(), m_buffer.end() - m_filter.longestText() + 1));
        return true;
    }

    const QList<DbMakerField>& m_fields;
    SlidingBuffer m_buffer;
    LongRecordSearch m_longSearch;
    RecordStream m_records;
    RecordFilter m_filter;
    int m_valuesCut = 0;
};

DelimitedRule delimitedRule(const DbMakerSettings& settings)
{
    if (settings.splitQuoted)
        return DelimitedRule::QuoteAware;
    return settings.severalAsOne ? DelimitedRule::SeveralAsOne : DelimitedRule::Plain;
}

int tableNumber(const QString& text)
{
    bool ok = false;
    const int number = text.trimmed().toInt(&ok);
    return ok ? number : 1;
}

class Run {
public:
    Run(const DbMakerSettings& settings, const DbMakerCallbacks& callbacks)
        : m_settings(settings), m_callbacks(callbacks), m_pump(callbacks)
    {
    }

    DbMakerRunResult fieldMode()
    {
        const QList<DbMakerField> fields = fieldsFromRows(m_settings.fieldRows);
        if (fields.isEmpty()) {
            m_result.noFields = true;
            return m_result;
        }
        RowKeeper keeper(fields);
        FieldModeFile cutter(m_settings, fields);
        walk(WalkExclusion::FieldMode, [&](ByteSource& source, const QString& name) {
            const bool ran = cutter.run(source, keeper, m_pump, [&](const QStringList& values) { emitRow(name, values); });
            m_result.valuesCut += cutter.valuesCut();
            return ran;
        });
        return m_result;
    }

    DbMakerRunResult tableModes()
    {
        if (m_settings.tableMode) {
            const int number = tableNumber(m_settings.tableNumber);
            SlidingBuffer buffer(DbMakerPieceSize, true);
            buffer.setPieceHook(stopHook());
            walk(WalkExclusion::TableMode, [&](ByteSource& source, const QString& name) {
                buffer.reset(&source);
                const QList<QStringList> rows = tableRowsInPieces(buffer, number);
                if (buffer.stopped())
                    return false;
                for (const QStringList& row : rows)
                    emitRow(name, row);
                return true;
            });
        }
        if (m_settings.delimitedMode && !m_result.stopped) {
            const QChar delimiter = m_settings.delimiter.isEmpty() ? QLatin1Char(';') : m_settings.delimiter[0];
            SlidingBuffer buffer(DbMakerPieceSize, false);
            buffer.setPieceHook(stopHook());
            walk(WalkExclusion::TableMode, [&](ByteSource& source, const QString& name) {
                buffer.reset(&source);
                return delimitedRowsInPieces(buffer, delimiter, delimitedRule(m_settings),
                                             [&](const QList<QStringList>& rows, qsizetype bytes) {
                                                 if (buffer.stopped())
                                                     return false;
                                                 for (const QStringList& row : rows)
                                                     emitRow(name, row);
                                                 return !m_pump.stopRequested(bytes);
                                             });
            });
        }
        return m_result;
    }

private:
    SlidingBuffer::PieceHook stopHook()
    {
        return [this](qsizetype bytes) { return !m_pump.stopRequested(bytes); };
    }

    template <typename PerFile>
    void walk(WalkExclusion exclusion, PerFile perFile)
    {
        FolderWalk folders(m_settings.folder, m_settings.mask, exclusion);
        FileByteSource source;
        while (!(m_result.stopped = m_pump.stopRequested())) {
            const auto path = folders.nextFile();
            if (!path)
                return;
            if (!source.open(*path)) {
                ++m_result.filesSkipped;
                continue;
            }
            ++m_result.filesRead;
            try {
                if (!perFile(source, displayFileName(*path))) {
                    m_result.stopped = true;
                    return;
                }
            } catch (const std::bad_alloc&) {   // a piece or the record held did not fit: skip this file
                ++m_result.filesSkipped;
            }
        }
    }

    void emitRow(const QString& fileName, const QStringList& values)
    {
        ++m_result.rows;
        if (m_callbacks.row)
            m_callbacks.row(DbMakerRow{fileName, values});
    }

    const DbMakerSettings& m_settings;
    const DbMakerCallbacks& m_callbacks;
    PumpTimer m_pump;
    DbMakerRunResult m_result;
};

}  // namespace

DbMakerRunResult runDbMaker(const DbMakerSettings& settings, const DbMakerCallbacks& callbacks)
{
    Run run(settings, callbacks);
    return settings.searchTable ? run.tableModes() : run.fieldMode();
}

QList<QStringList> extractFieldRows(QByteArrayView bytes, const DbMakerSettings& settings, qsizetype pieceSize,
                                    qsizetype holdLimit)
{
    QList<QStringList> rows;
    const QList<DbMakerField> fields = fieldsFromRows(settings.fieldRows);
    if (fields.isEmpty())
        return rows;
    RowKeeper keeper(fields);
    DbMakerCallbacks none;
    PumpTimer pump(none);
    MemoryByteSource source(bytes, pieceSize);
    FieldModeFile(settings, fields, pieceSize, holdLimit).run(source, keeper, pump,
                                                              [&](const QStringList& values) { rows << values; });
    return rows;
}
