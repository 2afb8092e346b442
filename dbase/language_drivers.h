// Language drivers of tables: the one-byte language id (dBase III, IV, FoxPro) and the driver name
// (dBase VII headers), mapped to code pages and back. The locale ids and driver codes are the standard
// language-driver data for the ids that have a collation name; other ids carry only their code page.
#pragma once

#include <QByteArray>

#include <QtGlobal>

namespace languagedriver {

// Ids 1 to 4 and above 93 are FoxPro ids, 5 to 93 dBase ids.
bool isFoxProId(int languageId);
// The code page of a language id, 0 when it has none (also for ids outside 0..255).
int codePageOfId(int languageId);
quint16 localeOfId(int languageId);
QByteArray driverCodeOfId(int languageId);

// The id whose code page (any when 0) and locale (low 16 bits) match; a dBase id unless FoxPro is preferred
// and has a match; when nothing matches with that code page, the search is repeated with code page 0.
int languageIdFor(int codePage, quint32 locale, bool preferFoxPro);
// "FOX" + code + ("WIN" | page) for FoxPro, "DB" + ("WIN" | page) + code otherwise; "BGDB868" for the
// Bulgarian marker; empty for ids without a name.
QByteArray driverNameFor(int codePage, quint32 locale, bool foxPro);
// The id of a driver name, 0 when none matches. Names are matched without case.
int languageIdOfDriverName(const QByteArray& name);
// The code page a dBase VII header's driver name gives, 0 for a name of no known form.
int codePageOfDriverName(const QByteArray& name);

}  // namespace languagedriver
