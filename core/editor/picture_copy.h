// Copying a picture into the project's picture folder (CopyImageToProject and the import): local files (file
// addresses percent-decoded, absolute paths) are copied, data: pictures written out as files; web addresses
// are fetched elsewhere (picture_fetcher.h), which saves through WritePictureBytes. Every missing folder level
// is made. A name already taken by a different picture gets a free one (picture_paths.h); the same picture
// already there, or a file copied onto itself, counts as success. No window, no network.
#pragma once

#include <QString>
#include <QStringList>

#include <optional>

// Copies the picture at address to folder + "/" + relativeName (a free name when that is taken by another
// picture); the copy's path, or nullopt when address is not a local file or the copy failed.
std::optional<QString> CopyPictureInto(const QString& address, const QString& folder, const QString& relativeName);

// CopyImageToProject: the picture at address copied into folder under its own file name.
std::optional<QString> CopyPictureToFolder(const QString& address, const QString& folder);

// The largest picture fetched or written out of a data: address.
inline constexpr qsizetype kLargestPicture = 20 * 1024 * 1024;

// bytes saved as folder + "/" + name (a free name when that is taken by another picture, the existing file
// when it holds the same bytes); the file's path, or nullopt with *error set.
std::optional<QString> WritePictureBytes(const QByteArray& bytes, const QString& folder, const QString& name,
                                         QString* error = nullptr);

// A data: picture written into folder as "picture" + the extension of its type.
std::optional<QString> CopyDataPicture(const QString& address, const QString& folder);

// The import's pictures: each source address (as the page resolved it) whose file lies in baseFolder is copied
// to the same place under pictureFolder, any other local file under its file name, a data: picture written out;
// the answer holds the copies' file addresses (percent-encoded) and, where a copy failed or the address is
// neither (a web address among them), the source.
QStringList ImportPictures(const QStringList& sources, const QString& baseFolder, const QString& pictureFolder);
