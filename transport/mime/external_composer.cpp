// SendMail's message writer. The constructor plans the whole message as a queue of steps (literal
// lines, body parts, files); nextBlock() runs steps until a few KB of the DATA stream are ready. Every
// byte passes through one SmtpDataStream, so dot-stuffing and CR LF line ends hold across block edges.

#include "transport/mime/external_composer.h"

#include "transport/mime/base64.h"
#include "transport/mime/message_charset.h"
#include "transport/mime/uuencode.h"

#include <QFileInfo>
#include <QList>

namespace {

constexpr qsizetype kBlockTarget = 8192;        // bytes of stream handed out per nextBlock()
constexpr qsizetype kBodyBlock = 2048;
constexpr qsizetype kBase64FileBlock = 2280;    // 40 lines of 57 bytes
constexpr qsizetype kBase64LineBytes = 57;      // 76 characters
constexpr qsizetype kPictureLineBytes = 45;     // 60 characters
constexpr qsizetype kMaxLineLength = 998;       // RFC 5322 section 2.1.1, without CR LF
constexpr qsizetype kMaxHeaderValue = 999;
constexpr qsizetype kUuencodeBlock = 1800;      // 40 lines of 45 bytes
constexpr qsizetype kMaxHeaderLine = 76;        // RFC 2047 section 2, for lines with encoded words

enum PartFlag { TextFlag = 1, AttachmentsFlag = 2, HtmlFlag = 4, PicturesFlag = 8 };

QByteArray quoted(const QByteArray& text) { return '"' + text + '"'; }

bool isControlByte(unsigned char c) { return c < 32 || c == 127; }

// What a file's bytes allow: text as it is, text through quoted-printable, or base64 only.
struct FileScan {
    bool readable = false;
    bool binary = false;            // a control byte other than CR, LF and TAB
    bool eightBit = false;
    bool longLines = false;
};

FileScan scanFile(const QString& path)
{
    FileScan scan;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return scan;
    scan.readable = true;
    qsizetype lineLength = 0;
    while (!file.atEnd()) {
        const QByteArray block = file.read(64 * 1024);
        if (block.isEmpty())
            break;
        for (const char c : block) {
            const auto byte = static_cast<unsigned char>(c);
            if (byte == '\r' || byte == '\n') {
                lineLength = 0;
                continue;
            }
            if (++lineLength > kMaxLineLength)
                scan.longLines = true;
            if (byte >= 128)
                scan.eightBit = true;
            else if (isControlByte(byte) && byte != '\t')
                scan.binary = true;
        }
    }
    return scan;
}

// Text sent as it is must be text: binary files go base64 and over-long lines quoted-printable.
AttachmentEncoding chosenEncoding(AttachmentEncoding wanted, const FileScan& scan)
{
    if (wanted == AttachmentEncoding::Choose)
        wanted = scan.eightBit || scan.binary ? AttachmentEncoding::Base64 : AttachmentEncoding::PlainText;
    if (wanted == AttachmentEncoding::PlainText && scan.binary)
        return AttachmentEncoding::Base64;
    if (wanted == AttachmentEncoding::PlainText && scan.longLines)
        return AttachmentEncoding::QuotedPrintable;
    return wanted;
}

QString fileNamePart(const QString& path) { return path.mid(path.lastIndexOf(u'/') + 1); }

bool isPlainHeaderText(const QString& text)
{
    // Control characters are encoded too, so a line break in a name cannot start a new header line.
    return std::all_of(text.begin(), text.end(), [](QChar c) {
        return c.unicode() < 128 && !isControlByte(uchar(c.unicode()));
    });
}

// A quoted display name that must be encoded loses its quotes: inside encoded words they would be shown as
// part of the name. A plain name stays as it is, quotes and all.
QString displayName(const QString& name)
{
    if (isPlainHeaderText(name) || name.size() < 2 || !name.startsWith(u'"') || !name.endsWith(u'"'))
        return name;
    return name.mid(1, name.size() - 2);
}

QString nameOfItem(const QString& item)
{
    const qsizetype bar = item.indexOf(u'|');
    return bar < 0 ? QString() : item.mid(bar + 1);
}

// The texts a message writes in its charset: names, subject, extra headers, both bodies and every name of
// an attachment or picture.
QStringList charsetTexts(const ExternalMessage& message, const AttachmentSlots& attachmentSlots)
{
    QStringList texts{message.FROM_Name, message.Subject};
    for (const QStringList* list : {&message.ListTo, &message.Listcc})
        for (const QString& item : *list)
            texts << nameOfItem(item);
    texts << message.Headers << message.MailText << message.HtmlText;
    for (const QString& path : message.HtmlFiles)
        texts << fileNamePart(path);
    for (int k = 1; k <= message.Attachments.size(); ++k) {
        const AttachmentRecord* record = attachmentSlots.slot(k);
        if (!record) {
            texts << fileNamePart(message.Attachments[k - 1]);
            continue;
        }
        texts << record->displayName << record->description << record->disposition << fileNamePart(record->filePath);
    }
    return texts;
}

QByteArray wordPrefix(TMimeChar charset, THdrCoding coding)
{
    return "=?" + CharsetName(charset).toLatin1() + (coding == THdrCoding::hcQuotedPrn ? "?Q?" : "?B?");
}

QByteArray encodeWordBytes(QByteArrayView bytes, THdrCoding coding)
{
    return coding == THdrCoding::hcQuotedPrn ? qEncodeWord(bytes) : base64::encode(bytes);
}

}  // namespace

