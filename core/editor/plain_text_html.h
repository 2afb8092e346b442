// The plain body as the HTML page's first source: its text escaped, so that "<", ">" and "&" (an address in
// angle brackets, a comparison) stay text, and every line break a "<br>", so the page keeps the lines.
#pragma once

#include <QString>

QString PlainTextAsHtml(const QString& text);
