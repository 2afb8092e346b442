// TListABFile: the cursor over a folder's list of address books, "ListAB.lab" (found without regard to letter
// case), one book a line: id, display name, the base name of the book's file and four strings kept as they are.
// BookFileName gives the base name of a book's file, "Default" when the book is unknown or its name would lead
// out of the folder.
#pragma once

#include "lists/csv_file.h"

#include <array>

class TListABFile : public TcsvFile {
public:
    // Opens the folder's list (creating it empty when it is missing) at its first record.
    explicit TListABFile(const QString& folder);

    int Id = 0;
    std::array<QString, 6> Strings;   // fields 1-6, unescaped: display name, file base name, four kept

    QString DisplayName() const { return Strings[0]; }
    QString BaseName() const { return Strings[1]; }

protected:
    void Clear() override;
    void Parse() override;
};

// The path of folder's book list.
QString bookListPath(const QString& folder);

// The base name of book bookId's file in folder: the list's field 2 for that id; "Default" for an id of 0 or
// less, an id the list lacks, and a name that is empty or holds "/", "\", ".." or a control character.
QString BookFileName(const QString& folder, int bookId);
