// Where the HTML page's pictures come from and where they go in the project's picture folder: file addresses
// turned into local paths, data: addresses decoded, the file name a web picture is saved under, the part of a
// picture's path kept under the picture folder on import, and a free file name in that folder. Paths use "/"
// and compare exactly (letter case matters). No window, no network.
#pragma once

#include <QByteArray>
#include <QString>
#include <QUrl>

#include <functional>
#include <optional>

// The local path a picture address names: a "file:" address percent-decoded (file:///p, file://p and
// file://localhost/p all name /p; a query or fragment is cut off), or an absolute path as it stands. nullopt
// for everything else: remote (http:, https:, ...), data: and relative addresses.
std::optional<QString> LocalPathOfAddress(const QString& address);

// A data: address's picture: its bytes and media type ("image/png"). nullopt when the address is no data:
// address, its media type is not an image, its base64 is malformed or the picture would exceed maxBytes.
struct DataPicture {
    QByteArray bytes;
    QString mediaType;
};
std::optional<DataPicture> DecodeDataAddress(const QString& address, qsizetype maxBytes);

// The extension (".png") of a picture's media type, without parameters and letter case; empty when unknown.
QString PictureExtensionOfType(const QString& mediaType);

// The name a picture fetched from address is saved under: the last segment of its path, decoded, without
// characters a file name cannot hold and cut to a sensible length; "picture" when none is left. A name
// without an extension gets the one of mediaType (the server's Content-Type).
QString PictureNameOfWebAddress(const QUrl& address, const QString& mediaType);

// The part of source kept under the picture folder on import: the path relative to baseFolder when source lies
// inside it (sub-folders kept), else only the file name. A relative part that climbs out ("..") is cut to its
// file name as well, so a picture never lands outside the folder.
QString ImportedPicturePart(const QString& baseFolder, const QString& source);

// The first of name, "stem-1.ext", "stem-2.ext", ... in folder that does not exist yet or that reusable accepts
// (the same file, or one with the same bytes); nullopt when none of the first thousand qualifies.
std::optional<QString> FreePictureName(const QString& folder, const QString& name,
                                       const std::function<bool(const QString& path)>& reusable);
