// The import wizard's line splitters: see import_splitters.h.

#include "lists/import_splitters.h"

namespace {

constexpr QChar BreakMark = u'1';

// Calls add(start, length) for each field of line.
template <typename Add>
void forEachDelimitedField(QStringView line, QStringView delimiters, bool consecutiveAsOne, Add&& add)
{
    const qsizetype size = line.size();
    qsizetype start = 0;
    while (start < size) {
        qsizetype end = start;
        while (end < size && !delimiters.contains(line[end]))
            ++end;
        add(start, end - start);
        if (end < size)
            ++end;   // the delimiter after the field
        if (consecutiveAsOne)
            while (end < size && delimiters.contains(line[end]))
                ++end;
        start = end;
    }
}

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

QStringList splitDelimitedLine(QStringView line, QStringView delimiters, bool consecutiveAsOne)
{
    QStringList fields;
    forEachDelimitedField(line, delimiters, consecutiveAsOne,
                          [&](qsizetype start, qsizetype length) { fields.append(line.sliced(start, length).toString()); });
    return fields;
}

int delimitedFieldCount(QStringView line, QStringView delimiters, bool consecutiveAsOne)
{
    int count = 0;
    forEachDelimitedField(line, delimiters, consecutiveAsOne, [&](qsizetype, qsizetype) { ++count; });
    return count;
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