QByteArray EncodeHeaderWord(const QString& text, TMimeChar charset, THdrCoding coding)
{
    if (isPlainHeaderText(text))
        return text.toLatin1();
    return wordPrefix(charset, coding) + encodeWordBytes(encodeInCharset(text, charset), coding) + "?=";
}

QByteArray EncodeHeaderText(const QString& text, TMimeChar charset, THdrCoding coding, qsizetype firstLineUsed)
{
    const QByteArray single = EncodeHeaderWord(text, charset, coding);
    if (isPlainHeaderText(text) || firstLineUsed + single.size() <= kMaxHeaderLine)
        return single;
    // Split between characters, never inside one, so every word decodes on its own.
    const QByteArray prefix = wordPrefix(charset, coding);
    qsizetype room = qMax(qsizetype(12), kMaxHeaderLine - firstLineUsed) - prefix.size() - 2;
    QByteArray words;
    QByteArray pending;
    const auto flush = [&] {
        if (!words.isEmpty())
            words += "\r\n ";
        words += prefix + encodeWordBytes(pending, coding) + "?=";
        pending.clear();
        room = kMaxHeaderLine - 1 - prefix.size() - 2;           // after the folding blank
    };
    for (const uint codePoint : text.toUcs4()) {
        const char32_t unit = codePoint;
        const QByteArray character = encodeInCharset(QString::fromUcs4(&unit, 1), charset);
        if (!pending.isEmpty() && encodeWordBytes(pending + character, coding).size() > room)
            flush();
        pending += character;
    }
    if (!pending.isEmpty())
        flush();
    return words;
}

// Blanks at the end of a header line end up in the decoded value, and filters count them.
QByteArray EncodeHeaderLine(const QString& text, TMimeChar charset, THdrCoding coding)
{
    QString line = text;
    while (line.endsWith(u' ') || line.endsWith(u'\t'))
        line.chop(1);
    const qsizetype cut = line.indexOf(QStringLiteral(": "));
    QByteArray encoded = cut < 0 ? EncodeHeaderWord(line, charset, coding)
                                 : EncodeHeaderWord(line.left(cut + 2), charset, coding)
                                       + EncodeHeaderText(line.mid(cut + 2, kMaxHeaderValue), charset, coding, cut + 2);
    while (encoded.endsWith(' ') || encoded.endsWith('\t'))
        encoded.chop(1);
    return encoded;
}

QByteArray MakeBoundary(QRandomGenerator& random)
{
    QByteArray boundary = "----------";
    for (int i = 0; i < 12; ++i)
        boundary += QByteArray::number(random.bounded(255), 16).toUpper();
    return boundary;
}

