// A message as the lines sent after DATA: see mime_message_writer.h.
//
// Layout of a multipart body (B0 mixed, B1 alternative, B2 related; parts in brackets only when present):
//   preamble, --B0, [alternative header, --B1], [text part header, text lines],
//   [--B1], [related header, --B2], [HTML part header] or an empty line, HTML lines,
//   [per picture: empty line, --B2, picture header, base64; after the last: --B2--], empty line, [--B1--],
//   per attachment: empty line, --B0, attachment header, base64; after the last: empty line, --B0--
//   or, without attachments: empty line, --B0--.

#include "transport/mime/mime_message_writer.h"

#include "transport/mime/base64.h"
#include "transport/mime/mail_date.h"
#include "transport/mime/mime_part_cache.h"
#include "transport/mime/quoted_printable.h"
#include "transport/mime/smtp_data_stream.h"

#include <QRandomGenerator>

#include <algorithm>

namespace {

constexpr qsizetype Base64GroupBytes = 45;   // 60 characters a line
// RFC 5321 section 4.5.3.1.6: at most 998 bytes before the CR LF; servers refuse longer lines.
constexpr qsizetype MaxWireLineLength = 998;
// Bytes of a kept text or HTML part written per step; a wire line is at most MaxWireLineLength + 2.
constexpr qsizetype KeptPieceBytes = 8192;

bool isUtf8Continuation(char c)
{
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

// The bytes of a line's text that fit on the wire: a leading dot is doubled there.
qsizetype roomFor(QByteArrayView line)
{
    return line.startsWith('.') ? MaxWireLineLength - 1 : MaxWireLineLength;
}

// The index of the last blank before end and after index after; 0 when there is none.
qsizetype lastBlankBefore(QByteArrayView line, qsizetype end, qsizetype after = 0)
{
    for (qsizetype i = end - 1; i > after; --i) {
        if (isBlank(line[i]))
            return i;
    }
    return 0;
}

// The longest first piece of at most room bytes that ends between two UTF-8 characters.
qsizetype characterBoundary(QByteArrayView line, qsizetype room)
{
    qsizetype cut = room;
    while (cut > room - 3 && isUtf8Continuation(line[cut]))
        --cut;
    return cut;
}

// A body line without line breaks as wire lines that fit: each piece ends after its last blank, or between
// two characters when it has none. Joined again, the pieces give the line.
void appendBodyPieces(SmtpDataStream& out, QByteArrayView line)
{
    while (line.size() > roomFor(line)) {
        const qsizetype blank = lastBlankBefore(line, roomFor(line));
        const qsizetype piece = blank > 0 ? blank + 1 : characterBoundary(line, roomFor(line));
        out.appendLine(line.first(piece));
        line = line.sliced(piece);
    }
    out.appendLine(line);
}

// A header line without line breaks, folded (RFC 5322 section 2.2.3) before the last blank that fits, never
// right behind the field name. A run without blanks can only be folded by putting one in front of its rest.
void appendHeaderPieces(SmtpDataStream& out, QByteArrayView line)
{
    QByteArray rest;
    qsizetype nameEnd = std::max<qsizetype>(0, line.indexOf(": ") + 1);
    while (line.size() > roomFor(line)) {
        const qsizetype blank = lastBlankBefore(line, roomFor(line) + 1, nameEnd);
        nameEnd = 0;
        if (blank > 0) {
            out.appendLine(line.first(blank));
            line = line.sliced(blank);
            continue;
        }
        const qsizetype piece = characterBoundary(line, roomFor(line));
        out.appendLine(line.first(piece));
        rest = ' ' + line.sliced(piece).toByteArray();     // copied before the old rest is freed
        line = rest;
    }
    out.appendLine(line);
}

using AppendPieces = void (*)(SmtpDataStream& out, QByteArrayView line);

// A line as DATA lines: embedded CR, LF or CR LF end lines, and each line too long for the wire is split
// by appendPieces.
void appendWireLines(SmtpDataStream& out, QByteArrayView line, AppendPieces appendPieces)
{
    if (line.size() <= MaxWireLineLength - 1) {
        out.appendLine(line);                              // the stream turns embedded breaks into CR LF
        return;
    }
    qsizetype start = 0;
    for (qsizetype i = 0; i < line.size(); ++i) {
        if (line[i] != '\r' && line[i] != '\n')
            continue;
        appendPieces(out, line.sliced(start, i - start));
        if (line[i] == '\r' && i + 1 < line.size() && line[i + 1] == '\n')
            ++i;                                           // CR LF is one line break
        start = i + 1;
    }
    appendPieces(out, line.sliced(start));
}

bool has8bitBytes(const QList<QByteArray>& lines)
{
    return std::any_of(lines.begin(), lines.end(), [](const QByteArray& line) {
        return std::any_of(line.begin(), line.end(), [](char c) { return static_cast<unsigned char>(c) >= 128; });
    });
}

QByteArray quoted(const QByteArray& text)
{
    return '"' + text + '"';
}

bool isLineBreakOrNul(char c)
{
    return c == '\r' || c == '\n' || c == '\0';
}

// CR LF, a blank, then a visible character: a fold (RFC 5322 section 2.2.3), which continues the line.
bool isFoldAt(QByteArrayView text, qsizetype i)
{
    return i + 3 < text.size() && text[i] == '\r' && text[i + 1] == '\n' && isBlank(text[i + 2])
           && !isBlank(text[i + 3]) && !isLineBreakOrNul(text[i + 3]);
}

// CR, LF and NUL become blanks: a header text never starts another header line. Folds between encoded
// words stay, so each line keeps to RFC 2047's 76 characters.
QByteArray singleLine(QByteArray text)
{
    if (std::none_of(text.cbegin(), text.cend(), isLineBreakOrNul))
        return text;                                       // still shared: nothing copied
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (isFoldAt(text, i))
            i += 2;
        else if (isLineBreakOrNul(text[i]))
            text[i] = ' ';
    }
    return text;
}

// A file name as the quoted string of a part header.
QByteArray quotedFileName(const QByteArray& name)
{
    QByteArray escaped = singleLine(name);
    escaped.replace('\\', "\\\\").replace('"', "\\\"");
    return quoted(escaped);
}

QByteArray partType(const QByteArray& mimeType)
{
    return mimeType.isEmpty() ? QByteArray("application/octet-stream") : singleLine(mimeType);
}

// A line as the quoted-printable of a text: its line breaks stay line breaks (RFC 2045 section 6.7).
void appendQuotedLine(SmtpDataStream& out, QuotedPrintableEncoder& encoder, QByteArrayView line)
{
    QByteArray encoded;
    encoder.encode(line, encoded);
    encoder.encode("\r\n", encoded);
    out.append(encoded);
}

QByteArray withoutTrailingBlanks(QByteArray line)
{
    while (line.endsWith(' ') || line.endsWith('\t'))
        line.chop(1);
    return line;
}

}  // namespace

