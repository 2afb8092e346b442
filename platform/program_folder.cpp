// Program folder lookup: see program_folder.h.

#include "platform/program_folder.h"

#include <QCoreApplication>
#include <QDir>

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
