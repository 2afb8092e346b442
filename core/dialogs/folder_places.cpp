// Places for the folder pickers: see folder_places.h.

#include "core/dialogs/folder_places.h"

#include <QDir>
#include <QStorageInfo>

namespace {

bool isWithin(const QString& folder, const QString& place)
{
    return folder == place || place == QLatin1String("/") || folder.startsWith(place + QLatin1Char('/'));
}

}  // namespace

QList<FolderPlace> folderPlaces()
{
    const QString root = QStringLiteral("/");
    const QString home = QDir::cleanPath(QDir::homePath());
    QList<FolderPlace> places{{root, root}};
    if (home != root)
        places.append({home, home});
    for (const QStorageInfo& volume : QStorageInfo::mountedVolumes()) {
        const QString path = QDir::cleanPath(volume.rootPath());
        const bool known = std::any_of(places.cbegin(), places.cend(),
                                       [&](const FolderPlace& place) { return place.path == path; });
        if (!volume.isValid() || !volume.isReady() || known)
            continue;
        const QString name = volume.displayName();
        places.append({name == path ? path : name + QStringLiteral(" (") + path + QLatin1Char(')'), path});
    }
    return places;
}

int placeOfFolder(const QList<FolderPlace>& places, const QString& folder)
{
    const QString clean = QDir::cleanPath(QDir(folder).absolutePath());
    int found = 0;
    for (int i = 0; i < int(places.size()); ++i) {
        const QString& path = places.at(i).path;
        if (isWithin(clean, path) && path.size() >= places.at(found).path.size())
            found = i;
    }
    return found;
}
