// The plain body as HTML source: see plain_text_html.h.

#include "core/editor/plain_text_html.h"

#include <QRegularExpression>
#include <QStringList>

QString PlainTextAsHtml(const QString& text)
{
    static const QRegularExpression lineBreak(QStringLiteral("\r\n|\r|\n"));
    QStringList lines = text.split(lineBreak);
    for (QString& line : lines)
        line = line.toHtmlEscaped();
    return lines.join(QStringLiteral("<br>\r\n"));
}
