// Companion-file lookup: see file_lookup.h.

#include "dbase/file_lookup.h"

#include <QDir>
#include <QFileInfo>

QString findCompanionFile(const QString& tablePath, const QString& extension)
{
    const QFileInfo table(tablePath);
    const QString wanted = table.completeBaseName() + extension;
    const QDir folder = table.absoluteDir();
    if (QFileInfo(folder.filePath(wanted)).isFile())
        return folder.filePath(wanted);
    // QDir::System lists FIFOs and sockets too, so each candidate is checked again.
    const QStringList names = folder.entryList(QDir::Files | QDir::Hidden | QDir::System);
    for (const QString& name : names)
        if (name.compare(wanted, Qt::CaseInsensitive) == 0 && QFileInfo(folder.filePath(name)).isFile())
            return folder.filePath(name);
    return {};
}
