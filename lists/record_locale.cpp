// The record files' locale: see record_locale.h.

#include "lists/record_locale.h"

#include <QLocale>

namespace {

const RecordLocale* g_override = nullptr;

}  // namespace

RecordLocale RecordLocale::fromSystem()
{
    const QLocale system = QLocale::system();
    const QString separator = system.decimalPoint();
    return {system.dateFormat(QLocale::ShortFormat), separator.size() == 1 ? separator[0] : QChar(u'.')};
}

const RecordLocale& recordLocale()
{
    static const RecordLocale system = RecordLocale::fromSystem();
    return g_override ? *g_override : system;
}

ScopedRecordLocale::ScopedRecordLocale(const RecordLocale& locale) : m_previous(g_override), m_locale(locale)
{
    g_override = &m_locale;
}

ScopedRecordLocale::~ScopedRecordLocale()
{
    g_override = m_previous;
}