MimeMessageWriter::MimeMessageWriter(MimeMessageContent content, MimePartCache* cache)
    : m_content(std::move(content)), m_cache(cache)
{
    for (QByteArray* text : {&m_content.from, &m_content.to, &m_content.replyTo, &m_content.subject,
                             &m_content.contentType, &m_content.charset, &m_content.mailDomain})
        *text = singleLine(*text);
    if (m_cache && m_content.textPresent)
        m_keptText = keptLines(m_content.textLines, false);
    if (m_cache && m_content.htmlPresent)
        m_keptHtml = keptLines(m_content.htmlLines, true);
    m_zoneOffset = m_content.zoneOffset ? *m_content.zoneOffset : zoneOffsetAt(m_content.date);
    m_textCoding = partCoding(m_content.textPresent, m_keptText.get(), m_content.textLines);
    m_htmlCoding = partCoding(m_content.htmlPresent, m_keptHtml.get(), m_content.htmlLines);
    m_phase = m_content.textPresent ? Phase::Text : m_content.htmlPresent ? Phase::HtmlStart : closingPhase();
    const bool multipart = !m_content.attachments.isEmpty() || (m_content.textPresent && m_content.htmlPresent)
                           || !m_content.images.isEmpty();
    if (multipart) {
        m_mixedBoundary = newBoundary();
        if (m_content.textPresent && m_content.htmlPresent)
            m_alternativeBoundary = newBoundary();
        if (m_content.htmlPresent && !m_content.images.isEmpty())
            m_relatedBoundary = newBoundary();
    }
    queueHeader();
    if (multipart)
        queueMultipartPreamble();
}

MimeMessageWriter::PartCoding MimeMessageWriter::codingFor(bool eightBit) const
{
    if (!eightBit)
        return PartCoding::SevenBit;
    return m_content.eightBitMime ? PartCoding::EightBit : PartCoding::QuotedPrintable;
}

MimeMessageWriter::PartCoding MimeMessageWriter::partCoding(bool present, const WrittenLines* kept,
                                                            const QList<QByteArray>& lines) const
{
    if (!present)
        return PartCoding::SevenBit;
    if (kept)
        return kept->quoted ? PartCoding::QuotedPrintable : codingFor(kept->eightBit);
    return codingFor(has8bitBytes(lines));
}

