// Desktop entries: see desktop_entry.h.

#include "controls/desktop_entry.h"

#include "controls/desktop_exec.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

constexpr qint64 maximumEntrySize = 1 << 20;

QString tr(const char* text)
{
    return QCoreApplication::translate("TGoToWeb", text);
}

QString environmentOr(const char* name, const QString& fallback)
{
    const QString value = qEnvironmentVariable(name);
    return value.isEmpty() ? fallback : value;
}

}  // namespace

QStringList applicationFolders()
{
    const QString dataHome = environmentOr("XDG_DATA_HOME", QDir::homePath() + QLatin1String("/.local/share"));
    const QString dataDirs = environmentOr("XDG_DATA_DIRS", QStringLiteral("/usr/local/share:/usr/share"));
    QStringList folders{dataHome + QLatin1String("/applications")};
    for (const QString& dir : dataDirs.split(QLatin1Char(':'), Qt::SkipEmptyParts))
        folders += dir + QLatin1String("/applications");
    return folders;
}

bool isDesktopFileId(const QString& id)
{
    return id.endsWith(QLatin1String(".desktop")) && id.size() > 8 && !id.startsWith(QLatin1Char('.'))
        && !id.contains(QLatin1Char('/'));
}

namespace {

// The entry whose id, relative to folder, is id: "vendor-name.desktop" may be "vendor/name.desktop" (each
// "/" of the path becomes "-" in the id). A file of the whole name comes first, then sub-folders from the
// shortest prefix; only folders that exist are entered, so the search ends within the id's length.
QString findEntryUnder(const QString& folder, const QString& id)
{
    const QString path = folder + QLatin1Char('/') + id;
    if (QFileInfo(path).isFile())
        return path;
    for (qsizetype dash = id.indexOf(QLatin1Char('-')); dash > 0; dash = id.indexOf(QLatin1Char('-'), dash + 1)) {
        const QString subfolder = folder + QLatin1Char('/') + id.left(dash);
        if (!isDesktopFileId(id.mid(dash + 1)) || !QFileInfo(subfolder).isDir())
            continue;
        const QString found = findEntryUnder(subfolder, id.mid(dash + 1));
        if (!found.isEmpty())
            return found;
    }
    return {};
}

}  // namespace

QString findDesktopEntry(const QString& id)
{
    if (!isDesktopFileId(id))
        return {};
    for (const QString& folder : applicationFolders()) {
        const QString path = findEntryUnder(folder, id);
        if (!path.isEmpty())
            return path;
    }
    return {};
}

DesktopEntryExec desktopEntryExec(const QByteArray& contents)
{
    bool inMainGroup = false;
    for (const QByteArray& rawLine : contents.split('\n')) {
        const QString line = QString::fromUtf8(rawLine).trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        if (line.startsWith(QLatin1Char('['))) {
            inMainGroup = line == QLatin1String("[Desktop Entry]");
            continue;
        }
        const qsizetype equals = line.indexOf(QLatin1Char('='));
        if (!inMainGroup || equals < 0 || QStringView(line).left(equals).trimmed() != QLatin1String("Exec"))
            continue;
        const QString exec = unescapeDesktopValue(QStringView(line).mid(equals + 1).trimmed());
        if (exec.isEmpty())
            return {{}, tr("The desktop entry has an empty Exec line.")};
        return {exec, {}};
    }
    return {{}, tr("The desktop entry has no Exec line.")};
}

DesktopEntryExec readDesktopEntryExec(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {{}, tr("%1: the desktop entry cannot be read (%2).").arg(path, file.errorString())};
    if (file.size() > maximumEntrySize)
        return {{}, tr("%1: the desktop entry is too large.").arg(path)};
    DesktopEntryExec result = desktopEntryExec(file.read(maximumEntrySize));
    if (!result.error.isEmpty())
        result.error = path + QLatin1String(": ") + result.error;
    return result;
}
