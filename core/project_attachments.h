// ProjectAttachments: the open project's attachments in the user's order, filled by the project file and the
// attachment chooser, handed by the sending window to the external-server sender. One record per file.
#pragma once

#include "transport/attachment_record.h"

#include <QList>
#include <QString>

extern QList<AttachmentRecord> ProjectAttachments;

// A new record for the file at path: display name = the path's file-name part and file path = the path, both cut
// to 255 characters; every other field empty or zero.
AttachmentRecord attachmentForFile(const QString& path);
