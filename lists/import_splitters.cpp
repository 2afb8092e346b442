// The import wizard's line splitters: see import_splitters.h.

#include "lists/import_splitters.h"

namespace {

constexpr QChar BreakMark = u'1';

}  // namespace

QString delimiterCharacters(int bits, QChar other)
{
    QString characters;
    if (bits & DelimiterSemicolon)
        characters += u';';
    if (bits & DelimiterComma)
        characters += u',';
    if (bits & DelimiterTab)
        characters += u'\t';
    if (bits & DelimiterSpace)
        characters += u' ';
    if ((bits & DelimiterOther) && !other.isNull())
        characters += other;
    return characters;
}

QStringList splitFixedWidthLine(QStringView line, QStringView mask)
{
    QStringList fields;
    for (qsizetype start = 0; start < mask.size();) {
        const qsizetype mark = mask.indexOf(BreakMark, start);
        const qsizetype end = mark < 0 ? mask.size() : mark + 1;
        fields.append(start < line.size() ? line.mid(start, end - start).toString() : QString());
        start = end;
    }
    return fields;
}

QString fitBreakMask(const QString& mask, int width)
{
    const int kept = int(std::min<qsizetype>(mask.size(), std::max(width, 0)));
    return mask.left(kept) + QString(std::max(width, 0) - kept, u' ');
}

QString toggleBreak(const QString& mask, int column)
{
    if (column < 0 || column >= mask.size())
        return mask;
    QString toggled = mask;
    toggled[column] = toggled[column] == BreakMark ? u' ' : BreakMark;
    return toggled;
}
