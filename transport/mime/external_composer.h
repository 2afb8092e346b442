// The message writer of SendMail: header block, MIME structure (single part, or nested multipart/mixed,
// alternative and related), plain and HTML bodies, inline pictures and attachments, produced as a DATA
// stream block by block, ready for the wire (CR LF line ends, dot-stuffed, ending in CR LF; the caller
// sends the "." line). A message whose texts its charset cannot hold goes in UTF-8 (message_charset.h).
// No socket here. A file that cannot be read ends the stream with failed() set.
#pragma once

#include "transport/mime/attachment_record.h"
#include "transport/mime/charsets.h"
#include "transport/mime/composer_part_cache.h"
#include "transport/mime/part_content_type.h"
#include "transport/mime/quoted_printable.h"
#include "transport/mime/smtp_data_stream.h"

#include <QByteArray>
#include <QFile>
#include <QRandomGenerator>
#include <QString>
#include <QStringList>

#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <variant>

enum class TTypeContent { tcPlain, tcHtml };
enum class THdrCoding { hcBase64, hcQuotedPrn };

// What the composer reads of SendMail's properties.
struct ExternalMessage {
    QString FROM_Name;
    QString FROM_Address;
    QStringList ListTo;                 // "address" or "address|name"; item 0 is the first recipient
    QStringList Listcc;
    QString Subject;
    QStringList Headers;                // extra header lines, written after "MIME-Version: 1.0"
    QStringList MailText;
    QStringList HtmlText;
    QStringList HtmlFiles;              // inline pictures, parallel to HtmlCids
    QStringList HtmlCids;
    TTypeContent TypeContent = TTypeContent::tcPlain;
    QString Content_Type;               // of a single-part message
    QString Charset;                    // the name written in Content-Type lines
    TMimeChar MimeChar = TMimeChar::ISO_8859_1;
    THdrCoding HdrCoding = THdrCoding::hcQuotedPrn;
    QStringList Attachments;            // item k-1 pairs with slot k
};

// OnMailInfo codes the composer raises (SendMail's SendMailInfo values).
enum ComposerInfo {
    InfoFileStarts = 5,         // [path]
    InfoBase64FileSize = 6,     // [bytes]
    InfoBase64FileDone = 7,     // [bytes encoded so far]
    InfoBodySize = 10,          // [bytes]
    InfoBodyDone = 11,          // [bytes of the body part or of fed data so far]
};

struct ComposerEvents {
    std::function<void(int info, const QString& addinfo)> mailInfo;
    // OnFeedData: when set it replaces the MIME body; called until it returns empty bytes.
    std::function<QByteArray()> feedData;
};

// One encoded word of RFC 2047 for a header ("=?charset?Q?...?=" or "?B?"), or the text unchanged when
// it is plain ASCII. The text is converted to charset first.
QByteArray EncodeHeaderWord(const QString& text, TMimeChar charset, THdrCoding coding);
// Header text for a field body: EncodeHeaderWord's word, or, when that would pass the 76-character lines
// of RFC 2047 section 2 (firstLineUsed characters already stand before it), several words of whole
// characters on folded lines ("\r\n ").
QByteArray EncodeHeaderText(const QString& text, TMimeChar charset, THdrCoding coding, qsizetype firstLineUsed = 0);
// "Name: value" with the value (at most 999 characters) as header text, without blanks at its end; a
// line without ": " is returned unchanged.
QByteArray EncodeHeaderLine(const QString& line, TMimeChar charset, THdrCoding coding);
// "----------" and twelve random values 0..254 in upper-case hexadecimal.
QByteArray MakeBoundary(QRandomGenerator& random);

class ExternalComposer {
public:
    // seed drives the boundaries (drawn from the system only when the message has any); the callbacks must
    // not destroy the composer. With a cache, unchanged bodies and files come from it and new ones go in.
    ExternalComposer(const ExternalMessage& message, const AttachmentSlots& attachmentSlots, ComposerEvents events,
                     std::optional<quint32> seed = std::nullopt, ComposerPartCache* cache = nullptr);
    ~ExternalComposer();
    Q_DISABLE_COPY_MOVE(ExternalComposer)

