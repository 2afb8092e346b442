// The HTML table mode of DB Maker: the rows of the T-th table of a file, one value per "<td" cell, with
// tags, "&nbsp;" and CR, LF, TAB removed. Nested tables of the same kind are matched by counting, so a table
// inside a cell stays that cell's text. Searches run on the lowered copy; values come from the text as read.
#pragma once

#include <QByteArrayView>
#include <QList>
#include <QString>
#include <QStringList>

// Rows of the tableNumber-th table (from 1) that hold at least one non-empty value; none when there are
// fewer tables or the number is below 1.
QList<QStringList> htmlTableRows(QByteArrayView text, QByteArrayView lowered, int tableNumber);

// A cell's value: CR, LF and TAB removed, every "<...>" removed (a ">" before any "<" removes all up to it,
// a "<" without ">" cuts the value there), every "&nbsp" removed with the ";" that follows it.
QByteArray cellText(QByteArrayView cell);
