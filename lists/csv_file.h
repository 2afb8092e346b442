// TcsvFile: a record cursor over a shared line store (low_file.h). RecNo counts from 1; Load copies the current
// line into Line and lets the record type Parse it. The cursor holds one reference to its store and gives it
// back when destroyed. Only the reading moves are here: the program never posts, appends or deletes a record.
#pragma once

#include "lists/low_file.h"

#include <QString>

class TcsvFile {
public:
    enum class CursorState {
        Idle,     // nothing loaded
        Loaded,   // Line (and the record) hold the current line
    };

    TcsvFile(const QString& fileName, RecordKind kind, int ownerId);
    virtual ~TcsvFile();
    TcsvFile(const TcsvFile&) = delete;
    TcsvFile& operator=(const TcsvFile&) = delete;

    void First();
    // Eof: true and nothing done; otherwise to the next line. Answers Eof afterwards.
    bool Next();
    bool Eof() const;
    int Count() const;
    int MaxId() const;
    // To the first line with id; true when it was found and loaded.
    bool Locate(int id);
    void Load();

    RecordKind Kind;
    int OwnerId;
    int RecNo = 1;
    CursorState State = CursorState::Idle;
    QString Line;
    TLowFile* Store;

protected:
    virtual void Clear() {}
    virtual void Parse() {}
};
