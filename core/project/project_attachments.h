// ProjectAttachments: the open project's attachments in the user's order, filled by the project file and the
// attachment chooser, handed by the sending window to the external-server sender. One record per file.
#pragma once

#include "transport/mime/attachment_record.h"

#include <QList>
#include <QString>

extern QList<AttachmentRecord> ProjectAttachments;

// A new record for the file at path: display name = the path's file-name part (cut to 255 characters), file
// path = the whole path; every other field empty or zero.
AttachmentRecord attachmentForFile(const QString& path);
