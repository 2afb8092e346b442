// HTML table mode: see db_maker_table.h.

#include "lists/db_maker_table.h"

#include "lists/db_maker_field.h"

namespace {

// The region [from, limit) of lowered between an opening tag and the close that matches it.
struct Region {
    qsizetype contentStart = 0;   // just after the opening tag's name
    qsizetype contentEnd = 0;     // at the matching close, or the limit when it is missing
    qsizetype next = 0;           // where a search for the next sibling goes on
};

// The close of the element opened at open, counting nested openings of the same kind.
Region matchRegion(QByteArrayView whole, qsizetype open, QByteArrayView openTag, QByteArrayView closeTag,
                   qsizetype limit)
{
    const QByteArrayView lowered = whole.first(limit);   // no search runs past the enclosing element
    const qsizetype contentStart = open + openTag.size();
    qsizetype nextOpen = lowered.indexOf(openTag, contentStart);
    qsizetype nextClose = lowered.indexOf(closeTag, contentStart);
    int depth = 1;
    for (;;) {
        if (nextClose < 0)
            return {contentStart, limit, limit};
        if (nextOpen >= 0 && nextOpen < nextClose) {
            ++depth;
            nextOpen = lowered.indexOf(openTag, nextOpen + openTag.size());
            continue;
        }
        if (--depth == 0)
            return {contentStart, nextClose, nextClose + closeTag.size()};
        nextClose = lowered.indexOf(closeTag, nextClose + closeTag.size());
    }
}

// The children of one kind in [from, limit), each ending at its matching close.
QList<Region> childRegions(QByteArrayView whole, qsizetype from, qsizetype limit, QByteArrayView openTag,
                           QByteArrayView closeTag)
{
    const QByteArrayView lowered = whole.first(limit);
    QList<Region> regions;
    qsizetype position = from;
    for (;;) {
        const qsizetype open = lowered.indexOf(openTag, position);
        if (open < 0)
            return regions;
        const Region region = matchRegion(whole, open, openTag, closeTag, limit);
        regions << region;
        position = region.next;
    }
}

}  // namespace

QByteArray cellText(QByteArrayView cell)
{
    QByteArray plain;
    plain.reserve(cell.size());
    for (char c : cell)
        if (c != '\r' && c != '\n' && c != '\t')
            plain += c;
    QByteArray untagged;
    untagged.reserve(plain.size());
    qsizetype position = 0;
    const qsizetype firstOpen = plain.indexOf('<');
    const qsizetype firstClose = plain.indexOf('>');
    if (firstClose >= 0 && (firstOpen < 0 || firstClose < firstOpen))
        position = firstClose + 1;
    while (position < plain.size()) {
        const qsizetype open = plain.indexOf('<', position);
        if (open < 0) {
            untagged += QByteArrayView(plain).sliced(position);
            break;
        }
        untagged += QByteArrayView(plain).sliced(position, open - position);
        const qsizetype close = plain.indexOf('>', open);
        if (close < 0)
            break;   // an unclosed "<" cuts the value
        position = close + 1;
    }
    const QByteArray lowered = lowerAscii(untagged);
    QByteArray value;
    value.reserve(untagged.size());
    position = 0;
    for (;;) {
        const qsizetype entity = lowered.indexOf("&nbsp", position);
        if (entity < 0) {
            value += QByteArrayView(untagged).sliced(position);
            return value;
        }
        value += QByteArrayView(untagged).sliced(position, entity - position);
        position = entity + 5;
        if (position < untagged.size() && untagged[position] == ';')
            ++position;
    }
}

QList<QStringList> htmlTableRows(QByteArrayView text, QByteArrayView lowered, int tableNumber)
{
    QList<QStringList> rows;
    if (tableNumber < 1)
        return rows;
    qsizetype table = -5;
    for (int found = 0; found < tableNumber; ++found) {
        table = lowered.indexOf("<table", table + 5);
        if (table < 0)
            return rows;
    }
    const Region body = matchRegion(lowered, table, "<table", "</table", lowered.size());
    for (const Region& row : childRegions(lowered, body.contentStart, body.contentEnd, "<tr", "</tr>")) {
        QStringList values;
        bool anyValue = false;
        for (const Region& cell : childRegions(lowered, row.contentStart, row.contentEnd, "<td", "</td>")) {
            const QByteArray value = cellText(text.sliced(cell.contentStart, cell.contentEnd - cell.contentStart));
            anyValue = anyValue || !value.isEmpty();
            values << decodeFieldValue(value);
        }
        if (anyValue)
            rows << values;
    }
    return rows;
}
