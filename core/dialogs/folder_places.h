// The places that stand for drives in the folder pickers: the root, the home folder and every mounted volume
// that is ready and is a folder, each once. A container's bind mounts of single files (/etc/resolv.conf,
// /etc/hosts) are mount points too, but no place to browse. No widgets here: the pickers fill their own boxes.
#pragma once

#include <QList>
#include <QString>

struct FolderPlace {
    QString label;   // what the box shows: the path, or the volume's name and its path
    QString path;    // clean absolute path
};

QList<FolderPlace> folderPlaces();
// The root and the home folder, then those of volumes (label: the volume's name) that are folders and not
// listed yet.
QList<FolderPlace> folderPlacesWith(const QList<FolderPlace>& volumes);

// The index of the place folder lies in (the longest such path), 0 when there is none.
int placeOfFolder(const QList<FolderPlace>& places, const QString& folder);
