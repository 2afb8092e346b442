// TLowFile: the shared line store of one open address-book record file, and OpenLowFiles, the stores open now.
// A store holds the file's lines that carry a valid id (others are dropped on load, and MaxId ignores them);
// a missing file is created empty with its folders, a file that can be neither read nor created leaves the
// store not Loaded and empty. Stores are shared by cursors of the same kind, owner and full file name; each
// release lowers RefCount, and the store is freed at 0. The program only reads these files: nothing here writes
// a line back.
#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <memory>
#include <vector>

// The record type a store holds.
enum RecordKind : std::uint8_t {
    KindBook = 7,       // one address book, ".abk"
    KindBookList = 8,   // the list of books, "ListAB.lab"
};

struct TLowFile {
    QStringList Lines;     // the file's lines with an id, in file order
    QList<int> Ids;        // the id of each line
    RecordKind Kind = KindBook;
    int OwnerId = 0;       // the book id for a book, 0 for the list
    int MaxId = 0;         // the largest id seen
    int RefCount = 0;
    bool Loaded = false;   // read, or created empty
    QString FileName;      // the full file name
    QString loadError;     // why the file could be neither read nor created

    int Count() const { return int(Lines.size()); }
    // The line at index; false when index is out of range.
    bool GetLine(int index, QString& line) const;
    // The first line from start on whose id is id, or -1.
    int IndexOfId(int start, int id) const;
};

// Fills store's lines from a file's bytes: decoded (UTF-16 after FF FE, else UTF-8 or the legacy code page
// line by line), lines ending in CR, LF or CR LF, each line without a valid id dropped.
void loadRecordLines(TLowFile& store, const QByteArray& bytes);

// Reads fileName (decoded as the program's text files are, lines ending in CR, LF or CR LF) into a new store,
// or creates the file empty with its missing folders.
std::unique_ptr<TLowFile> LowFileCreate(const QString& fileName, RecordKind kind);

// The stores open now, in the order they were opened.
const std::vector<std::unique_ptr<TLowFile>>& OpenLowFiles();
// The open store of kind, owner and full file name, or a new one appended to OpenLowFiles; RefCount + 1.
TLowFile* acquireLowFile(const QString& fileName, RecordKind kind, int ownerId);
// RefCount - 1; at 0 the store leaves OpenLowFiles and is freed. Loaded or not.
void Release(TLowFile* store);

// folder's file called name, found without regard to letter case (an exact match first); folder + name when
// there is none.
QString recordFilePath(const QString& folder, const QString& name);
