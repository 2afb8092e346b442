// The locale facts of the address-book record files: the short date format and the decimal separator. They come
// from QLocale::system() once; tests put their own in place with ScopedRecordLocale. The date format is reduced
// to its numeric form (day, month and year fields in the locale's order, with its separators), so a date
// written in it always reads back.
#pragma once

#include <QChar>
#include <QString>

struct RecordLocale {
    QString shortDateFormat;          // a Qt date format, e.g. "dd/MM/yyyy" or "M/d/yy"
    QChar decimalSeparator = u'.';

    static RecordLocale fromSystem();
};

// The locale in force: the system's, or the one a ScopedRecordLocale put in place.
const RecordLocale& recordLocale();

// Puts locale in place for its lifetime (tests).
class ScopedRecordLocale {
public:
    explicit ScopedRecordLocale(const RecordLocale& locale);
    ~ScopedRecordLocale();
    ScopedRecordLocale(const ScopedRecordLocale&) = delete;
    ScopedRecordLocale& operator=(const ScopedRecordLocale&) = delete;

private:
    const RecordLocale* m_previous;
    RecordLocale m_locale;
};
