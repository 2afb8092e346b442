// TSmtpCli: the SMTP client of smtp_client.h with its message composer: the properties below become a
// MimeMessageWriter (mime_message_writer.h) at DATA, whose lines are streamed in batches, one per "all sent"
// event of the socket, so a large attachment is never held whole.
//
// Message texts (HdrFrom, HdrTo, HdrSubject, the text and HTML lines) are bytes already in the charset
// named by CharSet; the owner converts them (charsets.h encodeInCharset). CR, LF and NUL inside a header
// text become blanks. A file that cannot be read aborts the message: no "." is sent, the request ends with
// 500 and LastResponse() names the file.
#pragma once

#include "transport/mime/mime_message_writer.h"
#include "transport/mime/mime_part_cache.h"
#include "transport/mime/part_content_type.h"
#include "transport/smtp/smtp_client.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>

enum TSmtpContentType {
    smtpHTML,               // "text/html"
    smtpPlainText,          // "text/plain"
    smtpMultiPartMixed,     // "multipart/mixed"
    smtpMultiPartRelated,   // "multipart/related"
};

class TSmtpCli : public TCustomSmtpClient {
    Q_OBJECT
public:
    // Body text line lineNum (from 1) into msgLine; clear more when there is none. Asked for each line
    // while DATA prepares the message; a line longer than maxLen is sent split over several lines.
    using TSmtpGetDataEvent =
        std::function<void(TSmtpCli* sender, int lineNum, QByteArray& msgLine, int maxLen, bool& more)>;
    // Sees (and may change) each header line before it is sent.
    using TSmtpHeaderLineEvent = std::function<void(TSmtpCli* sender, QByteArray& line)>;
    // Re-encodes a header text: sender, recipient, subject and the file names of parts.
    using TSmtpMimeChar = std::function<void(TSmtpCli* sender, QByteArray& text)>;

    explicit TSmtpCli(QObject* parent = nullptr);
    ~TSmtpCli() override;

    QByteArray HdrFrom;                      // From header
    QByteArray HdrSubject;                   // Subject header
    QString HdrMailDomain;                   // domain inside the Message-ID; empty: the local host name
    std::optional<long> ZoneOffset;          // the Date's UTC offset, read once per run; none: looked up
    QString CharSet = QStringLiteral("iso-8859-1");
    TSmtpContentType ContentType = smtpPlainText;
    QList<QByteArray> Htm;                   // HTML text, one line per item (with ContentType smtpHTML)
    QStringList HtmFiles;                    // inline pictures
    QStringList HtmCids;                     // Content-ID of each picture, same index as HtmFiles

    TSmtpGetDataEvent OnGetData;
    TSmtpHeaderLineEvent OnHeaderLine;
    TSmtpMimeChar OnMimeChar;

    // Replaces the attachments by items "path" or "path" TAB TAB "MIME type" (trimmed; empty items skipped).
    // SmtpException "File not found '<path>'" for a path that does not exist; the items before it stay.
    void setEmailFiles(const QStringList& items);
    QStringList AttachmentFiles() const { return m_attachmentFiles; }
    QStringList AttachmentTypes() const { return m_attachmentTypes; }

    // The number inside the Message-ID of the last message composed: every message takes the next number
    // of one sequence shared by all clients, so no two messages of a run share a Message-ID.
    int HdrNMessage() const { return m_messageNumber; }

    // Parts shared with the other clients of a run: a part the message before carried is not built again.
    void setPartCache(std::shared_ptr<MimePartCache> cache) { m_partCache = std::move(cache); }

    // Runs DATA with the message prepared at MAIL FROM (or prepares it now: asks OnGetData for the text
    // lines, drops inline pictures that are missing or have no Content-ID); the message text follows the
    // 354 reply. 8-bit parts go as they are with BODY=8BITMIME when the server offered it, else
    // quoted-printable.
    void Data() override;

protected:
    MessageText writeMessageText(SmtpDataStream& out, qsizetype budget, QString& failure) override;
    QByteArray mailFromParameters() override;

private:
    QByteArray mimeText(QByteArray text);
    QByteArray partFileName(const QString& path);
    QList<QByteArray> readTextLines(bool& textPresent);
    void dropUnusableImages();
    MimeMessageContent messageContent();
    void prepareMessage();

    QStringList m_attachmentFiles;
    QStringList m_attachmentTypes;
    int m_messageNumber = 0;
    std::unique_ptr<MimeMessageWriter> m_message;
    std::shared_ptr<MimePartCache> m_partCache;
    PartContentType m_partTypes;        // types of inline pictures and of attachments given without one
};