ExternalComposer::ExternalComposer(const ExternalMessage& message, const AttachmentSlots& attachmentSlots,
                                   ComposerEvents events, std::optional<quint32> seed, ComposerPartCache* cache)
    : m_events(std::move(events)),
      m_coding(message.HdrCoding),
      m_cache(cache)
{
    chooseCharset(message, attachmentSlots);
    planMessage(message, attachmentSlots, seed);
    if (failed())
        m_steps.clear();
}

ExternalComposer::~ExternalComposer() = default;

void ExternalComposer::planMessage(const ExternalMessage& message, const AttachmentSlots& attachmentSlots,
                                   std::optional<quint32> seed)
{
    const bool html = message.TypeContent == TTypeContent::tcHtml;
    m_flags = (message.MailText.isEmpty() ? 0 : TextFlag) | (message.Attachments.isEmpty() ? 0 : AttachmentsFlag)
              | (html ? HtmlFlag : 0) | (html && !message.HtmlFiles.isEmpty() ? PicturesFlag : 0);
    planBoundaries(seed);
    m_textBody = body(message.MailText, false, QString::fromLatin1(m_charsetName));
    m_htmlBody = body(message.HtmlText, true, QString::fromLatin1(m_charsetName));

    planHeaders(message);
    if (m_events.feedData) {
        m_steps.push_back(Feed{});
        return;
    }
    if (m_flags & TextFlag)
        planTextPart();
    if (m_flags & HtmlFlag)
        planHtmlPart(message);
    if (m_flags & AttachmentsFlag)
        planAttachments(message, attachmentSlots);
    if (m_index >= 0)
        closeBoundary();
}

// Every text the message writes in its charset. A fed body comes in the owner's charset, so with a feed the
// charset stays as it was named.
void ExternalComposer::chooseCharset(const ExternalMessage& message, const AttachmentSlots& attachmentSlots)
{
    MessageCharset chosen{message.MimeChar, message.Charset, false};
    if (!m_events.feedData)
        chosen = messageCharsetFor(message.MimeChar, message.Charset, charsetTexts(message, attachmentSlots));
    m_charset = chosen.charset;
    m_charsetName = chosen.name.toLatin1();
    m_utf8Fallback = chosen.utf8Fallback;
}

// A single-part message has no boundary and needs no random values at all.
void ExternalComposer::planBoundaries(std::optional<quint32> seed)
{
    const bool text = m_flags & TextFlag;
    const bool html = m_flags & HtmlFlag;
    if (!(m_flags & (AttachmentsFlag | PicturesFlag)) && !(text && html))
        return;
    QRandomGenerator random(seed ? *seed : QRandomGenerator::system()->generate());
    if (m_flags & AttachmentsFlag)
        m_boundaries.append(MakeBoundary(random));
    if (text && html)
        m_boundaries.append(MakeBoundary(random));
    if (m_flags & PicturesFlag)
        m_boundaries.append(MakeBoundary(random));
}

std::shared_ptr<ComposedBody> ExternalComposer::body(const QStringList& lines, bool html,
                                                     const QString& charsetName) const
{
    return m_cache ? m_cache->body(lines, m_charset, html, charsetName)
                   : composeBody(lines, m_charset, html, charsetName);
}

void ExternalComposer::planHeaders(const ExternalMessage& message)
{
    addLine("From: " + headerText(displayName(message.FROM_Name), 6) + " <" + message.FROM_Address.toUtf8() + '>');
    const auto addRecipients = [&](const QStringList& list, const QByteArray& field) {
        for (const QString& item : list) {
            const qsizetype bar = item.indexOf(u'|');
            const QByteArray address = (bar < 0 ? item : item.left(bar)).toUtf8();
            const QString name = bar < 0 ? QString() : item.mid(bar + 1);
            addLine(name.isEmpty() ? field + '<' + address + '>'
                                   : field + headerText(name, field.size()) + " <" + address + '>');
        }
    };
    addRecipients(message.ListTo, "To: ");
    addRecipients(message.Listcc, "cc: ");
    if (!message.Subject.isEmpty())
        addLine(EncodeHeaderLine("Subject: " + message.Subject, m_charset, m_coding));
    addLine("MIME-Version: 1.0");
    for (const QString& header : message.Headers)
        addLine(EncodeHeaderLine(header, m_charset, m_coding));

    if (!m_boundaries.isEmpty()) {
        const QByteArray type = (m_flags & AttachmentsFlag)              ? "mixed"
                                : m_flags == (HtmlFlag | PicturesFlag) ? "related"
                                                                         : "alternative";
        m_index = 0;
        // No charset parameter: RFC 2046 defines none for multipart types.
        addLine("Content-Type: multipart/" + type + ';');
        if (type == "related") {
            addLine(" boundary=" + quoted(m_boundaries[0]) + ';');
            addLine(" type=\"text/html\"");                // RFC 2387 section 3.1: the root part's type
        } else {
            addLine(" boundary=" + quoted(m_boundaries[0]));
        }
    } else {
        addLine("Content-Type: " + message.Content_Type.toLatin1() + "; charset=" + quoted(m_charsetName));
        if (((m_flags & HtmlFlag) ? m_htmlBody : m_textBody)->encoded)
            addLine("Content-Transfer-Encoding: quoted-printable");
    }
    addLine({});
}

