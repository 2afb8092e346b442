// Copies pictures into the project's picture folder.

#include "core/editor/picture_copy.h"

#include "core/editor/picture_paths.h"
#include "platform/atomic_file.h"
#include "platform/text_file.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QUrl>

#include <functional>

namespace {

constexpr qint64 kCompareChunk = 64 * 1024;

bool sameBytes(const QString& first, const QString& second)
{
    QFile a(first);
    QFile b(second);
    if (!a.open(QIODevice::ReadOnly) || !b.open(QIODevice::ReadOnly) || a.size() != b.size())
        return false;
    while (!a.atEnd()) {
        if (a.read(kCompareChunk) != b.read(kCompareChunk))
            return false;
    }
    return true;
}

bool holdsBytes(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) && file.size() == bytes.size() && file.readAll() == bytes;
}

bool sameFile(const QString& first, const QString& second)
{
    const QString canonical = QFileInfo(first).canonicalFilePath();
    return !canonical.isEmpty() && canonical == QFileInfo(second).canonicalFilePath();
}

QString pictureText(const char* text)
{
    return QCoreApplication::translate("PictureCopy", text);
}

// folder + "/" + a free form of name (or the existing file reusable accepts), made by write when it is new.
std::optional<QString> placePicture(const QString& folder, const QString& name,
                                    const std::function<bool(const QString& path)>& reusable,
                                    const std::function<bool(const QString& target)>& write, QString* error)
{
    const std::optional<QString> free = FreePictureName(folder, name, reusable);
    if (!free) {
        if (error)
            *error = pictureText("No free file name for %1").arg(name);
        return std::nullopt;
    }
    const QString target = folder + u'/' + *free;
    if (QFileInfo::exists(target))   // the picture itself, or one with the same bytes
        return target;
    if (!QDir().mkpath(QFileInfo(target).absolutePath())) {
        if (error)
            *error = pictureText("Cannot make the folder %1").arg(QFileInfo(target).absolutePath());
        return std::nullopt;
    }
    if (!write(target))
        return std::nullopt;
    return target;
}

}  // namespace

std::optional<QString> CopyPictureInto(const QString& address, const QString& folder, const QString& relativeName)
{
    const std::optional<QString> source = LocalPathOfAddress(address);
    if (!source || !QFileInfo(*source).isFile())
        return std::nullopt;
    const auto reusable = [&source](const QString& path) {
        return sameFile(path, *source) || sameBytes(path, *source);
    };
    const auto copy = [&source](const QString& target) { return copyFileAtomically(*source, target); };
    return placePicture(folder, relativeName, reusable, copy, nullptr);
}

std::optional<QString> CopyPictureToFolder(const QString& address, const QString& folder)
{
    const std::optional<QString> source = LocalPathOfAddress(address);
    if (!source)
        return std::nullopt;
    return CopyPictureInto(address, folder, source->mid(source->lastIndexOf(u'/') + 1));
}

std::optional<QString> WritePictureBytes(const QByteArray& bytes, const QString& folder, const QString& name,
                                         QString* error)
{
    const auto same = [&bytes](const QString& path) { return holdsBytes(path, bytes); };
    const auto write = [&bytes, error](const QString& target) { return writeFileAtomically(target, bytes, error); };
    return placePicture(folder, name, same, write, error);
}

std::optional<QString> CopyDataPicture(const QString& address, const QString& folder)
{
    const std::optional<DataPicture> picture = DecodeDataAddress(address, kLargestPicture);
    if (!picture)
        return std::nullopt;
    return WritePictureBytes(picture->bytes, folder, QStringLiteral("picture") + PictureExtensionOfType(picture->mediaType));
}

QStringList ImportPictures(const QStringList& sources, const QString& baseFolder, const QString& pictureFolder)
{
    QStringList result;
    for (const QString& source : sources) {
        const std::optional<QString> path = LocalPathOfAddress(source);
        std::optional<QString> copy;
        if (path)
            copy = CopyPictureInto(source, pictureFolder, ImportedPicturePart(baseFolder, *path));
        else if (source.startsWith(QStringLiteral("data:"), Qt::CaseInsensitive))
            copy = CopyDataPicture(source, pictureFolder);
        result << (copy ? QUrl::fromLocalFile(*copy).toString(QUrl::FullyEncoded) : source);
    }
    return result;
}