    // The next piece of the DATA stream (a few KB); empty once atEnd() or failed().
    QByteArray nextBlock();
    bool atEnd() const { return m_steps.empty(); }
    // The whole stream at once (tests and small messages); empty when failed().
    QByteArray composeAll();

    // The message goes in UTF-8 because its charset lacks characters of its texts (message_charset.h).
    bool utf8Fallback() const { return m_utf8Fallback; }

    // A file of the message could not be read: the stream stops there and must not be ended with ".".
    bool failed() const { return !m_errorString.isEmpty(); }
    QString errorString() const { return m_errorString; }

private:
    enum class FileCoding { Base64Attachment, Base64Picture, QuotedPrintable, QuotedPrintableBinary, PlainText, Uuencode };
    static bool isQuotedPrintable(FileCoding coding)
    {
        return coding == FileCoding::QuotedPrintable || coding == FileCoding::QuotedPrintableBinary;
    }
    // A kept part is replayed block by block; a new one is recorded for the cache while it is written.
    struct Replay {
        bool replaying = false;
        bool recording = false;
        qsizetype next = 0;             // the next kept block
        QList<ComposedBlock> recorded;
    };
    struct Body {
        std::shared_ptr<ComposedBody> part;
        qsizetype done = -1;            // -1 until the part's size was announced
        QuotedPrintableEncoder encoder;
        Replay replay;
    };
    struct Feed {
        qint64 total = 0;
    };
    struct FilePart {
        QString path;
        FileCoding coding = FileCoding::PlainText;
        std::shared_ptr<QFile> file;    // opened when the part is reached, unless it is kept
        bool started = false;
        qint64 done = 0;
        QuotedPrintableEncoder encoder;
        FileKey key;
        std::shared_ptr<const ComposedFile> kept;
        Replay replay;
    };
    using Step = std::variant<QByteArray, Body, Feed, FilePart>;

    void chooseCharset(const ExternalMessage& message, const AttachmentSlots& attachmentSlots);
    void planMessage(const ExternalMessage& message, const AttachmentSlots& attachmentSlots,
                     std::optional<quint32> seed);
    void planBoundaries(std::optional<quint32> seed);
    std::shared_ptr<ComposedBody> body(const QStringList& lines, bool html, const QString& charsetName) const;
    void planHeaders(const ExternalMessage& message);
    void planTextPart();
    void planHtmlPart(const ExternalMessage& message);
    void planAttachments(const ExternalMessage& message, const AttachmentSlots& attachmentSlots);
    void planRecordAttachment(const AttachmentRecord& record);
    void planBareAttachment(const QString& path);
    void planPicture(const QString& path, const QString& cid);
    bool checkReadable(const QString& path);
    void addLine(const QByteArray& line);
    void addBody(const std::shared_ptr<ComposedBody>& body);
    void addFile(const QString& path, FileCoding coding);
    void addDispositionAndDescription(const QString& disposition, const QString& fileName,
                                      const QString& description);
    QByteArray boundaryLine() const;
    void closeBoundary();
    QByteArray headerWord(const QString& text) const;
    QByteArray headerText(const QString& text, qsizetype firstLineUsed) const;

    bool runStep(Step& step);
    bool runBody(Body& body);
    bool runFeed(Feed& feed);
    bool runFile(FilePart& part);
    bool startFile(FilePart& part);
    bool nextFileBlock(FilePart& part);
    void finishFile(FilePart& part);
    void countFileBlock(FilePart& part, qsizetype size);
    void encodeFileBlock(FilePart& part, const QByteArray& data);
    bool startReplay(Replay& replay, bool kept);
    bool startFileReplay(FilePart& part);
    void record(Replay& replay, qsizetype from, qsizetype source);
    void info(int code, const QString& text);
    void fail(const QString& text);

    ComposerEvents m_events;
    TMimeChar m_charset = TMimeChar::ISO_8859_1;
    THdrCoding m_coding;
    QByteArray m_charsetName;
    bool m_utf8Fallback = false;
    int m_flags = 0;
    QList<QByteArray> m_boundaries;
    int m_index = -1;
    ComposerPartCache* m_cache;
    std::shared_ptr<ComposedBody> m_textBody;
    std::shared_ptr<ComposedBody> m_htmlBody;
    PartContentType m_partTypes;
    std::deque<Step> m_steps;
    SmtpDataStream m_stream;
    QString m_errorString;
};