void ExternalComposer::planTextPart()
{
    const bool encoded = m_textBody->encoded;
    if (!m_boundaries.isEmpty())
        addLine(boundaryLine());
    if ((m_flags & AttachmentsFlag) && (m_flags & HtmlFlag) && m_index + 1 < m_boundaries.size()) {
        ++m_index;
        addLine("Content-Type: multipart/alternative;");
        addLine(" boundary=" + quoted(m_boundaries[m_index]));
        addLine({});
        addLine(boundaryLine());
    }
    if (m_flags != TextFlag) {
        addLine("Content-Type: text/plain; charset=" + quoted(m_charsetName));
        if (encoded)
            addLine("Content-Transfer-Encoding: quoted-printable");
        addLine({});
    }
    addBody(m_textBody);
    addLine({});
}

void ExternalComposer::planHtmlPart(const ExternalMessage& message)
{
    const bool encoded = m_htmlBody->encoded;
    if (m_flags != HtmlFlag) {
        addLine(boundaryLine());
        const bool furtherBoundary = m_index + 1 < m_boundaries.size();
        if ((m_flags & PicturesFlag) && ((m_flags & TextFlag) || furtherBoundary)) {
            if (furtherBoundary)
                ++m_index;
            addLine("Content-Type: multipart/related;");
            addLine(" boundary=" + quoted(m_boundaries[m_index]) + ';');
            addLine(" type=\"text/html\"");
            addLine({});
            addLine(boundaryLine());
        }
        addLine("Content-Type: text/html; charset=" + quoted(m_charsetName));
        addLine(encoded ? "Content-Transfer-Encoding: Quoted-Printable" : "Content-Transfer-Encoding: 7bit");
        addLine({});
    }
    addBody(m_htmlBody);
    addLine({});
    if (m_flags & PicturesFlag) {
        for (qsizetype j = 0; j < message.HtmlFiles.size() && !failed(); ++j)
            planPicture(message.HtmlFiles[j], message.HtmlCids.value(j));
        closeBoundary();
        --m_index;
    }
    if (m_index > 0) {
        closeBoundary();
        --m_index;
    }
}

void ExternalComposer::planAttachments(const ExternalMessage& message, const AttachmentSlots& attachmentSlots)
{
    for (int k = 1; k <= message.Attachments.size() && !failed(); ++k) {
        if (const AttachmentRecord* record = attachmentSlots.slot(k))
            planRecordAttachment(*record);
        else
            planBareAttachment(message.Attachments[k - 1]);
    }
}

