// The record cursor: see csv_file.h.

#include "lists/csv_file.h"

TcsvFile::TcsvFile(const QString& fileName, RecordKind kind, int ownerId)
    : Kind(kind), OwnerId(ownerId), Store(acquireLowFile(fileName, kind, ownerId))
{
}

TcsvFile::~TcsvFile()
{
    Release(Store);
}

void TcsvFile::First()
{
    RecNo = 1;
    Load();
}

bool TcsvFile::Next()
{
    if (Eof())
        return true;
    ++RecNo;
    Load();
    return Eof();
}

bool TcsvFile::Eof() const
{
    return Count() == 0 || RecNo > Count();
}

int TcsvFile::Count() const
{
    return Store->Count();
}

int TcsvFile::MaxId() const
{
    return Store->MaxId;
}

bool TcsvFile::Locate(int id)
{
    const int index = Store->IndexOfId(0, id);
    if (index < 0)
        return false;
    RecNo = index + 1;
    Load();
    return State == CursorState::Loaded;
}

void TcsvFile::Load()
{
    State = CursorState::Idle;
    if (Store->GetLine(RecNo - 1, Line)) {
        Parse();
        State = CursorState::Loaded;
    }
}
