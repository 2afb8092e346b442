// The external-server composer: the ten part combinations as Python's email package reads them, coded
// header words, quoted-printable body lines, base64 and uuencode attachment lines, the encoding chosen
// for attachment files, content types from mime.def, and dot-stuffing and line ends across block edges.

#include "transport/mime/external_composer.h"

#include "transport/mime/base64.h"
#include "tests/support/test_home.h"
#include "tests/transport/charset_cases.h"
#include "tests/transport/composer_test_support.h"

#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>

namespace {

using sorvanta::test::CharsetCase;
using sorvanta::test::charsetCaseName;
using sorvanta::test::charsetBody;
using sorvanta::test::charsetCases;
using sorvanta::test::charsetHtml;
using sorvanta::test::charsetSubject;
using sorvanta::test::expectMergedTextsReadBack;
using sorvanta::test::patternBytes;
using sorvanta::test::pythonStrictView;
using sorvanta::test::unstuffedData;
using sorvanta::test::pythonMimeView;
using sorvanta::test::testHome;
using sorvanta::test::writeTestFile;

QString leafField(const QJsonObject& view, int leaf, const char* field)
{
    return view["leaves"].toArray()[leaf].toObject()[field].toString();
}

QByteArray leafPayload(const QJsonObject& view, int leaf)
{
    return QByteArray::fromHex(leafField(view, leaf, "payload").toLatin1());
}

ExternalMessage basicMessage()
{
    ExternalMessage message;
    message.FROM_Name = "\"Sender\"";
    message.FROM_Address = "sender@example.test";
    message.ListTo = {"first@example.test|J\u00fcrgen M\u00fcller", "second@example.test"};
    message.Listcc = {"copy@example.test|Copy"};
    message.Subject = "Gr\u00fc\u00dfe aus Bern";
    message.Headers = {"X-Mailer: Quarvel"};
    message.Content_Type = "text/plain";
    message.Charset = "ISO-8859-1";
    message.MimeChar = TMimeChar::ISO_8859_1;
    return message;
}

QByteArray compose(const ExternalMessage& message, const AttachmentSlots& table = {}, ComposerEvents events = {})
{
    ExternalComposer composer(message, table, std::move(events), 42);
    const QByteArray stream = composer.composeAll();
    EXPECT_FALSE(composer.failed()) << composer.errorString().toStdString();
    return stream;
}

struct CombinationCase {
    const char* name;
    bool text;
    bool html;
    bool pictures;
    bool attachments;
    const char* tree;
};

class ComposerCombinationTest : public ::testing::TestWithParam<CombinationCase> {};

TEST_P(ComposerCombinationTest, PythonReadsStructureAndPayloads)
{
    const CombinationCase& c = GetParam();
    const QByteArray picture = patternBytes(1000);
    const QByteArray pdf = patternBytes(3001);
    ExternalMessage message = basicMessage();
    if (c.text)
        message.MailText = {"Hello J\u00fcrgen,", ".", "bye"};
    if (c.html) {
        message.TypeContent = TTypeContent::tcHtml;
        message.Content_Type = "text/html";
        message.HtmlText = {"<p>Hello <img src=\"cid:pic1\"></p>"};
    }
    if (c.pictures) {
        message.HtmlFiles = {writeTestFile("logo.gif", picture)};
        message.HtmlCids = {"pic1"};
    }
    if (c.attachments)
        message.Attachments = {writeTestFile("report.pdf", pdf)};

    const QByteArray stream = compose(message);
    const QByteArray header = stream.left(stream.indexOf("\r\n\r\n") + 2);
    for (const QByteArray& line : header.split('\n'))
        EXPECT_FALSE(line.endsWith(" \r") || line.endsWith("\t\r")) << line.toStdString();
    // RFC 2046 defines no charset parameter for multipart types.
    const QByteArray contentType = header.mid(header.indexOf("Content-Type: "));
    EXPECT_EQ(contentType.startsWith("Content-Type: multipart/"), !contentType.contains("charset="))
        << contentType.toStdString();
    const QJsonObject view = pythonMimeView(stream);
    EXPECT_EQ(view["tree"].toString().toStdString(), c.tree);
    EXPECT_TRUE(view["defects"].toArray().isEmpty()) << QJsonDocument(view["defects"].toArray()).toJson().toStdString();
    EXPECT_EQ(view["subject"].toString(), message.Subject);
    EXPECT_EQ(view["to"].toArray().size(), 2);
    EXPECT_EQ(view["related_types"].toArray().size(), c.pictures ? 1 : 0);
    for (const QJsonValue type : view["related_types"].toArray())
        EXPECT_EQ(type.toString(), "text/html");             // RFC 2387: the root part's type

    int leaf = 0;
    if (c.text) {
        // Without a closing alternative part the empty line before the next boundary stays in the text.
        const QByteArray expected = c.html ? "Hello J\xfcrgen,\n.\nbye\n" : "Hello J\xfcrgen,\n.\nbye\n\n";
        EXPECT_EQ(leafPayload(view, leaf).replace("\r\n", "\n"), expected);
        EXPECT_EQ(leafField(view, leaf++, "charset"), "iso-8859-1");
    }
    if (c.html) {
        EXPECT_EQ(leafPayload(view, leaf++).trimmed(), QByteArray("<p>Hello <img src=\"cid:pic1\"></p>"));
    }
    if (c.pictures) {
        EXPECT_EQ(leafField(view, leaf, "cid"), "<pic1>");
        EXPECT_EQ(leafPayload(view, leaf++), picture);
    }
    if (c.attachments) {
        EXPECT_EQ(leafField(view, leaf, "filename"), "report.pdf");
        EXPECT_EQ(leafPayload(view, leaf++), pdf);
    }
}

INSTANTIATE_TEST_SUITE_P(Parts, ComposerCombinationTest, ::testing::Values(
    CombinationCase{"text", true, false, false, false, "text/plain"},
    CombinationCase{"html", false, true, false, false, "text/html"},
    CombinationCase{"text_html", true, true, false, false, "multipart/alternative(text/plain,text/html)"},
    CombinationCase{"html_pictures", false, true, true, false, "multipart/related(text/html,image/gif)"},
    CombinationCase{"text_html_pictures", true, true, true, false,
                    "multipart/alternative(text/plain,multipart/related(text/html,image/gif))"},
    CombinationCase{"attachments_text", true, false, false, true, "multipart/mixed(text/plain,application/pdf)"},
    CombinationCase{"attachments_html", false, true, false, true, "multipart/mixed(text/html,application/pdf)"},
    CombinationCase{"attachments_text_html", true, true, false, true,
                    "multipart/mixed(multipart/alternative(text/plain,text/html),application/pdf)"},
    CombinationCase{"attachments_html_pictures", false, true, true, true,
                    "multipart/mixed(multipart/related(text/html,image/gif),application/pdf)"},
    CombinationCase{"attachments_text_html_pictures", true, true, true, true,
                    "multipart/mixed(multipart/alternative(text/plain,multipart/related(text/html,image/gif)),"
                    "application/pdf)"}),
    [](const auto& info) { return std::string(info.param.name); });

struct WordCase { const char* name; QString text; THdrCoding coding; QByteArray encoded; };

class HeaderWordTest : public ::testing::TestWithParam<WordCase> {};

TEST_P(HeaderWordTest, EncodesWord)
{
    EXPECT_EQ(EncodeHeaderWord(GetParam().text, TMimeChar::ISO_8859_1, GetParam().coding), GetParam().encoded);
}

INSTANTIATE_TEST_SUITE_P(Words, HeaderWordTest, ::testing::Values(
    WordCase{"ascii_unchanged", "Plain subject", THdrCoding::hcQuotedPrn, "Plain subject"},
    WordCase{"q_high_byte_and_blank", "\u00fc ber", THdrCoding::hcQuotedPrn, "=?ISO-8859-1?Q?=FC_ber?="},
    // Only letters, digits and !*+-/ stay; "?", "=", "_", quotes and parentheses are escaped.
    WordCase{"q_specials", "\u00e9?=_\"(x)!*+-/", THdrCoding::hcQuotedPrn,
             "=?ISO-8859-1?Q?=E9=3F=3D=5F=22=28x=29!*+-/?="},
    WordCase{"b_word", "\u00fc ber", THdrCoding::hcBase64, "=?ISO-8859-1?B?/CBiZXI=?="},
    WordCase{"line_break_encoded", "a\r\nBcc: x", THdrCoding::hcQuotedPrn, "=?ISO-8859-1?Q?a=0D=0ABcc=3A_x?="}),
    [](const auto& info) { return std::string(info.param.name); });

// Blanks at the end of a header line would end up in the decoded value: none is written.
TEST(HeaderLineTest, EncodesValueWithoutBlanksAtItsEnd)
{
    EXPECT_EQ(EncodeHeaderLine("Subject: \u00fc x", TMimeChar::ISO_8859_1, THdrCoding::hcQuotedPrn),
              QByteArray("Subject: =?ISO-8859-1?Q?=FC_x?="));
    EXPECT_EQ(EncodeHeaderLine("Subject: hello", TMimeChar::ISO_8859_1, THdrCoding::hcQuotedPrn),
              QByteArray("Subject: hello"));
    EXPECT_EQ(EncodeHeaderLine("Subject: hello \t ", TMimeChar::ISO_8859_1, THdrCoding::hcQuotedPrn),
              QByteArray("Subject: hello"));
    EXPECT_EQ(EncodeHeaderLine("NoSeparator", TMimeChar::ISO_8859_1, THdrCoding::hcQuotedPrn),
              QByteArray("NoSeparator"));
}

// A long subject becomes several encoded words of at most 75 characters on folded lines, split between
// characters, so Python reads back the same text.
TEST(HeaderLineTest, LongSubjectFoldsIntoWholeCharacterWords)
{
    struct Long { TMimeChar charset; QString charsetName; THdrCoding coding; QString subject; };
    const Long cases[] = {
        {TMimeChar::ISO_8859_1, "ISO-8859-1", THdrCoding::hcQuotedPrn, QString(60, u'\u00fc') + " und mehr Text"},
        {TMimeChar::UTF_8, "UTF-8", THdrCoding::hcBase64, QString(50, u'\u20ac') + " euro"},
        {TMimeChar::UTF_8, "UTF-8", THdrCoding::hcQuotedPrn, QString(30, u'\u00e9') + QString::fromUcs4(U"\U0001F600", 1)},
    };
    for (const Long& c : cases) {
        ExternalMessage message = basicMessage();
        message.MimeChar = c.charset;
        message.Charset = c.charsetName;
        message.HdrCoding = c.coding;
        message.Subject = c.subject;
        message.MailText = {"x"};
        const QByteArray stream = compose(message);
        const QByteArray headers = stream.left(stream.indexOf("\r\n\r\n"));
        for (const QByteArray& line : headers.split('\n'))
            EXPECT_LE(line.trimmed().size() + (line.startsWith(' ') ? 1 : 0), 76) << line.toStdString();
        const QJsonObject view = pythonMimeView(stream);
        EXPECT_EQ(view["subject"].toString().trimmed(), c.subject);
        EXPECT_TRUE(view["defects"].toArray().isEmpty());
    }
}

QList<QByteArray> bodyLines(const QByteArray& stream)
{
    const qsizetype start = stream.indexOf("\r\n\r\n") + 4;
    return stream.mid(start).split('\n');
}

// RFC 2045 section 6.7: line breaks stay line breaks, blanks stay blanks but before a break, soft breaks
// keep every line within 76 characters, and a "." opening a line is escaped.
TEST(ComposerBodyTest, QuotedPrintableLines)
{
    ExternalMessage message = basicMessage();
    message.MailText = {QString(200, u'a') + u'\u00e9', ".dot", "x = y ", "", "tab\tend\t"};
    const QByteArray stream = compose(message);
    EXPECT_TRUE(stream.contains("\r\nContent-Transfer-Encoding: quoted-printable\r\n"));
    const QList<QByteArray> lines = bodyLines(stream);
    for (const QByteArray& line : lines) {
        EXPECT_LE(line.size(), 77) << line.toStdString();            // 76 characters and the CR
        EXPECT_FALSE(line.startsWith('.')) << line.toStdString();
    }
    const QByteArray joined = stream.mid(stream.indexOf("\r\n\r\n") + 4).replace("=\r\n", "");
    EXPECT_TRUE(joined.startsWith(QByteArray(200, 'a') + "=E9\r\n=2Edot\r\nx =3D y=20\r\n\r\ntab\tend=09"))
        << joined.toStdString();
    const QJsonObject view = pythonMimeView(stream);
    EXPECT_TRUE(view["defects"].toArray().isEmpty());
    EXPECT_TRUE(QByteArray::fromHex(view["leaves"].toArray()[0].toObject()["payload"].toString().toLatin1())
                    .startsWith(QByteArray(200, 'a') + "\xE9\r\n.dot\r\nx = y \r\n\r\ntab\tend\t"));
}

TEST(ComposerBodyTest, AsciiBodyUnencodedWithLineEndsMended)
{
    ExternalMessage message = basicMessage();
    message.MailText = {"one\rtwo\nthree", "."};
    const QByteArray stream = compose(message);
    EXPECT_FALSE(stream.contains("Content-Transfer-Encoding"));
    EXPECT_TRUE(stream.endsWith("\r\n\r\none\r\ntwo\r\nthree\r\n..\r\n\r\n")) << stream.toStdString();
}

TEST(ComposerBodyTest, LongLineGoesQuotedPrintable)
{
    ExternalMessage message = basicMessage();
    message.MailText = {QString(999, u'x')};
    EXPECT_TRUE(compose(message).contains("Content-Transfer-Encoding: quoted-printable"));
    message.MailText = {QString(998, u'x')};
    EXPECT_FALSE(compose(message).contains("Content-Transfer-Encoding"));
}

// Lines that begin with "." at the 2048-byte body block edge and at the edges of the handed-out blocks.
TEST(ComposerBodyTest, DotStuffingAcrossBlockEdges)
{
    ExternalMessage message = basicMessage();
    // Lines of 998, 998 and 46 characters and their CR LF fill the first 2048-byte block exactly.
    QStringList lines;
    for (int i = 0; i < 80; ++i)
        lines << (i % 4 == 3 ? QString(".%1").arg(i) : QString(i % 4 == 2 ? 46 : 998, u'a'));
    const QString body = lines.join("\r\n") + "\r\n";
    message.MailText = lines;

    ExternalComposer composer(message, {}, {}, 1);
    QByteArray stream;
    int blocks = 0;
    while (!composer.atEnd()) {
        stream += composer.nextBlock();
        ++blocks;
    }
    EXPECT_GT(blocks, 2);
    const QByteArray sent = stream.mid(stream.indexOf("\r\n\r\n") + 4);
    QByteArray unstuffed;
    for (const QByteArray& line : sent.split('\n')) {
        if (line.startsWith('.')) {
            EXPECT_TRUE(line.startsWith("..")) << line.left(20).toStdString();
        }
        unstuffed += (line.startsWith('.') ? line.mid(1) : line) + '\n';
    }
    unstuffed.chop(1);
    EXPECT_TRUE(sent.startsWith(QByteArray(998, 'a') + "\r\n" + QByteArray(998, 'a') + "\r\n" + QByteArray(46, 'a')
                                + "\r\n..3\r\n"));
    EXPECT_EQ(unstuffed, body.toLatin1() + "\r\n");
}

TEST(ComposerAttachmentTest, Base64AttachmentLines)
{
    ExternalMessage message = basicMessage();
    message.MailText = {"see attached"};
    AttachmentSlots table;
    const QByteArray data = patternBytes(58);
    ASSERT_TRUE(table.AddAttachment({"data.bin", AttachmentEncoding::Base64, "", "", "Some data",
                                     writeTestFile("data.bin", data)}, message.Attachments));
    QList<std::pair<int, QString>> events;
    const QByteArray stream = compose(message, table, {[&](int code, const QString& text) {
        if (code >= 5 && code <= 7)
            events.append({code, text});
    }, {}});
    const QByteArray encoded = base64::encode(data);
    EXPECT_TRUE(stream.contains("Content-Type: application/octet-stream; name=\"data.bin\"\r\n"
                                "Content-Transfer-Encoding: base64\r\n"
                                "Content-Disposition: attachment; filename=\"data.bin\"\r\n"
                                "Content-Description: Some data\r\n\r\n"
                                + encoded.left(76) + "\r\n" + encoded.mid(76) + "\r\n"));
    EXPECT_TRUE(encoded.mid(76).endsWith("==") && encoded.mid(76).size() == 4);
    ASSERT_EQ(events.size(), 5);
    EXPECT_EQ(events[1], std::make_pair(6, QString("58")));
    EXPECT_EQ(events[3], std::make_pair(7, QString("58")));
    EXPECT_TRUE(pythonMimeView(stream)["defects"].toArray().isEmpty());
}

struct ChoiceCase {
    const char* name;
    AttachmentEncoding wanted;
    QByteArray content;
    const char* encodingHeader;     // Content-Transfer-Encoding python sees ("" for none)
};

class AttachmentChoiceTest : public ::testing::TestWithParam<ChoiceCase> {};

TEST_P(AttachmentChoiceTest, ChoosesEncodingAndKeepsBytes)
{
    const ChoiceCase& c = GetParam();
    ExternalMessage message = basicMessage();
    message.MailText = {"body"};
    AttachmentSlots table;
    table.AddAttachment({"", c.wanted, "", "", "", writeTestFile("file.txt", c.content)}, message.Attachments);
    const QJsonObject view = pythonMimeView(compose(message, table));
    EXPECT_TRUE(view["defects"].toArray().isEmpty());
    EXPECT_EQ(leafField(view, 1, "encoding").toLower().toStdString(), c.encodingHeader);
    EXPECT_EQ(leafField(view, 1, "filename"), "file.txt");
    QByteArray expected = c.content;
    if (QByteArrayView(c.encodingHeader).isEmpty())
        expected.replace("\r\n", "\n").replace('\n', "\r\n");
    EXPECT_EQ(leafPayload(view, 1), expected);
}

INSTANTIATE_TEST_SUITE_P(Files, AttachmentChoiceTest, ::testing::Values(
    ChoiceCase{"ascii_text_stays_plain", AttachmentEncoding::Choose, "line one\r\nline\ttwo\r\n", ""},
    ChoiceCase{"high_bytes_base64", AttachmentEncoding::Choose, "caf\xe9\r\n", "base64"},
    ChoiceCase{"control_bytes_base64", AttachmentEncoding::Choose, QByteArray("a\0b\x01\r\n", 6), "base64"},
    ChoiceCase{"plain_with_control_bytes_base64", AttachmentEncoding::PlainText, QByteArray("a\x02\r\n", 4),
               "base64"},
    ChoiceCase{"long_line_quoted_printable", AttachmentEncoding::Choose, QByteArray(1200, 'z') + "\r\n",
               "quoted-printable"},
    ChoiceCase{"quoted_printable_asked", AttachmentEncoding::QuotedPrintable, ".x = y\r\n", "quoted-printable"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ComposerAttachmentTest, UuencodeLines)
{
    ExternalMessage message = basicMessage();
    message.MailText = {"body"};
    AttachmentSlots table;
    const QByteArray data = patternBytes(100);
    table.AddAttachment({"pack.bin", AttachmentEncoding::Uuencode, "", "", "", writeTestFile("pack.bin", data)},
                        message.Attachments);
    const QByteArray stream = compose(message, table);
    EXPECT_TRUE(stream.contains("Content-Type: application/octet-stream; name=\"pack.uue\"\r\n"));
    const qsizetype begin = stream.indexOf("begin 666 pack.bin\r\n");
    ASSERT_GE(begin, 0);
    EXPECT_TRUE(stream.mid(0, begin).endsWith(QByteArray(61, '=') + "\r\n"));
    const QList<QByteArray> lines = stream.mid(begin).split('\n');
    ASSERT_GE(lines.size(), 6);
    EXPECT_EQ(lines[1].at(0), 'M');
    EXPECT_EQ(lines[1].size(), 62);                     // "M", 60 characters, CR
    EXPECT_EQ(lines[3].at(0), char(32 + 10));
    EXPECT_EQ(lines[4], QByteArray("\r"));
    EXPECT_EQ(lines[5], QByteArray("end\r"));

    // Python's binascii decodes the lines back to the file.
    QProcess python;
    python.start("/usr/bin/python3", {"-c", "import binascii,sys\n"
                                            "out=b''.join(binascii.a2b_uu(l) for l in sys.stdin.buffer.read().split(b'\\r\\n'))\n"
                                            "sys.stdout.write(out.hex())"});
    python.waitForStarted();
    python.write(lines[1].chopped(1) + "\r\n" + lines[2].chopped(1) + "\r\n" + lines[3].chopped(1));
    python.closeWriteChannel();
    python.waitForFinished();
    EXPECT_EQ(QByteArray::fromHex(python.readAllStandardOutput()), data);
}

// Types "mime.def" lists come from it; others from the desktop's MIME database by name and content (a text
// file with an unknown extension is text/plain); binary bytes it cannot name stay application/octet-stream.
TEST(ComposerAttachmentTest, ContentTypesFromMimeDef)
{
    ExternalMessage message = basicMessage();
    message.MailText = {"body"};
    message.Attachments = {writeTestFile("photo.jpeg", "j"), writeTestFile("anim.gif", "g"),
                           writeTestFile("blob.xyz", QByteArray("\0\x01\xff", 3)), writeTestFile("paper.pdf", "p"),
                           writeTestFile("notes.xyz", "plain notes\r\n")};
    const QJsonObject view = pythonMimeView(compose(message));
    EXPECT_EQ(view["tree"].toString().toStdString(),
              "multipart/mixed(text/plain,image/jpeg,image/gif,application/octet-stream,application/pdf,"
              "application/octet-stream)");   // text by content only is no type: it may be any data
}

// ".png" is not in "mime.def": the desktop's MIME database names it, so the picture shows in the message.
TEST(ComposerAttachmentTest, PngInlineAndAttachedGoesAsPicture)
{
    const QByteArray png = QByteArray("\x89PNG\r\n\x1a\n", 8) + patternBytes(200);
    ExternalMessage message = basicMessage();
    message.TypeContent = TTypeContent::tcHtml;
    message.Content_Type = "text/html";
    message.HtmlText = {"<p><img src=\"cid:logo\"></p>"};
    message.HtmlFiles = {writeTestFile("logo.png", png)};
    message.HtmlCids = {"logo"};
    message.Attachments = {writeTestFile("chart.png", png), writeTestFile("blob.xyz", QByteArray("\0\x01\xff", 3))};
    const QJsonObject view = pythonMimeView(compose(message));
    EXPECT_EQ(view["tree"].toString().toStdString(),
              "multipart/mixed(multipart/related(text/html,image/png),image/png,application/octet-stream)");
    EXPECT_EQ(leafPayload(view, 1), png);
    EXPECT_EQ(leafPayload(view, 2), png);
}

TEST(ComposerTest, HtmlDeclaresTheCharsetItIsSentIn)
{
    ExternalMessage message = basicMessage();
    message.TypeContent = TTypeContent::tcHtml;
    message.Content_Type = "text/html";
    message.HtmlText = {"<html><head><meta charset=\"utf-8\">",
                        "<META http-equiv=\"Content-Type\"", " content=\"text/html; charset=UTF-8\">",
                        "</head><body>Gr\u00fc\u00dfe, charset=utf-8</body></html>"};
    const QJsonObject view = pythonMimeView(compose(message));
    EXPECT_EQ(leafPayload(view, 0).replace("\r\n", "\n").toStdString(),
              "<html><head><meta charset=\"ISO-8859-1\">\n<META http-equiv=\"Content-Type\"\n"
              " content=\"text/html; charset=ISO-8859-1\">\n"
              "</head><body>Gr\xfc\xdf" "e, charset=utf-8</body></html>\n\n");
}

// Names, subject and both bodies in the project's charset when it holds them, else the whole message in
// UTF-8: Python reads back exactly the text, nothing becomes "_".
class ComposerCharsetTest : public ::testing::TestWithParam<CharsetCase> {};

TEST_P(ComposerCharsetTest, SendsInTheCharsetOrInUtf8WithoutLoss)
{
    const CharsetCase& c = GetParam();
    ExternalMessage message = basicMessage();
    message.Charset = c.charset;
    message.MimeChar = CharsetFromName(c.charset);
    message.FROM_Name = "\"" + c.text + " Shop\"";
    message.ListTo = {"first@example.test|" + c.text + " Reader"};
    message.Listcc.clear();
    message.Headers = {"Date: Mon, 1 Jan 2024 10:00:00 +0000"};
    message.Subject = charsetSubject(c);
    message.MailText = charsetBody(c);
    message.TypeContent = TTypeContent::tcHtml;
    message.Content_Type = "text/html";
    message.HtmlText = charsetHtml(c);
    ExternalComposer composer(message, {}, {}, 42);
    const QByteArray stream = composer.composeAll();
    EXPECT_EQ(composer.utf8Fallback(), !c.fits);
    expectMergedTextsReadBack(pythonStrictView(unstuffedData(stream)), c, "sender@example.test", "first@example.test",
                              "Hello " + c.text + "\r\nbye\r\n");
}

INSTANTIATE_TEST_SUITE_P(Scripts, ComposerCharsetTest, ::testing::ValuesIn(charsetCases()),
                         [](const auto& info) { return charsetCaseName(info.param); });

TEST(ComposerAttachmentTest, MissingFileFailsWithoutStream)
{
    ExternalMessage message = basicMessage();
    message.MailText = {"body"};
    message.Attachments = {testHome() + "absent.pdf"};
    ExternalComposer composer(message, {}, {}, 1);
    EXPECT_TRUE(composer.failed());
    EXPECT_TRUE(composer.errorString().contains("absent.pdf"));
    EXPECT_TRUE(composer.atEnd());
    EXPECT_TRUE(composer.nextBlock().isEmpty());
}

TEST(ComposerAttachmentTest, SlotTableHolds256)
{
    AttachmentSlots table;
    QStringList attachments;
    for (int k = 1; k <= 256; ++k)
        ASSERT_TRUE(table.AddAttachment({"", AttachmentEncoding::Choose, "", "", "", QString("f%1").arg(k)}, attachments));
    EXPECT_FALSE(table.AddAttachment({"", AttachmentEncoding::Choose, "", "", "", "f257"}, attachments));
    EXPECT_EQ(attachments.size(), 256);
    EXPECT_EQ(table.slot(256)->filePath, "f256");
    EXPECT_EQ(table.slot(257), nullptr);
}

TEST(ComposerFeedTest, FedDataReplacesBodyAndIsStuffed)
{
    ExternalMessage message = basicMessage();
    message.MailText = {"ignored"};
    QList<QByteArray> feed = {"first line\n.", "hidden\r\nlast"};
    QStringList progress;
    const QByteArray stream = compose(message, {}, {[&](int code, const QString& text) {
        if (code == 11)
            progress << text;
    }, [&] { return feed.isEmpty() ? QByteArray() : feed.takeFirst(); }});
    EXPECT_TRUE(stream.endsWith("\r\n\r\nfirst line\r\n..hidden\r\nlast\r\n")) << stream.toStdString();
    EXPECT_FALSE(stream.contains("ignored"));
    EXPECT_EQ(progress, QStringList({"12", "24"}));
}

TEST(ComposerTest, SameMessageComposesTheSameTwice)
{
    ExternalMessage message = basicMessage();
    message.MailText = {"Gr\u00fc\u00dfe"};
    EXPECT_EQ(compose(message), compose(message));
    EXPECT_TRUE(compose(message).contains("Gr=FC=DFe\r\n"));
}

TEST(ComposerTest, HeaderBlock)
{
    ExternalMessage message = basicMessage();
    message.MailText = {"x"};
    const QByteArray stream = compose(message);
    EXPECT_TRUE(stream.startsWith(
        "From: \"Sender\" <sender@example.test>\r\n"
        "To: =?ISO-8859-1?Q?J=FCrgen_M=FCller?= <first@example.test>\r\n"
        "To: <second@example.test>\r\n"
        "cc: Copy <copy@example.test>\r\n"
        "Subject: =?ISO-8859-1?Q?Gr=FC=DFe_aus_Bern?=\r\n"
        "MIME-Version: 1.0\r\n"
        "X-Mailer: Quarvel\r\n"
        "Content-Type: text/plain; charset=\"ISO-8859-1\"\r\n\r\n")) << stream.toStdString();
}

TEST(ComposerTest, BoundaryShape)
{
    QRandomGenerator random(7);
    for (int i = 0; i < 50; ++i) {
        const QByteArray boundary = MakeBoundary(random);
        EXPECT_TRUE(boundary.startsWith("----------"));
        const qsizetype digits = boundary.size() - 10;
        EXPECT_TRUE(digits >= 12 && digits <= 24);
        EXPECT_EQ(boundary.mid(10), boundary.mid(10).toUpper());
    }
}

}  // namespace
