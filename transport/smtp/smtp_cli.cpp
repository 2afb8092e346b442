// SMTP client with its message composer: see smtp_cli.h.

#include "transport/smtp/smtp_cli.h"

#include "platform/clock.h"
#include "transport/net/async_socket.h"
#include "transport/mime/external_composer.h"
#include "transport/mime/smtp_data_stream.h"

#include <QFileInfo>

namespace {

constexpr int MaxTextLineLength = 998;        // RFC 5321 section 4.5.3.1.6

// One sequence for every client of the process: two workers composing in the same minute never share a
// Message-ID.
int nextMessageNumber()
{
    static int last = 0;
    return ++last;
}

QByteArray contentTypeText(TSmtpContentType type)
{
    switch (type) {
    case smtpHTML:
        return "text/html";
    case smtpPlainText:
        return "text/plain";
    case smtpMultiPartMixed:
        return "multipart/mixed";
    case smtpMultiPartRelated:
        return "multipart/related";
    }
    Q_UNREACHABLE();
}

}  // namespace

TSmtpCli::TSmtpCli(QObject* parent) : TCustomSmtpClient(parent)
{
}

TSmtpCli::~TSmtpCli() = default;

void TSmtpCli::setEmailFiles(const QStringList& items)
{
    m_attachmentFiles.clear();
    m_attachmentTypes.clear();
    for (const QString& item : items) {
        const QString trimmed = item.trimmed();
        if (trimmed.isEmpty())
            continue;
        const qsizetype separator = trimmed.indexOf(QLatin1String("\t\t"));
        const QString path = separator < 0 ? trimmed : trimmed.left(separator);
        if (!QFileInfo::exists(path))
            throw SmtpException(QStringLiteral("File not found '%1'").arg(path));
        m_attachmentFiles << path;
        m_attachmentTypes << (separator < 0 ? QString() : trimmed.mid(separator + 2));
    }
}

void TSmtpCli::Data()
{
    requireReadyAndConnected();
    if (!m_message)
        prepareMessage();
    TCustomSmtpClient::Data();
}

// The message is composed before MAIL FROM: whether it holds 8-bit parts decides its BODY parameter.
QByteArray TSmtpCli::mailFromParameters()
{
    prepareMessage();
    return m_message->needsEightBitMime() ? QByteArray(" BODY=8BITMIME") : QByteArray();
}

void TSmtpCli::prepareMessage()
{
    m_messageNumber = nextMessageNumber();
    m_message = std::make_unique<MimeMessageWriter>(messageContent(), m_partCache.get());
}

TCustomSmtpClient::MessageText TSmtpCli::writeMessageText(SmtpDataStream& out, qsizetype budget, QString& failure)
{
    switch (m_message->write(out, budget)) {
    case MimeMessageWriter::Status::More:
        return MessageText::More;
    case MimeMessageWriter::Status::Finished:
        m_message.reset();                                 // closes its file at once
        return MessageText::Finished;
    case MimeMessageWriter::Status::Failed:
        failure = m_message->errorString();
        m_message.reset();
        return MessageText::Failed;
    }
    Q_UNREACHABLE();
}

// ---- composing

QByteArray TSmtpCli::mimeText(QByteArray text)
{
    if (OnMimeChar)
        OnMimeChar(this, text);
    return text;
}

// A file name outside ASCII as one encoded word, as the external path writes it; ASCII names as they are.
QByteArray TSmtpCli::partFileName(const QString& path)
{
    return mimeText(EncodeHeaderWord(QFileInfo(path).fileName(), CharsetFromName(CharSet), THdrCoding::hcQuotedPrn));
}

QList<QByteArray> TSmtpCli::readTextLines(bool& textPresent)
{
    QList<QByteArray> lines;
    textPresent = false;
    if (!OnGetData)
        return lines;
    for (int lineNum = 1;; ++lineNum) {
        QByteArray line;
        bool more = true;
        OnGetData(this, lineNum, line, MaxTextLineLength, more);
        if (lineNum == 1)
            textPresent = more || !line.isEmpty();
        if (!more)
            return lines;
        lines << line;
    }
}

void TSmtpCli::dropUnusableImages()
{
    for (qsizetype i = 0; i < HtmFiles.size();) {
        const QString path = HtmFiles[i].trimmed();
        if (!path.isEmpty() && QFileInfo::exists(path) && i < HtmCids.size()) {
            ++i;
            continue;
        }
        HtmFiles.removeAt(i);
        if (i < HtmCids.size())
            HtmCids.removeAt(i);
    }
}

MimeMessageContent TSmtpCli::messageContent()
{
    MimeMessageContent content;
    content.from = mimeText(HdrFrom);
    content.to = mimeText(HdrTo);
    content.replyTo = mimeText(FromName.trimmed().toUtf8());   // as in MAIL FROM
    content.subject = mimeText(HdrSubject);
    content.contentType = contentTypeText(ContentType);
    content.charset = CharSet.toLatin1();
    content.date = Clock::instance().secondsSinceEpoch();
    content.eightBitMime = Offers8BitMime();
    content.zoneOffset = ZoneOffset;
    content.messageNumber = m_messageNumber;
    content.mailDomain = (HdrMailDomain.isEmpty() ? TWSocket::LocalHostName() : HdrMailDomain).toUtf8();
    if (OnHeaderLine)
        content.headerLineHook = [this](QByteArray& line) { OnHeaderLine(this, line); };

    content.textLines = readTextLines(content.textPresent);
    content.htmlPresent = ContentType == smtpHTML && !Htm.isEmpty();
    content.htmlLines = Htm;
    dropUnusableImages();
    for (qsizetype i = 0; i < HtmFiles.size(); ++i) {
        const QString path = HtmFiles[i].trimmed();
        content.images << MimeInlineImage{path, HtmCids[i].toUtf8(), partFileName(path), m_partTypes.forFile(path)};
    }
    for (qsizetype i = 0; i < m_attachmentFiles.size(); ++i) {
        const QString& path = m_attachmentFiles[i];
        const QByteArray type =
            m_attachmentTypes[i].isEmpty() ? m_partTypes.forFile(path) : m_attachmentTypes[i].toUtf8();
        content.attachments << MimeAttachment{path, type, partFileName(path)};
    }
    return content;
}
