// The DB Maker extraction run without a window: the folder walk, then field, table or delimited mode on each
// file. Rows leave through a callback; the caller's Stop flag is read at every file, record and field, and
// the pump hook is called every few milliseconds (not per entry), so a window stays responsive.
// A file is read once, whole (a file that cannot be read or held in memory is skipped and counted).
#pragma once

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
};

// Field mode when "Search table inside record" is off, else table mode and/or delimited mode.
DbMakerRunResult runDbMaker(const DbMakerSettings& settings, const DbMakerCallbacks& callbacks);

// Field mode over one file's bytes, for tests and fuzzing; unique lists live only for this call.
QList<QStringList> extractFieldRows(QByteArrayView bytes, const DbMakerSettings& settings);
