// Copies pictures into the project's picture folder.

#include "core/editor/picture_copy.h"

#include "core/editor/picture_paths.h"
#include "platform/atomic_file.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QUrl>

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

bool sameFile(const QString& first, const QString& second)
{
    const QString canonical = QFileInfo(first).canonicalFilePath();
    return !canonical.isEmpty() && canonical == QFileInfo(second).canonicalFilePath();
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
    const std::optional<QString> name = FreePictureName(folder, relativeName, reusable);
    if (!name)
        return std::nullopt;
    const QString target = folder + u'/' + *name;
    if (!QDir().mkpath(QFileInfo(target).absolutePath()))
        return std::nullopt;
    if (QFileInfo::exists(target))   // the picture itself, or one with the same bytes
        return target;
    if (!copyFileAtomically(*source, target))
        return std::nullopt;
    return target;
}

std::optional<QString> CopyPictureToFolder(const QString& address, const QString& folder)
{
    const std::optional<QString> source = LocalPathOfAddress(address);
    if (!source)
        return std::nullopt;
    return CopyPictureInto(address, folder, source->mid(source->lastIndexOf(u'/') + 1));
}

QStringList ImportPictures(const QStringList& sources, const QString& baseFolder, const QString& pictureFolder)
{
    QStringList result;
    for (const QString& source : sources) {
        const std::optional<QString> path = LocalPathOfAddress(source);
        const std::optional<QString> copy =
            path ? CopyPictureInto(source, pictureFolder, ImportedPicturePart(baseFolder, *path)) : std::nullopt;
        result << (copy ? QUrl::fromLocalFile(*copy).toString(QUrl::FullyEncoded) : source);
    }
    return result;
}
