// File places: see places.h.

#include "core/dialogs/places.h"

#include <QDir>
#include <QStorageInfo>

QStringList filePlaces()
{
    QStringList places{QDir::rootPath(), QDir::homePath()};
    for (const QStorageInfo& volume : QStorageInfo::mountedVolumes())
        if (volume.isValid() && volume.isReady() && !places.contains(volume.rootPath()))
            places.append(volume.rootPath());
    return places;
}
