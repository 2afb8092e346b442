// Program folder lookup: see program_folder.h.

#include "platform/program_folder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

QString programFolderPath()
{
    QString folder = qEnvironmentVariable("SORVANTA_HOME");
    if (folder.isEmpty())
        folder = QCoreApplication::applicationDirPath();
    if (folder.isEmpty())
        folder = QDir::currentPath();
    if (!folder.endsWith('/'))
        folder += '/';
    return folder;
}

QString shippedFilePath(const QString& name)
{
    for (const QString& folder : {programFolderPath(), QCoreApplication::applicationDirPath() + u'/'}) {
        const QString path = folder + name;
        if (QFileInfo(path).isFile())
            return path;
    }
    return {};
}
