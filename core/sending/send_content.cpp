// SendContent and the project attachments of a mailing (send_content.h).

#include "core/sending/send_content.h"

#include "core/sending/mail_merge.h"
#include "core/base/text_helpers.h"
#include "platform/text_file.h"
#include "transport/mime/part_content_type.h"

#include <QFileInfo>

void SendContent::setList(const StringGrid& list, const QStringList& titles)
{
    m_list = list;
    m_titles = titles;
}

QString SendContent::mergedSubject(int row) const
{
    return hasRow(row) ? MergeRecipientSubject(subject, m_titles, m_list, row) : QString();
}

QStringList SendContent::mergedPlainLines(int row) const
{
    return hasRow(row) ? splitLines(MergeRecipientText(plainBody, m_titles, m_list, row)) : QStringList();
}

QStringList SendContent::mergedHtmlLines(int row, QStringList& files, QStringList& ids) const
{
    QString html = hasRow(row) ? MergeRecipientText(htmlBody, m_titles, m_list, row) : QString();
    EmbedHtmlImages(html, files, ids, images);
    return splitLines(html);
}

QString SendContent::rowAttachment(int row) const
{
    if (attachColumn < 0 || !hasRow(row))
        return {};
    const QString path = m_list.cell(attachColumn, row);
    return !path.isEmpty() && QFileInfo(path).isFile() ? path : QString();
}

ProjectAttachmentFiles projectAttachmentFiles(const QList<AttachmentRecord>& attachments)
{
    ProjectAttachmentFiles files;
    if (attachments.isEmpty())
        return files;
    PartContentType mimeTypes;
    for (AttachmentRecord record : attachments) {
        if (!QFileInfo(record.filePath).isFile()) {
            files.missing << record.filePath;
            continue;
        }
        record.mimeType = QString::fromLatin1(mimeTypes.forFile(record.filePath)).left(80);
        record.encoding = AttachmentEncoding::Choose;
        files.items << record.filePath + QStringLiteral("\t\t") + record.mimeType;
        files.records << record;
    }
    return files;
}
