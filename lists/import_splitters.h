// How the import wizard cuts text into fields: the delimiter characters its bits choose (the records are read
// by lists/delimited_records.h), and fixed width: a break mask of one character per text column, "1" marking
// a break after that column. Pure functions: no files, no windows.
#pragma once

#include <QChar>
#include <QString>
#include <QStringList>
#include <QStringView>

// The delimiter bits the wizard keeps.
enum DelimiterBit {
    DelimiterSemicolon = 1,
    DelimiterComma = 2,
    DelimiterTab = 4,
    DelimiterSpace = 8,
    DelimiterOther = 16,
    DelimiterConsecutiveAsOne = 32,
};

// The delimiter characters the bits choose: ";" "," tab " " and other (when set and not null).
QString delimiterCharacters(int bits, QChar other);

// The fields of line by mask: from each position p the field runs up to and including the next "1", or to
// the end of the mask. A line shorter than the mask gives short or empty fields; text beyond it is dropped.
QStringList splitFixedWidthLine(QStringView line, QStringView mask);

// The mask cut or blank-padded to width characters (breaks within width survive).
QString fitBreakMask(const QString& mask, int width);
// The mask with the break after column (0-based) switched; a column outside the mask changes nothing.
QString toggleBreak(const QString& mask, int column);