// The part as a message before wrote it in the form this server takes, or written now (from the start of a
// line) and kept. 8-bit lines go quoted-printable unless the server took BODY=8BITMIME.
std::shared_ptr<const WrittenLines> MimeMessageWriter::keptLines(const QList<QByteArray>& lines, bool html)
{
    std::shared_ptr<const WrittenLines> plain = m_cache->lines(lines, html, false);
    if (plain && (!plain->eightBit || m_content.eightBitMime))
        return plain;
    if (!m_content.eightBitMime) {
        if (std::shared_ptr<const WrittenLines> quoted = m_cache->lines(lines, html, true))
            return quoted;
    }
    const bool eightBit = plain ? true : has8bitBytes(lines);
    const bool quoted = codingFor(eightBit) == PartCoding::QuotedPrintable;
    SmtpDataStream stream;
    QuotedPrintableEncoder encoder;
    for (const QByteArray& line : lines) {
        if (quoted)
            appendQuotedLine(stream, encoder, line);
        else
            appendWireLines(stream, line, appendBodyPieces);
    }
    auto written = std::make_shared<WrittenLines>(WrittenLines{lines, stream.take(), eightBit, quoted});
    m_cache->keepLines(html, written);
    return written;
}

QByteArray MimeMessageWriter::messageId(std::time_t when, long zoneOffset, int messageNumber,
                                        const QByteArray& domain)
{
    static const QByteArray processPart =
        QByteArray::number(QRandomGenerator::system()->generate64(), 16).rightJustified(16, '0').toUpper();
    return "<" + messageIdStamp(when, zoneOffset) + ".mail." + QByteArray::number(messageNumber) + "." + processPart
           + "@" + domain + ">";
}

QByteArray MimeMessageWriter::messageId(std::time_t when, int messageNumber, const QByteArray& domain)
{
    return messageId(when, zoneOffsetAt(when), messageNumber, domain);
}

QByteArray MimeMessageWriter::newBoundary()
{
    QByteArray boundary(10, '-');
    for (int i = 0; i < 12; ++i)
        boundary += QByteArray::number(QRandomGenerator::global()->bounded(255), 16).toUpper();
    return boundary;
}

MimeMessageWriter::Status MimeMessageWriter::write(SmtpDataStream& out, qsizetype budget)
{
    while (!m_failed) {
        if (out.size() >= budget)
            return Status::More;
        if (m_pendingNext == m_pending.size() && m_phase == Phase::Done)
            return Status::Finished;
        writeStep(out);
    }
    return Status::Failed;
}

void MimeMessageWriter::queueHeader()
{
    const MimeMessageContent& c = m_content;
    m_pending << "From: " + c.from << "To: " + c.to << "X-Mailer: Quarvel" << "Reply-To: <" + c.replyTo + ">"
              << "Subject: " + c.subject << "MIME-Version: 1.0" << contentTypeLine();
    if (const PartCoding single = c.textPresent ? m_textCoding : m_htmlCoding;
        !isMultipart() && single != PartCoding::SevenBit)
        m_pending << transferEncoding(single);
    m_pending << "Date: " + mailDateText(c.date, m_zoneOffset)
              << "Message-ID: " + messageId(c.date, m_zoneOffset, c.messageNumber, c.mailDomain);
    m_pending << "";
    // Blanks at the end of a line end up in the decoded value (an empty subject), and filters count them.
    for (QByteArray& line : m_pending) {
        if (c.headerLineHook)
            c.headerLineHook(line);
        line = withoutTrailingBlanks(std::move(line));
    }
}

QByteArray MimeMessageWriter::transferEncoding(PartCoding coding)
{
    switch (coding) {
    case PartCoding::SevenBit:
        return "Content-Transfer-Encoding: 7bit";
    case PartCoding::EightBit:
        return "Content-Transfer-Encoding: 8bit";
    case PartCoding::QuotedPrintable:
        return "Content-Transfer-Encoding: quoted-printable";
    }
    Q_UNREACHABLE();
}

QByteArray MimeMessageWriter::contentTypeLine() const
{
    if (isMultipart())
        return "Content-Type: multipart/mixed;\r\n boundary=" + quoted(m_mixedBoundary);
    return "Content-Type: " + m_content.contentType + "; charset=" + quoted(m_content.charset);
}

