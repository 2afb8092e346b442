// The Content-Type of a file part: see part_content_type.h.

#include "transport/mime/part_content_type.h"

#include "platform/program_folder.h"
#include "transport/mime/mime_types.h"

#include <QFileInfo>

PartContentType::PartContentType() = default;

PartContentType::~PartContentType() = default;

QByteArray PartContentType::forFile(const QString& path)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == u"jpg" || suffix == u"jpeg")
        return "image/jpeg";
    if (!m_table)
        m_table = std::make_unique<TMimeManager>(programFolderPath() + QStringLiteral("mime.def"));
    const QString type = m_table->TypeForFile(path);
    return type.isEmpty() ? QByteArray("application/octet-stream") : type.toLatin1();
}
