// SendContent: what every message of a mailing is made from (the project's subject, bodies and attachments
// and a copy of the list taken when the run starts), merged for one list row at a time. A row outside the
// list copy gives empty texts, never another row's data. ProjectAttachmentFiles: the project attachments
// whose files exist, with their MIME types, and those that are missing.
#pragma once

#include "core/sending/html_images.h"
#include "platform/string_grid.h"
#include "transport/mime/attachment_record.h"

#include <QList>
#include <QString>
#include <QStringList>

class SendContent {
public:
    QString subject;
    QString plainBody;
    QString htmlBody;
    bool htmlOn = false;
    int attachColumn = -1;          // 0-based list column with a file per recipient; -1 none
    HtmlImageContext images;

    // The list as the run sees it, with its column titles (the placeholder names).
    void setList(const StringGrid& list, const QStringList& titles);
    bool hasRow(int row) const { return row >= 1 && row < m_list.rowCount(); }

    QString mergedSubject(int row) const;
    QStringList mergedPlainLines(int row) const;
    // The merged HTML with its local pictures turned into content ids (files and ids refilled).
    QStringList mergedHtmlLines(int row, QStringList& files, QStringList& ids) const;
    // The row's own attachment file when the attachment column names a file that exists; else empty.
    QString rowAttachment(int row) const;

private:
    StringGrid m_list;
    QStringList m_titles;
};

struct ProjectAttachmentFiles {
    QList<AttachmentRecord> records;   // existing files, MIME type filled, encoding chosen when sent
    QStringList items;                 // the same as relay items: path TAB TAB type
    QStringList missing;               // paths of files that do not exist
};
// The project attachments sorted out, with the types of the registry "mime.def" in the program folder.
ProjectAttachmentFiles projectAttachmentFiles(const QList<AttachmentRecord>& attachments);
