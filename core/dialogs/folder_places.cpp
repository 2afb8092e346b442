// Places for the folder pickers: see folder_places.h.

#include "core/dialogs/folder_places.h"

#include <QDir>
#include <QFileInfo>
#include <QStorageInfo>

namespace {

bool isWithin(const QString& folder, const QString& place)
{
    return folder == place || place == QLatin1String("/") || folder.startsWith(place + QLatin1Char('/'));
}

}  // namespace

QList<FolderPlace> folderPlaces()
{
    QList<FolderPlace> volumes;
    for (const QStorageInfo& volume : QStorageInfo::mountedVolumes()) {
        if (volume.isValid() && volume.isReady())
            volumes.append({volume.displayName(), volume.rootPath()});
    }
    return folderPlacesWith(volumes);
}

QList<FolderPlace> folderPlacesWith(const QList<FolderPlace>& volumes)
{
    const QString root = QStringLiteral("/");
    const QString home = QDir::cleanPath(QDir::homePath());
    QList<FolderPlace> places{{root, root}};
    if (home != root)
        places.append({home, home});
    for (const FolderPlace& volume : volumes) {
        const QString path = QDir::cleanPath(volume.path);
        const bool known = std::any_of(places.cbegin(), places.cend(),
                                       [&](const FolderPlace& place) { return place.path == path; });
        if (known || !QFileInfo(path).isDir())
            continue;
        const QString& name = volume.label;
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
