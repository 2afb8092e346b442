// MimeMessageWriter: one message as the lines sent after DATA, produced on demand in batches: the header
// (From, To, X-Mailer, Reply-To, Subject, MIME-Version, Content-Type, Date, Message-ID), then a text part,
// an HTML part with related inline pictures and attachments, as multipart/mixed when more than one part is
// needed. Files are read in 4095-byte chunks while writing (base64 in 45-byte groups: 60-character lines),
// so a large attachment is never held whole. A file that cannot be read ends the writer with an error text.
// CR, LF and NUL inside a header text become blanks (a fold, CR LF before a blank, stays), so no text can
// add a header line. No line goes on the
// wire longer than 998 bytes, a doubled dot counted: text and HTML lines are split (after a blank, never
// inside a UTF-8 character), never cut; header lines are folded before a blank and carry no blanks at
// their end. A part with bytes of 128 or more is declared "8bit" when the server took BODY=8BITMIME and
// goes quoted-printable otherwise, so no 8-bit byte reaches a server that did not offer it (RFC 6152).
// With a MimePartCache (mime_part_cache.h) the text and HTML parts and the files that the message before
// carried too are put back as they were written then, the same bytes.
#pragma once

#include "transport/mime/kept_files.h"
#include "transport/mime/quoted_printable.h"

#include <QByteArray>
#include <QFile>
#include <QList>
#include <QString>

#include <array>
#include <ctime>
#include <functional>
#include <memory>
#include <optional>

class MimePartCache;
class SmtpDataStream;
struct WrittenLines;

struct MimeInlineImage {
    QString path;
    QByteArray contentId;
    QByteArray fileName;    // as written in the part header (already re-encoded by the owner)
    QByteArray mimeType;    // empty: "application/octet-stream"
};

struct MimeAttachment {
    QString path;
    QByteArray mimeType;    // empty: "application/octet-stream"
    QByteArray fileName;    // as written in the part header
};

struct MimeMessageContent {
    // header texts, already in the message's charset and re-encoded by the owner
    QByteArray from;
    QByteArray to;
    QByteArray replyTo;     // the address, written inside "<" ">"
    QByteArray subject;
    QByteArray contentType; // of a single-part body: "text/plain", "text/html"
    QByteArray charset;
    std::time_t date = 0;
    std::optional<long> zoneOffset;   // seconds east of UTC, read once per run; none: looked up for date
    int messageNumber = 0;  // inside the Message-ID, with the date, this process's random part and the domain
    QByteArray mailDomain;
    std::function<void(QByteArray& line)> headerLineHook;   // sees each header line before it is written

    bool eightBitMime = false;  // the server offered 8BITMIME: 8-bit parts may go as they are
    bool textPresent = false;
    QList<QByteArray> textLines;
    bool htmlPresent = false;
    QList<QByteArray> htmlLines;
    QList<MimeInlineImage> images;
    QList<MimeAttachment> attachments;
};

class MimeMessageWriter {
public:
    enum class Status { More, Finished, Failed };

    // Chooses the boundaries; nothing is read yet. The cache, when given, must outlive the writer.
    explicit MimeMessageWriter(MimeMessageContent content, MimePartCache* cache = nullptr);
    Q_DISABLE_COPY_MOVE(MimeMessageWriter)

    // True when a part goes as 8-bit data: MAIL FROM must then carry BODY=8BITMIME.
    bool needsEightBitMime() const
    {
        return m_textCoding == PartCoding::EightBit || m_htmlCoding == PartCoding::EightBit;
    }
    // True when the message is multipart/mixed; mixedBoundary() is then its boundary.
    bool isMultipart() const { return !m_mixedBoundary.isEmpty(); }
    QByteArray mixedBoundary() const { return m_mixedBoundary; }
    // Appends the message's lines to out until it holds at least budget bytes or the message is complete.
    Status write(SmtpDataStream& out, qsizetype budget);
    // Why writing failed, naming the file.
    QString errorString() const { return m_error; }

