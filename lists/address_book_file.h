// TABookFile: the cursor over one address book, base name (book_list_file.h) + ".abk" in the book's folder, found
// without regard to letter case and created empty when missing. Each loaded line fills Record.
#pragma once

#include "lists/address_book_record.h"
#include "lists/csv_file.h"

class TABookFile : public TcsvFile {
public:
    // Opens book bookId of folder's list (id 0 or an unknown id: "Default") at its first record.
    TABookFile(const QString& folder, int bookId);

    QString Folder;
    TAbook Record;

    // AbookGetField of the current record.
    QString GetField(const QString& name) const { return AbookGetField(Record, name); }

protected:
    void Clear() override;
    void Parse() override;
};

// The path of book bookId's file in folder.
QString bookFilePath(const QString& folder, int bookId);
