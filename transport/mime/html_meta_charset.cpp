// Rewriting the charset an HTML body declares: see html_meta_charset.h.

#include "transport/mime/html_meta_charset.h"

#include <QRegularExpression>

#include <algorithm>

namespace {

QString rewritten(const QString& text, const QString& charset)
{
    // Inside one <meta ...> tag: "charset", optional blanks, "=", an optional quote, then the name.
    static const QRegularExpression declaration(
        QStringLiteral(R"((<meta\b[^>]*?\bcharset\s*=\s*["']?)([^"'\s;/>]+))"),
        QRegularExpression::CaseInsensitiveOption);
    QString result;
    qsizetype copied = 0;
    for (const QRegularExpressionMatch& match : declaration.globalMatch(text)) {
        result += QStringView(text).sliced(copied, match.capturedStart(2) - copied);
        result += charset;
        copied = match.capturedEnd(2);
    }
    return copied == 0 ? text : result + text.sliced(copied);
}

}  // namespace

QStringList withMetaCharset(const QStringList& lines, const QString& charset)
{
    if (std::none_of(lines.begin(), lines.end(),
                     [](const QString& line) { return line.contains(QStringLiteral("<meta"), Qt::CaseInsensitive); }))
        return lines;
    // Joined, so a tag that spans lines is found; the name written holds no line break, so splitting at the
    // joins gives the lines back. A line that holds a break itself is rewritten on its own.
    if (std::any_of(lines.begin(), lines.end(), [](const QString& line) { return line.contains(u'\n'); })) {
        QStringList result;
        for (const QString& line : lines)
            result << rewritten(line, charset);
        return result;
    }
    return rewritten(lines.join(u'\n'), charset).split(u'\n');
}