void ExternalComposer::planRecordAttachment(const AttachmentRecord& record)
{
    const QString& path = record.filePath;
    const FileScan scan = scanFile(path);
    if (!scan.readable)
        return fail(QStringLiteral("Cannot read the attachment ") + path);
    const AttachmentEncoding encoding = chosenEncoding(record.encoding, scan);
    const QByteArray type = record.mimeType.isEmpty() ? m_partTypes.forFile(path) : record.mimeType.toLatin1();
    const QString disposition = record.disposition.isEmpty() ? QStringLiteral("attachment") : record.disposition;
    const QString name = record.displayName.isEmpty() ? fileNamePart(path) : record.displayName;
    addLine({});
    addLine(boundaryLine());
    switch (encoding) {
    case AttachmentEncoding::Choose:
        Q_UNREACHABLE();
    case AttachmentEncoding::Base64:
        addLine("Content-Type: " + type + "; name=" + quoted(headerWord(name)));
        addLine("Content-Transfer-Encoding: base64");
        addDispositionAndDescription(disposition, fileNamePart(path), record.description);
        addFile(path, FileCoding::Base64Attachment);
        return;
    case AttachmentEncoding::QuotedPrintable:
        addLine("Content-Type: " + type + "; name=" + quoted(headerWord(name)));
        addLine("Content-Transfer-Encoding: Quoted-Printable");
        addDispositionAndDescription(disposition, fileNamePart(path), record.description);
        // A binary file keeps every byte: its CR and LF are not line breaks of a text.
        addFile(path, scan.binary ? FileCoding::QuotedPrintableBinary : FileCoding::QuotedPrintable);
        return;
    case AttachmentEncoding::PlainText:
        addLine("Content-Type: " + type + "; name=" + quoted(headerWord(name)));
        addDispositionAndDescription(disposition, fileNamePart(path), record.description);
        addFile(path, FileCoding::PlainText);
        return;
    case AttachmentEncoding::Uuencode: {
        const qsizetype dot = name.lastIndexOf(u'.');
        const QString uuName = (dot < 0 ? name : name.left(dot)) + QStringLiteral(".uue");
        addLine("Content-Type: application/octet-stream; name=" + quoted(headerWord(uuName)));
        addDispositionAndDescription(disposition, uuName, record.description);
        addLine(QByteArray(61, '='));
        addLine("begin 666 " + encodeInCharset(name, m_charset));
        addFile(path, FileCoding::Uuencode);
        addLine({});
        addLine("end");
        return;
    }
    }
}

void ExternalComposer::addDispositionAndDescription(const QString& disposition, const QString& fileName,
                                                    const QString& description)
{
    addLine("Content-Disposition: " + headerWord(disposition) + "; filename=" + quoted(headerWord(fileName)));
    if (!description.isEmpty())
        addLine("Content-Description: " + headerWord(description));
    addLine({});
}

void ExternalComposer::planBareAttachment(const QString& path)
{
    if (!checkReadable(path))
        return;
    addLine({});
    addLine(boundaryLine());
    addLine("Content-Type: " + m_partTypes.forFile(path) + ';');
    addLine("Content-Transfer-Encoding: base64");
    addLine("Content-Disposition: attachment; filename=" + quoted(headerWord(fileNamePart(path))));
    addLine({});
    addFile(path, FileCoding::Base64Picture);
    addLine({});
}

void ExternalComposer::planPicture(const QString& path, const QString& cid)
{
    if (!checkReadable(path))
        return;
    addLine({});
    addLine(boundaryLine());
    addLine("Content-Type: " + m_partTypes.forFile(path));
    addLine("Content-ID: <" + cid.toUtf8() + '>');
    addLine("Content-Transfer-Encoding: base64");
    addLine("Content-Disposition: inline; filename=" + quoted(headerWord(fileNamePart(path))));
    addLine({});
    addFile(path, FileCoding::Base64Picture);
}

bool ExternalComposer::checkReadable(const QString& path)
{
    if (QFileInfo(path).isFile() && QFileInfo(path).isReadable())
        return true;
    fail(QStringLiteral("Cannot read the attachment ") + path);
    return false;
}

void ExternalComposer::addLine(const QByteArray& line)
{
    if (!m_steps.empty())
        if (auto* text = std::get_if<QByteArray>(&m_steps.back())) {
            text->append(line).append("\r\n");
            return;
        }
    m_steps.push_back(line + "\r\n");
}

void ExternalComposer::addBody(const std::shared_ptr<ComposedBody>& body)
{
    Body step;
    step.part = body;
    m_steps.push_back(std::move(step));
}

void ExternalComposer::addFile(const QString& path, FileCoding coding)
{
    FilePart step;
    step.path = path;
    step.coding = coding;
    if (coding == FileCoding::QuotedPrintableBinary)
        step.encoder.reset(QuotedPrintableEncoder::Content::Binary);
    m_steps.push_back(std::move(step));
}

