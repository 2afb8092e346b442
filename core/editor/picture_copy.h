// Copying a picture into the project's picture folder (CopyImageToProject and the import). Only local files
// are copied (file addresses percent-decoded, absolute paths); remote and data: addresses are not fetched, so
// the picture keeps its address. Every missing folder level is made. A name already taken by a different
// picture gets a free one (picture_paths.h); copying a file onto itself counts as success. No window.
#pragma once

#include <QString>
#include <QStringList>

#include <optional>

// Copies the picture at address to folder + "/" + relativeName (a free name when that is taken by another
// picture); the copy's path, or nullopt when address is not a local file or the copy failed.
std::optional<QString> CopyPictureInto(const QString& address, const QString& folder, const QString& relativeName);

// CopyImageToProject: the picture at address copied into folder under its own file name.
std::optional<QString> CopyPictureToFolder(const QString& address, const QString& folder);

// The import's pictures: each source address (as the page resolved it) whose file lies in baseFolder is copied
// to the same place under pictureFolder, any other local file under its file name; the answer holds the copies'
// file addresses (percent-encoded) and, where a copy failed or the address is not a local file, the source.
QStringList ImportPictures(const QStringList& sources, const QString& baseFolder, const QString& pictureFolder);