    // "<yyyymmddhhnnss.mail.N.R@domain>": R is sixteen hexadecimal digits drawn once per process, so ids
    // of two processes differ even when their moments and numbers agree.
    static QByteArray messageId(std::time_t when, long zoneOffset, int messageNumber, const QByteArray& domain);
    static QByteArray messageId(std::time_t when, int messageNumber, const QByteArray& domain);
    // "----------" followed by twelve random numbers 0..254 in upper-case hexadecimal without leading zeros.
    static QByteArray newBoundary();

private:
    // How a text or HTML part goes on the wire.
    enum class PartCoding { SevenBit, EightBit, QuotedPrintable };

    // Where the writer stands once the pending header lines are out.
    enum class Phase {
        Text,          // the owner's text lines
        HtmlStart,     // the lines that open the HTML part
        Html,          // the HTML lines
        Image,         // the next inline picture, or the end of the related part
        Attachment,    // the next attachment, or the end of the message
        Closing,       // the end of a message without attachments
        Done,
    };

    void queueHeader();
    QByteArray contentTypeLine() const;
    void queueMultipartPreamble();
    void queueHtmlStart();
    void queueImageHeader(const MimeInlineImage& image);
    void queueAttachmentHeader(const MimeAttachment& attachment);
    void queueHtmlEnd();
    void queueTextPartHeader(const QByteArray& type, PartCoding coding);
    static QByteArray transferEncoding(PartCoding coding);
    PartCoding codingFor(bool eightBit) const;
    PartCoding partCoding(bool present, const WrittenLines* kept, const QList<QByteArray>& lines) const;
    void writeStep(SmtpDataStream& out);
    // Writes the next of the lines; false when none is left (the index starts over).
    bool writeNextLine(SmtpDataStream& out, const QList<QByteArray>& lines, PartCoding coding);
    // Writes the part header or the next chunk of the current file; true once the last file is complete.
    template <typename Part>
    bool writeFilePart(SmtpDataStream& out, const QList<Part>& parts,
                       void (MimeMessageWriter::*queuePartHeader)(const Part&));
    // Starts or continues the open file; returns true when the file is complete.
    bool writeFileChunk(SmtpDataStream& out, const QString& path);
    // With a cache: takes the file as kept, or prepares to record it while it is read as usual.
    void startKeptFile(const SmtpDataStream& out, const QString& path);
    bool writeKeptChunk(SmtpDataStream& out);
    void recordChunk(const SmtpDataStream& out, qsizetype from, qsizetype source);
    void endFile();
    std::shared_ptr<const WrittenLines> keptLines(const QList<QByteArray>& lines, bool html);
    // Writes the next piece of a kept text or HTML part; false when none is left (the offset starts over).
    bool writeNextKeptPiece(SmtpDataStream& out, const WrittenLines& part);
    Phase closingPhase() const;   // after the text and HTML parts
    void setFailed(const QString& path, const QString& reason);

    MimeMessageContent m_content;
    MimePartCache* m_cache;
    std::shared_ptr<const WrittenLines> m_keptText;
    std::shared_ptr<const WrittenLines> m_keptHtml;
    QByteArray m_mixedBoundary;         // B0
    QByteArray m_alternativeBoundary;   // B1: text and HTML
    QByteArray m_relatedBoundary;       // B2: HTML with inline pictures
    long m_zoneOffset = 0;
    PartCoding m_textCoding = PartCoding::SevenBit;
    PartCoding m_htmlCoding = PartCoding::SevenBit;
    QuotedPrintableEncoder m_encoder;   // the quoted-printable part being written line by line

    QList<QByteArray> m_pending;        // header lines waiting to be written
    qsizetype m_pendingNext = 0;
    Phase m_phase = Phase::Text;
    qsizetype m_lineIndex = 0;          // into the text or HTML lines
    qsizetype m_keptOffset = 0;         // into the wire of a kept text or HTML part
    qsizetype m_fileIndex = 0;          // into the images or attachments
    bool m_fileStarted = false;      // the current file's part header is queued
    bool m_fileHadData = false;
    QFile m_file;
    std::array<char, 4095> m_chunk{};   // 91 groups of 45 bytes
    QByteArray m_encoded;               // base64 lines of the chunk
    FileKey m_fileKey;                  // of the file being read, when it is recorded for the cache
    bool m_recording = false;
    QList<ComposedBlock> m_recorded;
    qint64 m_recordedSize = 0;
    std::shared_ptr<const ComposedFile> m_keptFile;     // the file being put back from the cache
    qsizetype m_keptNext = 0;
    QString m_error;
    bool m_failed = false;
};