QByteArray ExternalComposer::boundaryLine() const
{
    return "--" + m_boundaries[m_index];
}

void ExternalComposer::closeBoundary()
{
    addLine({});
    addLine("--" + m_boundaries[m_index] + "--");
}

QByteArray ExternalComposer::headerWord(const QString& text) const
{
    return EncodeHeaderWord(text, m_charset, m_coding);
}

QByteArray ExternalComposer::headerText(const QString& text, qsizetype firstLineUsed) const
{
    return EncodeHeaderText(text, m_charset, m_coding, firstLineUsed);
}

QByteArray ExternalComposer::nextBlock()
{
    while (!m_steps.empty() && m_stream.size() < kBlockTarget) {
        if (!runStep(m_steps.front()))
            continue;
        if (failed())
            break;
        m_steps.pop_front();
    }
    if (failed()) {
        m_steps.clear();
        m_stream.take();
        return {};
    }
    if (m_steps.empty())
        m_stream.finish();
    return m_stream.take();
}

QByteArray ExternalComposer::composeAll()
{
    QByteArray all;
    while (!atEnd())
        all += nextBlock();
    return failed() ? QByteArray() : all;
}

bool ExternalComposer::runStep(Step& step)
{
    if (auto* text = std::get_if<QByteArray>(&step)) {
        m_stream.append(*text);
        return true;
    }
    if (auto* body = std::get_if<Body>(&step))
        return runBody(*body);
    if (auto* feed = std::get_if<Feed>(&step))
        return runFeed(*feed);
    return runFile(std::get<FilePart>(step));
}

// Kept blocks were written from the start of a line; anywhere else the part is built as new.
bool ExternalComposer::startReplay(Replay& replay, bool kept)
{
    const bool atLineStart = m_stream.state() == SmtpDataStream::State{};
    replay.replaying = kept && atLineStart;
    replay.recording = m_cache && !kept && atLineStart;
    return replay.replaying;
}

// A file too large to keep is not recorded either.
bool ExternalComposer::startFileReplay(FilePart& part)
{
    const bool replaying = startReplay(part.replay, part.kept != nullptr);
    part.replay.recording = part.replay.recording && part.key.worthKeeping();
    return replaying;
}

void ExternalComposer::record(Replay& replay, qsizetype from, qsizetype source)
{
    if (replay.recording)
        replay.recorded.append({m_stream.writtenSince(from).toByteArray(), m_stream.state(), source});
}

bool ExternalComposer::runBody(Body& body)
{
    ComposedBody& part = *body.part;
    if (body.done < 0) {
        info(InfoBodySize, QString::number(part.bytes.size()));
        body.done = 0;
        startReplay(body.replay, part.streamed);
    }
    if (body.done >= part.bytes.size())
        return true;
    if (body.replay.replaying) {
        const ComposedBlock& block = part.blocks[body.replay.next++];
        m_stream.appendWire(block.wire, block.after);
        body.done += block.source;
    } else {
        const QByteArrayView block =
            QByteArrayView(part.bytes).sliced(body.done, qMin(kBodyBlock, part.bytes.size() - body.done));
        const qsizetype from = m_stream.size();
        if (part.encoded) {
            QByteArray out;
            body.encoder.encode(block, out);
            if (body.done + block.size() == part.bytes.size())
                body.encoder.finish(out);
            m_stream.append(out);
        } else {
            m_stream.append(block);
        }
        record(body.replay, from, block.size());
        body.done += block.size();
    }
    info(InfoBodyDone, QString::number(body.done));
    if (body.done < part.bytes.size())
        return false;
    if (body.replay.recording) {
        part.blocks = std::move(body.replay.recorded);
        part.streamed = true;
    }
    return true;
}

bool ExternalComposer::runFeed(Feed& feed)
{
    const QByteArray data = m_events.feedData();
    if (data.isEmpty())
        return true;
    feed.total += data.size();
    info(InfoBodyDone, QString::number(feed.total));
    m_stream.append(data);
    return false;
}

bool ExternalComposer::runFile(FilePart& part)
{
    if (!part.started && !startFile(part))
        return true;
    if (nextFileBlock(part))
        return false;
    if (failed())
        return true;
    finishFile(part);
    return true;
}

