// Picture addresses and names for the HTML page's imports and inserted pictures.

#include "core/editor/picture_paths.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QUrl>

namespace {

constexpr int kMaxNameTries = 1000;
constexpr qsizetype kLongestStem = 100;   // names stay well inside the 255 bytes a file name may have

struct TypeExtension {
    const char* type;
    const char* extension;
};

constexpr TypeExtension kPictureTypes[] = {
    {"image/png", ".png"}, {"image/jpeg", ".jpg"}, {"image/jpg", ".jpg"}, {"image/pjpeg", ".jpg"},
    {"image/gif", ".gif"}, {"image/bmp", ".bmp"}, {"image/x-ms-bmp", ".bmp"}, {"image/x-icon", ".ico"},
    {"image/vnd.microsoft.icon", ".ico"}, {"image/webp", ".webp"}, {"image/svg+xml", ".svg"},
    {"image/tiff", ".tif"}, {"image/emf", ".emf"}, {"image/wmf", ".wmf"},
};

QString bareMediaType(const QString& mediaType)
{
    return mediaType.section(u';', 0, 0).trimmed().toLower();
}

bool hasExtension(const QString& name)
{
    return name.lastIndexOf(u'.') > 0;
}

// Characters no file name of ours should hold: path separators, NUL and the other control characters.
QString withoutUnsafeCharacters(const QString& name)
{
    QString safe;
    for (const QChar c : name)
        if (c != u'/' && c != u'\\' && c.unicode() >= 0x20 && c.unicode() != 0x7F)
            safe += c;
    return safe.trimmed();
}

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

std::optional<DataPicture> DecodeDataAddress(const QString& address, qsizetype maxBytes)
{
    static const QString scheme = QStringLiteral("data:");
    const qsizetype comma = address.indexOf(u',');
    if (!address.startsWith(scheme, Qt::CaseInsensitive) || comma < 0)
        return std::nullopt;
    const QString header = address.mid(scheme.size(), comma - scheme.size());
    DataPicture picture{{}, bareMediaType(header)};
    if (!picture.mediaType.startsWith(QStringLiteral("image/")))
        return std::nullopt;
    QByteArray encoded;
    for (const QChar c : QStringView(address).sliced(comma + 1))
        if (!c.isSpace())
            encoded += c.unicode() < 0x80 ? char(c.unicode()) : '?';
    const bool base64 = header.trimmed().endsWith(QStringLiteral(";base64"), Qt::CaseInsensitive);
    // The least the bytes can decode to (base64: three bytes for four, less padding; percent-escapes: one byte
    // for three): more than maxBytes is refused before decoding.
    const qsizetype least = base64 ? encoded.size() / 4 * 3 - 2 : encoded.size() / 3;
    if (least > maxBytes)
        return std::nullopt;
    encoded = QByteArray::fromPercentEncoding(encoded);
    if (!base64) {
        picture.bytes = encoded;
    } else {
        auto decoded = QByteArray::fromBase64Encoding(encoded, QByteArray::AbortOnBase64DecodingErrors);
        if (!decoded)
            return std::nullopt;
        picture.bytes = std::move(*decoded);
    }
    if (picture.bytes.isEmpty() || picture.bytes.size() > maxBytes)
        return std::nullopt;
    return picture;
}

QString PictureExtensionOfType(const QString& mediaType)
{
    const QString type = bareMediaType(mediaType);
    for (const TypeExtension& known : kPictureTypes)
        if (type == QLatin1String(known.type))
            return QLatin1String(known.extension);
    return {};
}

QString PictureNameOfWebAddress(const QUrl& address, const QString& mediaType)
{
    QString name = withoutUnsafeCharacters(address.fileName(QUrl::FullyDecoded));
    if (name == QStringLiteral(".") || name == QStringLiteral(".."))
        name.clear();
    qsizetype dot = name.lastIndexOf(u'.');
    if (dot <= 0)
        dot = name.size();
    if (dot > kLongestStem)
        name = name.left(kLongestStem) + name.mid(dot, kLongestStem / 4);
    if (name.isEmpty())
        name = QStringLiteral("picture");
    if (!hasExtension(name))
        name += PictureExtensionOfType(mediaType);
    return name;
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
