// The shared line stores: see low_file.h.

#include "lists/low_file.h"

#include "lists/record_values.h"
#include "platform/text_file.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>

namespace {

std::vector<std::unique_ptr<TLowFile>>& openStores()
{
    static std::vector<std::unique_ptr<TLowFile>> stores;
    return stores;
}

QString fullFileName(const QString& fileName)
{
    return QDir::cleanPath(QFileInfo(fileName).absoluteFilePath());
}

// The file's lines (CR, LF or CR LF), decoded by the program's text rule: line by line, so one stray byte
// spoils one line, not the whole file.
QStringList decodeLines(const QByteArray& bytes)
{
    return splitLines(decodeText(bytes));
}

bool createEmptyFile(const QString& fileName, QString& error)
{
    const QFileInfo info(fileName);
    if (!QDir().mkpath(info.absolutePath())) {
        error = QStringLiteral("cannot create the folder ") + info.absolutePath();
        return false;
    }
    return writeFileAtomically(fileName, {}, &error);
}

}  // namespace

void loadRecordLines(TLowFile& store, const QByteArray& bytes)
{
    const QStringList lines = decodeLines(bytes);
    store.Lines.reserve(lines.size());
    store.Ids.reserve(lines.size());
    for (const QString& line : lines) {
        int id = 0;
        if (!ParseLineId(line, id))
            continue;   // no valid id: dropped
        store.Lines.append(line);
        store.Ids.append(id);
        store.MaxId = std::max(store.MaxId, id);
    }
}

bool TLowFile::GetLine(int index, QString& line) const
{
    if (index < 0 || index >= Count())
        return false;
    line = Lines.at(index);
    return true;
}

int TLowFile::IndexOfId(int start, int id) const
{
    for (int index = std::max(start, 0); index < Count(); ++index)
        if (Ids.at(index) == id)
            return index;
    return -1;
}

std::unique_ptr<TLowFile> LowFileCreate(const QString& fileName, RecordKind kind)
{
    auto store = std::make_unique<TLowFile>();
    store->Kind = kind;
    store->FileName = fullFileName(fileName);
    if (QFileInfo::exists(fileName)) {
        QFile file(fileName);
        if (!file.open(QIODevice::ReadOnly)) {
            store->loadError = file.errorString();
            return store;
        }
        const QByteArray bytes = file.readAll();
        if (file.error() != QFileDevice::NoError) {
            store->loadError = file.errorString();
            return store;
        }
        loadRecordLines(*store, bytes);
    } else if (!createEmptyFile(fileName, store->loadError)) {
        return store;
    }
    store->Loaded = true;
    return store;
}

const std::vector<std::unique_ptr<TLowFile>>& OpenLowFiles()
{
    return openStores();
}

TLowFile* acquireLowFile(const QString& fileName, RecordKind kind, int ownerId)
{
    const QString wanted = fullFileName(fileName);
    std::vector<std::unique_ptr<TLowFile>>& stores = openStores();
    auto found = std::find_if(stores.begin(), stores.end(), [&](const std::unique_ptr<TLowFile>& store) {
        return store->Kind == kind && store->OwnerId == ownerId && store->FileName == wanted;
    });
    TLowFile* store = nullptr;
    if (found != stores.end()) {
        store = found->get();
    } else {
        stores.push_back(LowFileCreate(wanted, kind));
        store = stores.back().get();
        store->OwnerId = ownerId;
    }
    ++store->RefCount;
    return store;
}

void Release(TLowFile* store)
{
    if (!store || --store->RefCount > 0)
        return;
    std::vector<std::unique_ptr<TLowFile>>& stores = openStores();
    std::erase_if(stores, [store](const std::unique_ptr<TLowFile>& open) { return open.get() == store; });
}

QString recordFilePath(const QString& folder, const QString& name)
{
    const QDir dir(folder);
    const QString exact = dir.filePath(name);
    if (QFileInfo::exists(exact))
        return exact;
    const QStringList entries = dir.entryList(QDir::Files | QDir::Hidden | QDir::System);
    for (const QString& entry : entries)
        if (entry.compare(name, Qt::CaseInsensitive) == 0)
            return dir.filePath(entry);
    return exact;
}