// A kept file is not opened again: its key says the file is still what was written before.
bool ExternalComposer::startFile(FilePart& part)
{
    part.started = true;
    if (m_cache) {
        part.key = FileKey::of(part.path, int(part.coding));
        part.kept = m_cache->files().find(part.key);
    }
    qint64 size = 0;
    if (!startFileReplay(part)) {
        part.kept.reset();
        part.file = std::make_shared<QFile>(part.path);
        if (!part.file->open(QIODevice::ReadOnly)) {
            fail(QStringLiteral("Cannot read the attachment ") + part.path);
            return false;
        }
        size = part.file->size();
    } else {
        size = part.kept->size;
    }
    info(InfoFileStarts, part.path);
    if (part.coding == FileCoding::Base64Attachment)
        info(InfoBase64FileSize, QString::number(size));
    return true;
}

// Writes the file's next block; false at its end or when it could not be read.
bool ExternalComposer::nextFileBlock(FilePart& part)
{
    if (part.replay.replaying) {
        if (part.replay.next == part.kept->blocks.size())
            return false;
        const ComposedBlock& block = part.kept->blocks[part.replay.next++];
        countFileBlock(part, block.source);
        m_stream.appendWire(block.wire, block.after);
        return true;
    }
    const qsizetype blockSize = part.coding == FileCoding::Base64Attachment ? kBase64FileBlock
                                : part.coding == FileCoding::Base64Picture || part.coding == FileCoding::Uuencode
                                    ? kUuencodeBlock
                                    : kBodyBlock;
    const QByteArray data = part.file->read(blockSize);
    if (!data.isEmpty()) {
        countFileBlock(part, data.size());
        const qsizetype from = m_stream.size();
        encodeFileBlock(part, data);
        record(part.replay, from, data.size());
        return true;
    }
    if (part.file->error() != QFileDevice::NoError)
        fail(QStringLiteral("Cannot read the attachment ") + part.path);
    return false;
}

void ExternalComposer::finishFile(FilePart& part)
{
    if (part.coding == FileCoding::Base64Attachment)
        info(InfoBase64FileDone, QString::number(part.done));
    if (part.coding == FileCoding::PlainText)
        m_stream.finish();
    // The encoder still holds the file's last line (written with a soft break: a hard one would add a line
    // end to the file's content); a kept file has it in its blocks.
    if (isQuotedPrintable(part.coding) && !part.replay.replaying) {
        QByteArray out;
        part.encoder.finish(out);
        const qsizetype from = m_stream.size();
        m_stream.append(out);
        record(part.replay, from, 0);
    }
    if (part.replay.recording)
        m_cache->files().keep(part.key, {part.done, std::move(part.replay.recorded)});
    part.file.reset();
}

// The progress a block of the file brings: a base64 attachment reports after every line.
void ExternalComposer::countFileBlock(FilePart& part, qsizetype size)
{
    if (part.coding != FileCoding::Base64Attachment) {
        part.done += size;
        return;
    }
    for (qsizetype start = 0; start < size; start += kBase64LineBytes) {
        part.done += qMin(kBase64LineBytes, size - start);
        info(InfoBase64FileDone, QString::number(part.done));
    }
}

void ExternalComposer::encodeFileBlock(FilePart& part, const QByteArray& data)
{
    QByteArray out;
    switch (part.coding) {
    case FileCoding::Base64Attachment:
        base64::appendEncodedLines(out, data, kBase64LineBytes);
        break;
    case FileCoding::Base64Picture:
        base64::appendEncodedLines(out, data, kPictureLineBytes);
        break;
    case FileCoding::QuotedPrintable:
    case FileCoding::QuotedPrintableBinary:
        part.encoder.encode(data, out);
        break;
    case FileCoding::PlainText:
        out = data;
        break;
    case FileCoding::Uuencode:
        uuencode::appendLines(out, data);
        break;
    }
    m_stream.append(out);
}

void ExternalComposer::info(int code, const QString& text)
{
    if (m_events.mailInfo)
        m_events.mailInfo(code, text);
}

void ExternalComposer::fail(const QString& text)
{
    if (m_errorString.isEmpty())
        m_errorString = text;
}
