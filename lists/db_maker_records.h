// The "Maximal Record Length" of a DB Maker run. The records themselves are cut by RecordStream
// (db_maker_record_stream.h) as the file is read.
#pragma once

#include <QString>

// A positive whole number, else 0 for no limit (0, negative and non-numbers alike).
qsizetype maximumRecordLength(bool limited, const QString& text);
