// The text of a field's value as the data set's AsString gives it, fixed in this one place: integers as
// digits, floats as the shortest text that reads back the same with "." as the separator, dates in the
// user's short date form (a time of day follows as hh:mm:ss when it is not midnight), "True" and "False".
// Text values are decoded by the caller, which knows the table's code page.
#pragma once

#include "dbase/field_reader.h"

#include <QString>

namespace fieldtext {

inline const char* const TrueText = "True";
inline const char* const FalseText = "False";

// The user's short date form (QLocale::system()); tests set a fixed form, an empty form restores the system's.
QString shortDateFormat();
void setShortDateFormat(const QString& format);

// The text of a non-text value; a QByteArray value is shown as Latin-1 (the caller decodes real text).
QString textOf(const FieldValue& value);

}  // namespace fieldtext