void MimeMessageWriter::queueMultipartPreamble()
{
    m_pending << "This is a multipart MIME message." << "--" + m_mixedBoundary;
    if (!m_alternativeBoundary.isEmpty()) {
        m_pending << "Content-Type: multipart/alternative;\r\n boundary=" + quoted(m_alternativeBoundary) << ""
                  << "" << "--" + m_alternativeBoundary;
    }
    if (m_content.textPresent)
        queueTextPartHeader("text/plain", m_textCoding);
}

void MimeMessageWriter::queueTextPartHeader(const QByteArray& type, PartCoding coding)
{
    m_pending << "Content-Type: " + type + "; charset=" + quoted(m_content.charset) << transferEncoding(coding)
              << "";
}

void MimeMessageWriter::queueHtmlStart()
{
    if (!m_alternativeBoundary.isEmpty())
        m_pending << "--" + m_alternativeBoundary;
    if (!m_relatedBoundary.isEmpty()) {
        // RFC 2387 section 3.1: the type parameter names the root part's type.
        m_pending << "Content-Type: multipart/related; type=\"text/html\";\r\n boundary=" + quoted(m_relatedBoundary)
                  << "" << ""
                  << "--" + m_relatedBoundary;
    }
    if (isMultipart())
        queueTextPartHeader("text/html", m_htmlCoding);
    if (m_pending.size() == m_pendingNext)
        m_pending << "";                                   // a single-part HTML body starts with an empty line
}

void MimeMessageWriter::queueImageHeader(const MimeInlineImage& image)
{
    m_pending << "" << "--" + m_relatedBoundary << "Content-Type: " + partType(image.mimeType)
              << "Content-ID: <" + singleLine(image.contentId) + ">" << "Content-Transfer-Encoding: base64"
              << "Content-Disposition: inline; filename=" + quotedFileName(image.fileName) << "";
}

void MimeMessageWriter::queueAttachmentHeader(const MimeAttachment& attachment)
{
    m_pending << "" << "--" + m_mixedBoundary << "Content-Type: " + partType(attachment.mimeType) + ";"
              << "\tname=" + quotedFileName(attachment.fileName) << "Content-Transfer-Encoding: base64"
              << "Content-Disposition: attachment;" << "\tfilename=" + quotedFileName(attachment.fileName) << "";
}

void MimeMessageWriter::queueHtmlEnd()
{
    m_pending << "";
    if (!m_alternativeBoundary.isEmpty())
        m_pending << "--" + m_alternativeBoundary + "--";
    m_phase = closingPhase();
}

MimeMessageWriter::Phase MimeMessageWriter::closingPhase() const
{
    return m_content.attachments.isEmpty() ? Phase::Closing : Phase::Attachment;
}

void MimeMessageWriter::writeStep(SmtpDataStream& out)
{
    if (m_pendingNext < m_pending.size()) {
        appendWireLines(out, m_pending[m_pendingNext++], appendHeaderPieces);
        if (m_pendingNext == m_pending.size()) {
            m_pending.clear();
            m_pendingNext = 0;
        }
        return;
    }
    switch (m_phase) {
    case Phase::Text:
        if (!(m_keptText ? writeNextKeptPiece(out, *m_keptText) : writeNextLine(out, m_content.textLines, m_textCoding)))
            m_phase = m_content.htmlPresent ? Phase::HtmlStart : closingPhase();
        return;
    case Phase::HtmlStart:
        queueHtmlStart();
        m_phase = Phase::Html;
        return;
    case Phase::Html:
        if (m_keptHtml ? writeNextKeptPiece(out, *m_keptHtml) : writeNextLine(out, m_content.htmlLines, m_htmlCoding))
            return;
        if (m_relatedBoundary.isEmpty())
            queueHtmlEnd();
        else
            m_phase = Phase::Image;
        return;
    case Phase::Image:
        if (writeFilePart(out, m_content.images, &MimeMessageWriter::queueImageHeader)) {
            m_pending << "--" + m_relatedBoundary + "--";
            queueHtmlEnd();
        }
        return;
    case Phase::Attachment:
        if (writeFilePart(out, m_content.attachments, &MimeMessageWriter::queueAttachmentHeader)) {
            m_pending << "" << "--" + m_mixedBoundary + "--";
            m_phase = Phase::Done;
        }
        return;
    case Phase::Closing:
        m_pending << "";
        if (isMultipart())
            m_pending << "--" + m_mixedBoundary + "--";
        m_phase = Phase::Done;
        return;
    case Phase::Done:
        return;
    }
}

