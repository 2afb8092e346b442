// Code-page service in place of GetACP, the OEM page and MultiByteToWideChar / WideCharToMultiByte.
// The ANSI code page is the locale's codeset (65001 on UTF-8 locales); the OEM page follows the locale's
// language (437 by default, 866 for Russian, ...). Conversions go through iconv; a character the target
// page cannot hold becomes substitute.
#pragma once

#include <QByteArray>
#include <QString>

namespace codepage {

int ansiCodePage();
int oemCodePage();
// The rules behind them: a locale codeset ("UTF-8", "ISO-8859-5", "KOI8-R", "CP1251"; anything else 1252)
// and a locale language ("ru", "de", ...; anything else 437).
int codePageOfCodeset(const QByteArray& codeset);
int oemCodePageOfLanguage(const QByteArray& language);
// The iconv name of a Windows code-page number ("CP1252", "UTF-8", "CP437", ...), or empty when unknown.
QByteArray iconvName(int codePage);
bool isSupported(int codePage);
// The code page named by a number ("1251"), "CPnnnn", "windows-nnnn" or an iconv name from the table
// ("KOI8-R", "ISO-8859-5"), matched without case; 0 when the name is empty or unknown.
int codePageFromName(const QByteArray& name);

QString toUnicode(const QByteArray& bytes, int codePage);
QByteArray fromUnicode(const QString& text, int codePage, char substitute = '?');

}  // namespace codepage
