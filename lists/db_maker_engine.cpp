// DB Maker run: see db_maker_engine.h.

#include "lists/db_maker_engine.h"

#include "lists/db_maker_delimited.h"
#include "lists/db_maker_field.h"
#include "lists/db_maker_records.h"
#include "lists/db_maker_table.h"
#include "lists/db_maker_walk.h"
#include "platform/text_file.h"

#include <QSet>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <new>
#include <optional>

namespace {

// Calls the pump hook when a few milliseconds have passed since the last call.
class PumpTimer {
public:
    explicit PumpTimer(const DbMakerCallbacks& callbacks) : m_callbacks(callbacks) {}

    // Pumps when due; answers whether the run should stop.
    bool stopRequested()
    {
        if (m_callbacks.pump) {
            const auto now = std::chrono::steady_clock::now();
            if (now - m_last >= std::chrono::milliseconds(5)) {
                m_callbacks.pump();
                m_last = std::chrono::steady_clock::now();
            }
        }
        return m_callbacks.stop && *m_callbacks.stop;
    }

private:
    const DbMakerCallbacks& m_callbacks;
    std::chrono::steady_clock::time_point m_last = std::chrono::steady_clock::now();
};

// A regular file's bytes, or nullopt. Opened without blocking, so a pipe or device in the folder cannot
// hang the run; a file too large for memory is skipped.
std::optional<QByteArray> readWholeFile(const std::filesystem::path& path)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return std::nullopt;
    std::optional<QByteArray> bytes;
    struct stat info {};
    if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode)) {
        try {
            QByteArray data(qsizetype(info.st_size), Qt::Uninitialized);
            qsizetype done = 0;
            while (done < data.size()) {
                const ssize_t got = ::read(fd, data.data() + done, size_t(data.size() - done));
                if (got < 0 && errno == EINTR)
                    continue;
                if (got <= 0)
                    break;   // the file shrank or failed: keep what was read
                done += got;
            }
            data.truncate(done);
            bytes = std::move(data);
        } catch (const std::bad_alloc&) {
            bytes.reset();
        }
    }
    ::close(fd);
    return bytes;
}

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

class FieldModeFile {
public:
    FieldModeFile(const DbMakerSettings& settings, const QList<DbMakerField>& fields)
        : m_fields(fields), m_begin(lowerAscii(settings.beginMarker.toUtf8())),
          m_end(lowerAscii(settings.endMarker.toUtf8())),
          m_maxLength(maximumRecordLength(settings.limitLength, settings.maxLength))
    {
    }

    // Cuts bytes into records and hands each row that keeper keeps to deliver; false when stopped.
    template <typename Deliver>
    bool run(QByteArrayView bytes, RowKeeper& keeper, PumpTimer& pump, Deliver deliver)
    {
        const QByteArray lowered = lowerAscii(bytes);
        RecordCutter cutter(lowered, m_begin, m_end, m_maxLength);
        QStringList values;   // reused: most records give no value and need no new list
        while (const auto record = cutter.next()) {
            if (pump.stopRequested())
                return false;
            const QByteArrayView text = bytes.sliced(record->start, record->length);
            const QByteArrayView low = QByteArrayView(lowered).sliced(record->start, record->length);
            values.clear();
            for (const DbMakerField& field : m_fields) {
                const auto span = searchField(low, field);
                values << (span ? decodeFieldValue(text.sliced(span->start, span->end - span->start)) : QString());
            }
            if (keeper.keep(values))
                deliver(values);
        }
        return true;
    }

private:
    const QList<DbMakerField>& m_fields;
    QByteArray m_begin;
    QByteArray m_end;
    qsizetype m_maxLength;
};

DelimitedRule delimitedRule(const DbMakerSettings& settings)
{
    if (settings.splitQuoted)
        return DelimitedRule::QuoteAware;
    return settings.severalAsOne ? DelimitedRule::SeveralAsOne : DelimitedRule::Plain;
}

// Each line of bytes decoded by the program's text rule (line by line) and split.
QList<QStringList> delimitedRows(const QByteArray& bytes, QChar delimiter, DelimitedRule rule)
{
    QList<QStringList> rows;
    for (const QString& line : splitLines(decodeText(bytes))) {
        const QStringList values = splitDelimitedLine(line, delimiter, rule);
        if (std::any_of(values.begin(), values.end(), [](const QString& value) { return !value.isEmpty(); }))
            rows << values;
    }
    return rows;
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
        walk(WalkExclusion::FieldMode, [&](const QByteArray& bytes, const QString& name) {
            return cutter.run(bytes, keeper, m_pump, [&](const QStringList& values) { emitRow(name, values); });
        });
        return m_result;
    }

    DbMakerRunResult tableModes()
    {
        if (m_settings.tableMode) {
            const int number = tableNumber(m_settings.tableNumber);
            walk(WalkExclusion::TableMode, [&](const QByteArray& bytes, const QString& name) {
                for (const QStringList& row : htmlTableRows(bytes, lowerAscii(bytes), number))
                    emitRow(name, row);
                return true;
            });
        }
        if (m_settings.delimitedMode && !m_result.stopped) {
            const QChar delimiter = m_settings.delimiter.isEmpty() ? QLatin1Char(';') : m_settings.delimiter[0];
            walk(WalkExclusion::TableMode, [&](const QByteArray& bytes, const QString& name) {
                for (const QStringList& row : delimitedRows(bytes, delimiter, delimitedRule(m_settings)))
                    emitRow(name, row);
                return true;
            });
        }
        return m_result;
    }

private:
    template <typename PerFile>
    void walk(WalkExclusion exclusion, PerFile perFile)
    {
        FolderWalk folders(m_settings.folder, m_settings.mask, exclusion);
        while (!(m_result.stopped = m_pump.stopRequested())) {
            const auto path = folders.nextFile();
            if (!path)
                return;
            const auto bytes = readWholeFile(*path);
            if (!bytes) {
                ++m_result.filesSkipped;
                continue;
            }
            ++m_result.filesRead;
            try {
                if (!perFile(*bytes, displayFileName(*path))) {
                    m_result.stopped = true;
                    return;
                }
            } catch (const std::bad_alloc&) {   // the lowered copy did not fit: skip this file
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

QList<QStringList> extractFieldRows(QByteArrayView bytes, const DbMakerSettings& settings)
{
    QList<QStringList> rows;
    const QList<DbMakerField> fields = fieldsFromRows(settings.fieldRows);
    if (fields.isEmpty())
        return rows;
    RowKeeper keeper(fields);
    DbMakerCallbacks none;
    PumpTimer pump(none);
    FieldModeFile(settings, fields).run(bytes, keeper, pump, [&](const QStringList& values) { rows << values; });
    return rows;
}
