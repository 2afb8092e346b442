// The project's attachment list: see project_attachments.h.

#include "core/project/project_attachments.h"

#include "core/settings/ini_info.h"

#include <QFileInfo>

QList<AttachmentRecord> ProjectAttachments;

AttachmentRecord attachmentForFile(const QString& path)
{
    AttachmentRecord record;
    record.displayName = QFileInfo(path).fileName().left(shortStringLength);
    record.filePath = path;   // never cut: a shortened path names another file, or none
    return record;
}
