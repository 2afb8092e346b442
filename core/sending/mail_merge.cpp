// Mail merge: see mail_merge.h.

#include "core/sending/mail_merge.h"

#include "platform/string_grid.h"

namespace {

// The title's second form: a blank before its seventh character ("Column#2" -> "Column #2"), or an empty
// text when the title has no such form.
QString secondTitleForm(const QString& title)
{
    constexpr int kBlankBefore = 6;   // 0-based index of the seventh character
    if (title.size() <= kBlankBefore || title.at(kBlankBefore) == QLatin1Char(' '))
        return {};
    return title.left(kBlankBefore) + QLatin1Char(' ') + title.mid(kBlankBefore);
}

QString bracketed(const QString& title)
{
    return QLatin1Char('[') + title + QLatin1Char(']');
}

}  // namespace

QString ReplaceAllNoCase(const QString& placeholder, const QString& text, const QString& value)
{
    QString result = text;
    if (placeholder.isEmpty())
        return result;
    qsizetype at = result.indexOf(placeholder, 0, Qt::CaseInsensitive);
    while (at >= 0) {
        result.replace(at, placeholder.size(), value);
        // Resume after the value: a value that holds the placeholder must not be replaced again.
        at = result.indexOf(placeholder, at + value.size(), Qt::CaseInsensitive);
    }
    return result;
}

QString MergeRecipientText(const QString& text, const QStringList& titles, const StringGrid& grid, int row)
{
    QString result = text;
    for (int column = 0; column < titles.size(); ++column) {
        const QString& title = titles.at(column);
        const QString value = grid.cell(column, row);
        result = ReplaceAllNoCase(bracketed(title), result, value);
        const QString second = secondTitleForm(title);
        if (!second.isEmpty())
            result = ReplaceAllNoCase(bracketed(second), result, value);
    }
    return result;
}

QString MergeRecipientSubject(const QString& subject, const QStringList& titles, const StringGrid& grid, int row)
{
    QString result = MergeRecipientText(subject, titles, grid, row);
    result.replace(QLatin1Char('\r'), QLatin1Char(' '));
    result.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return result;
}
