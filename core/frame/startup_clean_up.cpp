// The start-up sweep: see startup_clean_up.h.

#include "core/frame/startup_clean_up.h"

#include "core/frame/reopen_list.h"
#include "core/settings/ini_info.h"
#include "platform/program_folder.h"
#include "platform/stale_temporaries.h"

#include <QDir>
#include <QFileInfo>

namespace {

QStringList foldersTheProgramWrites()
{
    QStringList folders = {programFolderPath(), programFolderPath() + QStringLiteral("logs"), DefaultIniInfo.PathPro};
    ReopenList reopen;
    reopen.load();
    for (const QString& project : reopen.paths())
        folders.append(QFileInfo(project).absolutePath());
    for (QString& folder : folders)
        folder = QDir::cleanPath(folder);
    folders.removeDuplicates();
    return folders;
}

}  // namespace

QStringList RemoveStaleTemporariesAtStartUp()
{
    QStringList removed;
    for (const QString& folder : foldersTheProgramWrites()) {
        for (const QString& name : removeStaleTemporaries(folder))
            removed.append(folder + QLatin1Char('/') + name);
    }
    return removed;
}
