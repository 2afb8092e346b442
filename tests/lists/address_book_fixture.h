// Address-book fixtures made from the record layout: a contact line of 60 "^"-separated fields (id, three
// integers, seven amounts, three dates, three flags, 43 strings), a book list line, and files of such lines
// written with CR LF.
#pragma once

#include "lists/address_book_record.h"
#include "tests/support/test_files.h"

#include <QByteArray>
#include <QDir>
#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>

namespace sorvanta::test {

// A contact line: strings by field name (LN .. VATID, written as given: escape carets yourself), dates as texts.
inline QByteArray contactLine(int id, const QMap<QString, QString>& strings = {},
                              const QMap<QString, QString>& dates = {})
{
    QStringList fields{QString::number(id), "0", "0", "0"};
    for (int i = 0; i < 7; ++i)
        fields << QString();
    for (const char* date : {"BIRTHDAY", "DATEADDED", "LASTUPDATE"})
        fields << dates.value(QLatin1String(date));
    fields << QString() << QString() << QString();
    for (const char* name : AbookStringNames)
        fields << strings.value(QLatin1String(name));
    return fields.join(QLatin1Char('^')).toUtf8();
}

inline QByteArray bookListLine(int id, const QString& displayName, const QString& baseName)
{
    return QStringLiteral("%1^%2^%3^^^^").arg(id).arg(displayName, baseName).toUtf8();
}

// Writes lines, each ended by CR LF, to folder/name (the folder made first).
inline QString writeLines(const QString& folder, const QString& name, const QList<QByteArray>& lines)
{
    QDir().mkpath(folder);
    QByteArray bytes;
    for (const QByteArray& line : lines)
        bytes += line + "\r\n";
    const QString path = QDir(folder).filePath(name);
    writeFileBytes(path, bytes);
    return path;
}

}  // namespace sorvanta::test
