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

// By name first. Content sniffing is trusted only for what it recognises by its magic bytes: its fallback
// calls any file without control bytes near its start text/plain (58 bytes of 0xFF, say), and a binary
// file labelled text reaches the reader mangled.
QByteArray PartContentType::desktopTypeFor(const QString& path)
{
    const QMimeDatabase database;
    const QMimeType byName = database.mimeTypeForFile(path, QMimeDatabase::MatchExtension);
    if (byName.isValid() && !byName.isDefault())
        return byName.name().toLatin1();
    const QMimeType byContent = database.mimeTypeForFile(path, QMimeDatabase::MatchContent);
    if (!byContent.isValid() || byContent.isDefault() || byContent.name() == u"text/plain")
        return QByteArray();
    return byContent.name().toLatin1();
}
