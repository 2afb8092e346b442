// One address book: see address_book_file.h.

#include "lists/address_book_file.h"

#include "lists/book_list_file.h"

TABookFile::TABookFile(const QString& folder, int bookId)
    : TcsvFile(bookFilePath(folder, bookId), KindBook, bookId), Folder(folder)
{
    First();
}

void TABookFile::Clear()
{
    AbookClear(Record);
}

void TABookFile::Parse()
{
    AbookParseLine(Record, Line);
}

QString bookFilePath(const QString& folder, int bookId)
{
    return recordFilePath(folder, BookFileName(folder, bookId) + QStringLiteral(".abk"));
}
