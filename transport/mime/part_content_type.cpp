// The Content-Type of a file part: see part_content_type.h.

#include "transport/mime/part_content_type.h"

#include "platform/program_folder.h"
#include "transport/mime/mime_types.h"

#include <QFileInfo>
#include <QMimeDatabase>

PartContentType::PartContentType() = default;

PartContentType::~PartContentType() = default;

QByteArray PartContentType::forFile(const QString& path)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == u"jpg" || suffix == u"jpeg")
        return "image/jpeg";
    if (!m_table)
        m_table = std::make_unique<TMimeManager>(programFolderPath() + QStringLiteral("mime.def"));
    const QString listed = m_table->ListedTypeForFile(path);
    if (!listed.isEmpty())
        return listed.toLatin1();
    const QByteArray desktop = desktopTypeFor(path);
    return desktop.isEmpty() ? QByteArray("application/octet-stream") : desktop;
}

QByteArray PartContentType::desktopTypeFor(const QString& path)
{
    const QMimeType type = QMimeDatabase().mimeTypeForFile(path, QMimeDatabase::MatchDefault);
    if (!type.isValid() || type.isDefault())
        return QByteArray();
    return type.name().toLatin1();
}
