// DB Maker's table and delimited modes over a file read in pieces: the rows are those the whole text gives,
// within the hold limit. Table mode holds the text from the chosen "<table" on (a table longer than the hold
// limit is read in its first holdLimit bytes); delimited mode hands out lines a piece at a time (a UTF-16
// file is decoded from its first holdLimit bytes, and a line longer than that is cut there).
#pragma once

#include "lists/db_maker_delimited.h"
#include "lists/db_maker_pieces.h"
#include "lists/db_maker_record_stream.h"

#include <QList>
#include <QStringList>

#include <functional>

// The rows of the number-th HTML table of the buffer's file.
QList<QStringList> tableRowsInPieces(SlidingBuffer& buffer, int number,
                                     qsizetype holdLimit = DbMakerRecordHoldLimit);

// Told the rows of each piece of lines and the piece's size; answers false to stop.
using DelimitedRowsSink = std::function<bool(const QList<QStringList>& rows, qsizetype bytes)>;
// The rows of the buffer's file, each line decoded by the program's text rule and split (lines without a
// value give none); false when the sink stopped it.
bool delimitedRowsInPieces(SlidingBuffer& buffer, QChar delimiter, DelimitedRule rule, const DelimitedRowsSink& sink,
                           qsizetype holdLimit = DbMakerRecordHoldLimit);
