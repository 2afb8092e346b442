// The book list: see book_list_file.h.

#include "lists/book_list_file.h"

#include "core/base/text_helpers.h"
#include "lists/record_values.h"

namespace {

const QString kDefaultBook = QStringLiteral("Default");

// A name that stays a file inside the folder.
bool safeBaseName(const QString& name)
{
    if (name.isEmpty() || name.contains(u'/') || name.contains(u'\\') || name.contains(QLatin1String("..")))
        return false;
    for (const QChar c : name)
        if (c.unicode() < ' ')
            return false;
    return true;
}

}  // namespace

TListABFile::TListABFile(const QString& folder) : TcsvFile(bookListPath(folder), KindBookList, 0)
{
    First();
}

void TListABFile::Clear()
{
    Id = 0;
    Strings.fill(QString());
}

void TListABFile::Parse()
{
    Clear();
    const QStringList fields = splitTextItems(QLatin1Char('^'), Line);
    if (!fields.isEmpty())
        Id = readRecordInteger(fields.at(0));
    for (int i = 1; i < std::min<int>(int(fields.size()), 7); ++i)
        Strings[i - 1] = EscapeCaret(fields.at(i), false);
}

QString bookListPath(const QString& folder)
{
    return recordFilePath(folder, QStringLiteral("ListAB.lab"));
}

QString BookFileName(const QString& folder, int bookId)
{
    if (bookId <= 0)
        return kDefaultBook;
    TListABFile list(folder);
    if (!list.Locate(bookId))
        return kDefaultBook;
    const QString name = list.BaseName();
    return safeBaseName(name) ? name : kDefaultBook;
}
