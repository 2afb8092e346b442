// Mail merge: "[title]" placeholders of the list's column titles replaced, without regard to case, by one
// recipient's cells of the list grid. A title of seven or more characters also matches with a blank before
// its seventh character ("[Column #2]"). Values go in as they stand; the search resumes after each inserted
// value, so a value holding its own placeholder is never replaced again. No window here.
#pragma once

#include <QString>
#include <QStringList>

class StringGrid;

// text with every occurrence of placeholder (compared without case) replaced by value.
QString ReplaceAllNoCase(const QString& placeholder, const QString& text, const QString& value);

// text with the placeholders of every column i (titles[i]) replaced by the cell (i, row) of grid, column by
// column in order.
QString MergeRecipientText(const QString& text, const QStringList& titles, const StringGrid& grid, int row);

// The merged subject on one line: every CR and LF, also from a cell, becomes a blank, so a list cell cannot
// add header lines to the message.
QString MergeRecipientSubject(const QString& subject, const QStringList& titles, const StringGrid& grid, int row);
