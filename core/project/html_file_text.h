// Reading an HTML file (the project's ".htm" and pages chosen for import) as text. Lines that are valid UTF-8
// are UTF-8 whatever the page declares (pages this program saved before it wrote its own declaration kept
// the old one); any other line is in the charset the page's meta tag names, when that is a code page we can
// convert, else in the legacy code page of every text file. A declared "iso-8859-1" or "us-ascii" reads as
// windows-1252, as browsers read it.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <optional>

// The code page for the lines that are not UTF-8: the declared one, or legacyCodePage().
int HtmlLegacyCodePage(QByteArrayView html);
QString DecodeHtmlText(QByteArrayView html);
// The whole file decoded, or nullopt when it cannot be read (*error says why).
std::optional<QString> ReadHtmlFile(const QString& path, QString* error = nullptr);
