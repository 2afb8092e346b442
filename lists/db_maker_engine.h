// The DB Maker extraction run without a window: the folder walk, then field, table or delimited mode on each
// file. Rows leave through a callback; the caller's Stop flag is read at every file, record and field, and
// the pump hook is called every few milliseconds (not per entry), so a window stays responsive and Stop is
// seen at once. A file is read once, 8 MB at a time, so memory stays bounded whatever its size: a record
// longer than 16 MB is searched whole as it is read, its values taken from at most 1 MB each (a longer one
// is cut and counted); a table or a line longer than 16 MB is searched in its first 16 MB. A file that
// cannot be opened, or whose piece cannot be held in memory, is skipped and counted.
#pragma once

#include "lists/db_maker_pieces.h"
#include "lists/db_maker_record_stream.h"
#include "lists/db_maker_settings.h"

#include <QByteArrayView>
#include <QString>
#include <QStringList>

#include <functional>

struct DbMakerRow {
    QString fileName;     // without the folder
    QStringList values;
};

struct DbMakerCallbacks {
    std::function<void(const DbMakerRow& row)> row;
    std::function<void()> pump;     // may be empty
    const bool* stop = nullptr;     // may be null
};

enum class DbMakerMode { Fields, Table, Delimited };

struct DbMakerRunResult {
    bool noFields = false;   // field mode without a named field: nothing ran
    bool stopped = false;
    int filesRead = 0;
    int filesSkipped = 0;    // could not be opened, read or held
    int rows = 0;
    int valuesCut = 0;       // values of records too long to hold that may run on past their 1 MB
};

// Field mode when "Search table inside record" is off, else table mode and/or delimited mode.
DbMakerRunResult runDbMaker(const DbMakerSettings& settings, const DbMakerCallbacks& callbacks);

// Field mode over one file's bytes, read pieceSize bytes at a time as a file is, for tests and fuzzing;
// unique lists live only for this call. A smaller holdLimit (at least 16) takes records longer than it, and
// their values' windows, as a file's longer than 16 MB are taken.
QList<QStringList> extractFieldRows(QByteArrayView bytes, const DbMakerSettings& settings,
                                    qsizetype pieceSize = DbMakerPieceSize,
                                    qsizetype holdLimit = DbMakerRecordHoldLimit);