// Kept lines go in pieces that end with a line, so the batches stay as small as line by line. They were
// written from the start of a line, where every part begins.
bool MimeMessageWriter::writeNextKeptPiece(SmtpDataStream& out, const WrittenLines& part)
{
    const qsizetype left = part.wire.size() - m_keptOffset;
    if (left == 0) {
        m_keptOffset = 0;
        return false;
    }
    Q_ASSERT(m_keptOffset > 0 || out.state() == SmtpDataStream::State{});
    const qsizetype lineEnd = part.wire.lastIndexOf('\n', m_keptOffset + KeptPieceBytes - 1);
    const qsizetype piece = left > KeptPieceBytes && lineEnd >= m_keptOffset ? lineEnd + 1 - m_keptOffset : left;
    out.appendWire(QByteArrayView(part.wire).sliced(m_keptOffset, piece), {});
    m_keptOffset += piece;
    return true;
}

bool MimeMessageWriter::writeNextLine(SmtpDataStream& out, const QList<QByteArray>& lines, PartCoding coding)
{
    if (m_lineIndex == lines.size()) {
        m_lineIndex = 0;
        return false;
    }
    if (coding == PartCoding::QuotedPrintable)
        appendQuotedLine(out, m_encoder, lines[m_lineIndex++]);
    else
        appendWireLines(out, lines[m_lineIndex++], appendBodyPieces);
    return true;
}

template <typename Part>
bool MimeMessageWriter::writeFilePart(SmtpDataStream& out, const QList<Part>& parts,
                                      void (MimeMessageWriter::*queuePartHeader)(const Part&))
{
    const Part& part = parts[m_fileIndex];
    if (!m_fileStarted) {
        (this->*queuePartHeader)(part);
        m_fileStarted = true;
        return false;
    }
    if (!writeFileChunk(out, part.path) || ++m_fileIndex < parts.size())
        return false;
    m_fileIndex = 0;
    return true;
}

bool MimeMessageWriter::writeFileChunk(SmtpDataStream& out, const QString& path)
{
    if (!m_file.isOpen() && !m_keptFile)
        startKeptFile(out, path);
    if (m_keptFile)
        return writeKeptChunk(out);
    if (!m_file.isOpen()) {
        m_file.setFileName(path);
        m_fileHadData = false;
        if (!m_file.open(QIODevice::ReadOnly)) {
            setFailed(path, m_file.errorString());
            return false;
        }
    }
    const qint64 count = m_file.read(m_chunk.data(), qint64(m_chunk.size()));
    if (count < 0) {
        setFailed(path, m_file.errorString());
        return false;
    }
    if (count > 0) {
        m_encoded.resize(0);
        base64::appendEncodedLines(m_encoded, QByteArrayView(m_chunk.data(), count), Base64GroupBytes);
        const qsizetype from = out.size();
        out.append(m_encoded);
        recordChunk(out, from, count);
        m_fileHadData = true;
        return false;
    }
    if (!m_fileHadData) {
        const qsizetype from = out.size();
        out.appendLine({});                                // an empty file gives one empty line
        recordChunk(out, from, 0);
    }
    endFile();
    return true;
}

// A file is kept under its path, size and time, so one changed during the run is read again.
void MimeMessageWriter::startKeptFile(const SmtpDataStream& out, const QString& path)
{
    m_recording = false;
    if (!m_cache || out.state() != SmtpDataStream::State{})
        return;
    m_fileKey = FileKey::of(path, 0);
    m_keptFile = m_cache->files().find(m_fileKey);
    m_keptNext = 0;
    m_recording = !m_keptFile && m_fileKey.worthKeeping();
    m_recorded.clear();
    m_recordedSize = 0;
}

// One kept chunk per call, as the file would have been read, so the batches stay as small.
bool MimeMessageWriter::writeKeptChunk(SmtpDataStream& out)
{
    if (m_keptNext < m_keptFile->blocks.size()) {
        const ComposedBlock& block = m_keptFile->blocks[m_keptNext++];
        out.appendWire(block.wire, block.after);
        return false;
    }
    m_keptFile.reset();
    m_fileStarted = false;
    return true;
}

void MimeMessageWriter::recordChunk(const SmtpDataStream& out, qsizetype from, qsizetype source)
{
    if (!m_recording)
        return;
    m_recorded.append({out.writtenSince(from).toByteArray(), out.state(), source});
    m_recordedSize += source;
}

void MimeMessageWriter::endFile()
{
    if (m_recording)
        m_cache->files().keep(m_fileKey, {m_recordedSize, std::move(m_recorded)});
    m_recording = false;
    m_recorded.clear();
    m_file.close();
    m_fileStarted = false;
}

void MimeMessageWriter::setFailed(const QString& path, const QString& reason)
{
    m_error = QStringLiteral("Cannot read file '%1': %2").arg(path, reason);
    m_failed = true;
    m_file.close();
}
