// Picture addresses and names for the HTML page's imports and inserted pictures.

#include "core/editor/picture_paths.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QUrl>

namespace {

constexpr int kMaxNameTries = 1000;

QString fileNameOf(const QString& path)
{
    return path.mid(path.lastIndexOf(u'/') + 1);
}

}  // namespace

std::optional<QString> LocalPathOfAddress(const QString& address)
{
    if (address.contains(QChar(0)))
        return std::nullopt;   // no file name holds one
    if (address.startsWith(u'/'))
        return address;
    static const QString scheme = QStringLiteral("file://");
    if (!address.startsWith(scheme, Qt::CaseInsensitive))
        return std::nullopt;
    QString path = address.mid(scheme.size());
    const qsizetype end = path.indexOf(QRegularExpression(QStringLiteral("[?#]")));
    if (end >= 0)
        path.truncate(end);
    if (path.startsWith(QStringLiteral("localhost/"), Qt::CaseInsensitive))
        path.remove(0, int(qstrlen("localhost")));
    if (!path.startsWith(u'/'))
        path.prepend(u'/');
    path = QUrl::fromPercentEncoding(path.toUtf8());
    if (path.contains(QChar(0)))
        return std::nullopt;
    return path;
}

QString ImportedPicturePart(const QString& baseFolder, const QString& source)
{
    const QString base = baseFolder.endsWith(u'/') ? baseFolder : baseFolder + u'/';
    if (!baseFolder.isEmpty() && source.startsWith(base)) {
        const QString part = QDir::cleanPath(source.mid(base.size()));
        if (!part.isEmpty() && part != QStringLiteral(".") && !part.startsWith(QStringLiteral("../"))
            && part != QStringLiteral("..") && !part.startsWith(u'/'))
            return part;
    }
    return fileNameOf(source);
}

std::optional<QString> FreePictureName(const QString& folder, const QString& name,
                                       const std::function<bool(const QString& path)>& reusable)
{
    qsizetype dot = name.lastIndexOf(u'.');
    if (dot <= name.lastIndexOf(u'/') + 1)   // no extension, or a name that starts with its only dot
        dot = -1;
    const QString stem = dot > 0 ? name.left(dot) : name;
    const QString extension = dot > 0 ? name.mid(dot) : QString();
    for (int number = 0; number < kMaxNameTries; ++number) {
        const QString candidate = number == 0 ? name : stem + u'-' + QString::number(number) + extension;
        const QString path = folder + u'/' + candidate;
        if (!QFileInfo::exists(path) || reusable(path))
            return candidate;
    }
    return std::nullopt;
}
