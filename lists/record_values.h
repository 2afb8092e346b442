// The value codecs of the address-book record files: integers, floats, short dates, flags and strings with the
// caret escape. Readers never fail: a text that is not a value reads as 0 (false for a flag). Dates are days
// since 30 December 1899; they read leniently (one- or two-digit day and month, two- or four-digit year, in the
// locale's field order; a two-digit year 00-49 is 20xx, 50-99 is 19xx). Locale facts: record_locale.h.
#pragma once

#include <QString>
#include <QStringView>

// Decimal integer of the trimmed text; anything else is 0.
int readRecordInteger(QStringView text);

// The trimmed text read with "." as decimal separator, else with the locale's separator; anything else
// (an empty text, a word, an infinite value) is 0.
double readRecordFloat(QStringView text);
// Empty for exactly 0; otherwise rounded to 4 decimals, no thousands separator, trailing zeros dropped, the
// locale's decimal separator.
QString writeRecordFloat(double value);

// Days since 30 December 1899 of a short date; an empty or invalid text is 0.
double readRecordDate(QStringView text);
// The date in the locale's short date format; empty for 0 or less.
QString writeRecordDate(double value);

// True exactly when the trimmed text is "1".
bool readRecordFlag(QStringView text);

// toFile: every "^" becomes "#5E"; otherwise every "#5E" (upper-case E only) becomes "^".
QString EscapeCaret(const QString& text, bool toFile);

// The id of a record line: the trimmed text before the first "^" when it is an integer above 0. A line without
// "^" has none.
bool ParseLineId(QStringView line, int& id);
