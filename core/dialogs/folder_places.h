// The places that stand for drives in the folder pickers: the root, the home folder and every mounted volume
// that is ready, each once. No widgets here: the pickers fill their own boxes.
#pragma once

#include <QList>
#include <QString>

struct FolderPlace {
    QString label;   // what the box shows: the path, or the volume's name and its path
    QString path;    // clean absolute path
};

QList<FolderPlace> folderPlaces();

// The index of the place folder lies in (the longest such path), 0 when there is none.
int placeOfFolder(const QList<FolderPlace>& places, const QString& folder);
