// One extraction field of DB Maker, read from a row of the field grid, and the search that finds it in a
// record. Records are searched as ASCII-lowered bytes; positions are byte offsets, so a span found in the
// lowered copy cuts the same bytes out of the text as read. Every scan is bounded by the record.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

// What a keyword alternative of a begin text ("^Find@^+^FindUrl") looks for.
enum class KeywordKind {
    Email,    // "^find@": e-mail addresses around an "@"
    Url,      // "^findurl": links from "http://", "href=" or "www."
    Domain,   // "^finddomain": the same, cut after the host name
    Nothing,  // any other alternative finds nothing
};

struct DbMakerField {
    QString name;
    QByteArray begin;    // UTF-8, ASCII letters lowered
    QByteArray end;      // UTF-8, ASCII letters lowered
    QList<KeywordKind> keywords;   // non-empty exactly when the begin text starts with "^"
    int occurrence = 1;
    int symbols = 0;
    int words = 0;
    int lines = 0;
    int lineNumber = 0;
    bool unique = false;
};

// The field of one grid row (name, begin, end, identifier number, symbols, words, lines, line number,
// unique); nullopt when the trimmed name is empty. Missing cells count as empty.
std::optional<DbMakerField> fieldFromCells(const QStringList& cells);
QList<DbMakerField> fieldsFromRows(const QList<QStringList>& rows);

// Lower-cases the ASCII letters only, so byte positions stay where they were.
QByteArray lowerAscii(QByteArrayView bytes);

// Where a field lies in a record: bytes [start, end).
struct FieldSpan {
    qsizetype start = 0;
    qsizetype end = 0;
};

// A keyword hit: where its pattern was found, and the value around it.
struct KeywordHit {
    qsizetype at = 0;
    FieldSpan span;
};

// Searches field in the lowered record; nullopt when it is not found.
std::optional<FieldSpan> searchField(QByteArrayView record, const DbMakerField& field);
// The keyword search on its own: the occurrence-th hit of the alternatives, the smallest start winning.
std::optional<FieldSpan> searchKeywords(QByteArrayView record, const QList<KeywordKind>& keywords,
                                        int occurrence);
// Hands take the hits of one kind at or after from, in order, until it answers false; hits whose value is
// empty or the bare pattern are passed over, as the search does.
void forEachKeywordHit(QByteArrayView record, KeywordKind kind, qsizetype from,
                       const std::function<bool(const KeywordHit& hit)>& take);

// A value as handed out: the bytes decoded by the program's text rule, CR, LF and TAB removed.
QString decodeFieldValue(QByteArrayView bytes);
