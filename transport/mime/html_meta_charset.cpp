// Rewriting the charset an HTML body declares: see html_meta_charset.h.

#include "transport/mime/html_meta_charset.h"

#include <QRegularExpression>

#include <algorithm>

namespace {

constexpr qsizetype kDeclarationScan = 64 * 1024;

// Inside one <meta ...> tag: "charset", optional blanks, "=", an optional quote, then the name (group 2), then
// the rest of the tag.
const QRegularExpression& declaration()
{
    static const QRegularExpression pattern(
        QStringLiteral(R"((<meta\b[^>]*?\bcharset\s*=\s*["']?)([^"'\s;/>]+)[^>]*>?)"),
        QRegularExpression::CaseInsensitiveOption);
    return pattern;
}

QString rewritten(const QString& text, const QString& charset)
{
    QString result;
    qsizetype copied = 0;
    for (const QRegularExpressionMatch& match : declaration().globalMatch(text)) {
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

QString withUtf8CharsetMeta(const QString& html)
{
    static const QString utf8Meta = QStringLiteral("<meta charset=\"utf-8\">");
    QString result;
    qsizetype copied = 0;
    bool declared = false;
    for (const QRegularExpressionMatch& match : declaration().globalMatch(html)) {
        result += QStringView(html).sliced(copied, match.capturedStart() - copied);
        if (!declared)
            result += utf8Meta;   // only the first: a second declaration could only contradict it
        declared = true;
        copied = match.capturedEnd();
    }
    if (declared)
        return result + html.sliced(copied);
    static const QRegularExpression head(QStringLiteral(R"(<head\b[^>]*>)"), QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = head.match(html);
    if (!match.hasMatch())
        return html;
    return QString(html).insert(match.capturedEnd(), utf8Meta);
}

QByteArray declaredCharset(QByteArrayView html)
{
    const QString start = QString::fromLatin1(html.first(std::min(html.size(), kDeclarationScan)));
    const QRegularExpressionMatch match = declaration().match(start);
    return match.hasMatch() ? match.captured(2).toLatin1() : QByteArray();
}
