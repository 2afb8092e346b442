// MimeMessageWriter: a table of message structures read back by Python's email package (an independent MIME
// parser), the golden header and its Date line under several time zones, base64 line edges, dot-stuffing,
// splitting of long lines, 8bit declarations, unreadable files, and batches that stay small.

#include "transport/mime/mime_message_writer.h"

#include "transport/mime/mail_date.h"
#include "transport/mime/smtp_data_stream.h"
#include "tests/support/test_home.h"
#include "tests/transport/composer_test_support.h"

#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonObject>
#include <QRegularExpression>

#include <ostream>
#include <string>

using sorvanta::test::patternBytes;
using sorvanta::test::pythonMimeView;
using sorvanta::test::ScopedTimeZone;
using sorvanta::test::testHome;
using sorvanta::test::writeTestFile;

namespace {

// The random part of this process's Message-IDs.
QByteArray processPart()
{
    const QByteArray id = MimeMessageWriter::messageId(0, 0, "x");
    const qsizetype start = id.indexOf(".mail.0.") + 8;
    return id.mid(start, id.indexOf('@') - start);
}

// 2026-07-15 10:04:05 UTC, a Wednesday in northern summer.
constexpr std::time_t SummerNoon = 1784109845;
// 2026-01-05 23:30:00 UTC, a Monday in northern winter.
constexpr std::time_t WinterNight = 1767655800;

MimeMessageContent baseContent()
{
    MimeMessageContent content;
    content.from = "\"Sender\" <sender@example.test>";
    content.to = "<rcpt@example.test>";
    content.replyTo = "sender@example.test";
    content.subject = "Report";
    content.contentType = "text/plain";
    content.charset = "iso-8859-1";
    content.date = SummerNoon;
    content.messageNumber = 7;
    content.mailDomain = "example.test";
    return content;
}

// The whole message in one stream (large budget) and the writer's final status.
QByteArray writeAll(MimeMessageContent content, MimeMessageWriter::Status* status = nullptr, QString* error = nullptr)
{
    MimeMessageWriter writer(std::move(content));
    SmtpDataStream stream;
    const auto result = writer.write(stream, std::numeric_limits<qsizetype>::max());
    if (status)
        *status = result;
    if (error)
        *error = writer.errorString();
    return stream.take();
}

QJsonObject leaf(const QJsonObject& view, int index)
{
    return view["leaves"].toArray()[index].toObject();
}

QByteArray payloadOf(const QJsonObject& leaf)
{
    return QByteArray::fromHex(leaf["payload"].toString().toLatin1());
}

// The lines of a stream (without CR LF).
QList<QByteArray> linesOf(const QByteArray& stream)
{
    QList<QByteArray> lines = stream.split('\n');
    lines.removeLast();
    for (QByteArray& line : lines)
        line.chop(1);
    return lines;
}

// ---- structures

struct StructureCase {
    const char* name;
    bool text;
    bool html;
    int images;
    int attachments;
    const char* tree;   // as Python's email package sees it
};

void PrintTo(const StructureCase& c, std::ostream* os)
{
    *os << c.name;
}

class MimeStructureTest : public ::testing::TestWithParam<StructureCase> {};

TEST_P(MimeStructureTest, PythonReadsTheTreeAndEveryPayload)
{
    const StructureCase& c = GetParam();
    MimeMessageContent content = baseContent();
    const QList<QByteArray> textLines{"Hello,", "the report is attached.", "Bye"};
    const QList<QByteArray> htmlLines{"<html><body>", "<p>Hello <img src=\"cid:pic0\"></p>", "</body></html>"};
    if (c.text) {
        content.textPresent = true;
        content.textLines = textLines;
    }
    if (c.html) {
        content.contentType = "text/html";
        content.htmlPresent = true;
        content.htmlLines = htmlLines;
    }
    QList<QByteArray> fileBytes;
    for (int i = 0; i < c.images; ++i) {
        fileBytes << patternBytes(3000 + i * 17, i);
        const QByteArray name = "pic" + QByteArray::number(i) + ".jpg";
        content.images << MimeInlineImage{writeTestFile(name, fileBytes.last()), "pic" + QByteArray::number(i), name,
                                          "image/jpeg"};
    }
    for (int i = 0; i < c.attachments; ++i) {
        fileBytes << patternBytes(10000 + i * 5, 10 + i);
        const QByteArray name = "file " + QByteArray::number(i) + ".pdf";
        content.attachments << MimeAttachment{writeTestFile(name, fileBytes.last()), i == 0 ? "application/pdf" : "",
                                              name};
    }

    MimeMessageWriter::Status status;
    const QJsonObject view = pythonMimeView(writeAll(content, &status));
    EXPECT_EQ(status, MimeMessageWriter::Status::Finished);
    EXPECT_EQ(view["tree"].toString(), c.tree);
    EXPECT_TRUE(view["defects"].toArray().isEmpty()) << QJsonDocument(view["defects"].toArray()).toJson().toStdString();

    int next = 0;
    if (!c.text && !c.html && c.attachments > 0) {
        EXPECT_EQ(payloadOf(leaf(view, next++)), "");      // the empty first part of an attachment-only message
    }
    if (c.text) {
        EXPECT_TRUE(payloadOf(leaf(view, next++)).startsWith("Hello,\r\nthe report is attached.\r\nBye"));
    }
    if (c.html) {
        const QJsonObject part = leaf(view, next++);
        EXPECT_TRUE(payloadOf(part).contains("<p>Hello <img src=\"cid:pic0\"></p>"));
        EXPECT_EQ(part["charset"].toString(), "iso-8859-1");
    }
    for (int i = 0; i < c.images; ++i) {
        const QJsonObject part = leaf(view, next++);
        EXPECT_EQ(payloadOf(part), fileBytes[i]);
        EXPECT_EQ(part["cid"].toString(), QString("<pic%1>").arg(i));
        EXPECT_EQ(part["filename"].toString(), QString("pic%1.jpg").arg(i));
    }
    for (int i = 0; i < c.attachments; ++i) {
        const QJsonObject part = leaf(view, next++);
        EXPECT_EQ(payloadOf(part), fileBytes[c.images + i]);
        EXPECT_EQ(part["filename"].toString(), QString("file %1.pdf").arg(i));
        EXPECT_EQ(part["type"].toString(), i == 0 ? "application/pdf" : "application/octet-stream");
    }
}

INSTANTIATE_TEST_SUITE_P(Structures, MimeStructureTest, ::testing::Values(
    StructureCase{"text", true, false, 0, 0, "text/plain"},
    StructureCase{"html", false, true, 0, 0, "text/html"},
    StructureCase{"text_html", true, true, 0, 0, "multipart/mixed(multipart/alternative(text/plain,text/html))"},
    StructureCase{"html_pictures", false, true, 2, 0, "multipart/mixed(multipart/related(text/html,image/jpeg,image/jpeg))"},
    StructureCase{"text_attachment", true, false, 0, 1, "multipart/mixed(text/plain,application/pdf)"},
    StructureCase{"attachments_only", false, false, 0, 2,
                  "multipart/mixed(text/plain,application/pdf,application/octet-stream)"},
    StructureCase{"html_attachment", false, true, 0, 1, "multipart/mixed(text/html,application/pdf)"},
    StructureCase{"everything", true, true, 1, 2,
                  "multipart/mixed(multipart/alternative(text/plain,multipart/related(text/html,image/jpeg)),"
                  "application/pdf,application/octet-stream)"}),
    [](const auto& info) { return std::string(info.param.name); });

// ---- exact layouts

TEST(MimeMessageWriterTest, PlainTextMessageIsTheGoldenHeaderAndTheLinesWithOneEmptyLine)
{
    ScopedTimeZone zone("UTC0");
    MimeMessageContent content = baseContent();
    content.textPresent = true;
    content.textLines = {"one", "two"};
    EXPECT_EQ(writeAll(content),
              "From: \"Sender\" <sender@example.test>\r\n"
              "To: <rcpt@example.test>\r\n"
              "X-Mailer: Quarvel\r\n"
              "Reply-To: <sender@example.test>\r\n"
              "Subject: Report\r\n"
              "MIME-Version: 1.0\r\n"
              "Content-Type: text/plain; charset=\"iso-8859-1\"\r\n"
              "Date: Wed, 15 Jul 2026 10:04:05 +0000\r\n"
              "Message-ID: <20260715100405.mail.7." + processPart() + "@example.test>\r\n"
              "\r\n"
              "one\r\n"
              "two\r\n"
              "\r\n");
}

TEST(MimeMessageWriterTest, HtmlOnlyIsAnEmptyLineTheHtmlAndTwoEmptyLinesWithoutBoundary)
{
    MimeMessageContent content = baseContent();
    content.contentType = "text/html";
    content.htmlPresent = true;
    content.htmlLines = {"<p>a</p>", "<p>b</p>"};
    const QByteArray stream = writeAll(content);
    EXPECT_TRUE(stream.contains("Content-Type: text/html; charset=\"iso-8859-1\"\r\n"));
    EXPECT_TRUE(stream.endsWith("\r\n\r\n\r\n<p>a</p>\r\n<p>b</p>\r\n\r\n\r\n"));
    EXPECT_FALSE(stream.contains("--"));
}

TEST(MimeMessageWriterTest, TextAndHtmlLayoutLineByLine)
{
    MimeMessageContent content = baseContent();
    content.textPresent = true;
    content.textLines = {"plain"};
    content.htmlPresent = true;
    content.htmlLines = {"<p>html</p>"};
    const QList<QByteArray> lines = linesOf(writeAll(content));
    const qsizetype body = lines.indexOf("This is a multipart MIME message.");
    ASSERT_GT(body, 0);
    const QByteArray b0 = lines[body + 1].mid(2);
    const QByteArray b1 = lines[body + 3].mid(QByteArray(" boundary=\"").size()).chopped(1);
    EXPECT_EQ(lines[body - 5], "Content-Type: multipart/mixed;");
    EXPECT_EQ(lines[body - 4], " boundary=\"" + b0 + "\"");
    EXPECT_EQ(lines.mid(body), (QList<QByteArray>{
        "This is a multipart MIME message.", "--" + b0,
        "Content-Type: multipart/alternative;", " boundary=\"" + b1 + "\"", "", "", "--" + b1,
        "Content-Type: text/plain; charset=\"iso-8859-1\"", "Content-Transfer-Encoding: 7bit", "",
        "plain",
        "--" + b1, "Content-Type: text/html; charset=\"iso-8859-1\"", "Content-Transfer-Encoding: 7bit", "",
        "<p>html</p>", "", "--" + b1 + "--", "", "--" + b0 + "--"}));
}

TEST(MimeMessageWriterTest, BoundariesAreTenHyphensAndTwelveHexNumbers)
{
    for (int i = 0; i < 20; ++i) {
        const QByteArray boundary = MimeMessageWriter::newBoundary();
        EXPECT_TRUE(boundary.startsWith("----------"));
        const qsizetype digits = boundary.size() - 10;
        EXPECT_GE(digits, 12);
        EXPECT_LE(digits, 24);
        EXPECT_EQ(boundary.mid(10).toUpper(), boundary.mid(10));
    }
}

// ---- Date and Message-ID

struct ZoneCase {
    const char* name;
    const char* tz;
    std::time_t when;
    const char* date;
    const char* stamp;
};

void PrintTo(const ZoneCase& c, std::ostream* os)
{
    *os << c.name;
}

class MailDateTest : public ::testing::TestWithParam<ZoneCase> {};

TEST_P(MailDateTest, DateCarriesTheOffsetInForceAtThatMoment)
{
    ScopedTimeZone zone(GetParam().tz);
    EXPECT_EQ(mailDateText(GetParam().when), GetParam().date);
    EXPECT_EQ(messageIdStamp(GetParam().when), GetParam().stamp);
}

INSTANTIATE_TEST_SUITE_P(Zones, MailDateTest, ::testing::Values(
    ZoneCase{"utc", "UTC0", SummerNoon, "Wed, 15 Jul 2026 10:04:05 +0000", "20260715100405"},
    ZoneCase{"moscow", "MSK-3", SummerNoon, "Wed, 15 Jul 2026 13:04:05 +0300", "20260715130405"},
    ZoneCase{"new_york_summer", "EST5EDT,M3.2.0,M11.1.0", SummerNoon, "Wed, 15 Jul 2026 06:04:05 -0400",
             "20260715060405"},
    ZoneCase{"new_york_winter", "EST5EDT,M3.2.0,M11.1.0", WinterNight, "Mon, 5 Jan 2026 18:30:00 -0500",
             "20260105183000"},
    ZoneCase{"india_half_hour", "IST-5:30", WinterNight, "Tue, 6 Jan 2026 05:00:00 +0530", "20260106050000"},
    ZoneCase{"newfoundland_summer", "NST3:30NDT,M3.2.0,M11.1.0", SummerNoon, "Wed, 15 Jul 2026 07:34:05 -0230",
             "20260715073405"}),
    [](const auto& info) { return std::string(info.param.name); });

// Two runs in one second differ by the message number; two processes by their random part, drawn once per
// process so the ids of one process stay comparable.
TEST(MimeMessageWriterTest, MessageIdHasSecondsNumberAndProcessPart)
{
    ScopedTimeZone zone("UTC0");
    EXPECT_EQ(MimeMessageWriter::messageId(SummerNoon, 12, "example.test"),
              "<20260715100405.mail.12." + processPart() + "@example.test>");
    EXPECT_TRUE(QRegularExpression("^[0-9A-F]{16}$").match(QString::fromLatin1(processPart())).hasMatch())
        << processPart().toStdString();
    EXPECT_NE(MimeMessageWriter::messageId(SummerNoon, 1, "example.test"),
              MimeMessageWriter::messageId(SummerNoon + 1, 1, "example.test"));
}

TEST(MimeMessageWriterTest, HeaderTextsCannotAddHeaderLines)
{
    MimeMessageContent content = baseContent();
    content.subject = "Hi\r\nBcc: victim@example.test";
    content.to = "<a@example.test>\nX-Evil: 1";
    content.mailDomain = "example.test\r\n";
    const QList<QByteArray> lines = linesOf(writeAll(content));
    EXPECT_TRUE(lines.contains("Subject: Hi  Bcc: victim@example.test"));
    EXPECT_TRUE(lines.contains("To: <a@example.test> X-Evil: 1"));
    EXPECT_TRUE(lines.contains("Message-ID: <" + messageIdStamp(content.date) + ".mail.7." + processPart()
                               + "@example.test  >"));
}

TEST(MimeMessageWriterTest, HeaderLineHookSeesAndMayChangeEachLine)
{
    MimeMessageContent content = baseContent();
    QList<QByteArray> seen;
    content.headerLineHook = [&](QByteArray& line) {
        seen << line;
        if (line.startsWith("X-Mailer"))
            line = "X-Mailer: changed";
    };
    const QByteArray stream = writeAll(content);
    EXPECT_EQ(seen.size(), 10);   // the empty line that ends the header included
    EXPECT_TRUE(stream.contains("\r\nX-Mailer: changed\r\n"));
}

// ---- body lines

TEST(MimeMessageWriterTest, LinesBeginningWithADotAreStuffedAndEmbeddedBreaksCannotEndTheData)
{
    MimeMessageContent content = baseContent();
    content.textPresent = true;
    content.textLines = {".", ".hidden", "..", "a.b", "x\r\n.\r\nQUIT"};
    const QByteArray stream = writeAll(content);
    EXPECT_TRUE(stream.endsWith("\r\n\r\n..\r\n..hidden\r\n...\r\na.b\r\nx\r\n..\r\nQUIT\r\n\r\n"));
    EXPECT_FALSE(stream.contains("\r\n.\r\n"));
}

// RFC 5321 section 4.5.3.1.6: servers refuse wire lines over 998 bytes.
void expectWireLinesFit(const QList<QByteArray>& lines)
{
    for (const QByteArray& line : lines)
        EXPECT_LE(line.size(), 998) << line.left(40).toStdString();
}

TEST(MimeMessageWriterTest, LongLinesAreSplitNeverCut)
{
    const QByteArray letters(2500, 'a');
    QByteArray words;
    while (words.size() < 1500)
        words += "word ";
    const QByteArray euro = "\xE2\x82\xAC";
    QByteArray utf8 = QByteArray(997, 'b') + euro + "tail";    // the limit falls inside the euro sign
    QByteArray dotted = "." + QByteArray(997, 'c');             // 998 characters and a doubled dot

    MimeMessageContent content = baseContent();
    content.eightBitMime = true;
    content.textPresent = true;
    content.textLines = {letters, words, utf8, dotted};
    const QList<QByteArray> lines = linesOf(writeAll(content));
    const qsizetype body = lines.indexOf("") + 1;
    EXPECT_EQ(lines.mid(body, 3), (QList<QByteArray>{QByteArray(998, 'a'), QByteArray(998, 'a'), QByteArray(504, 'a')}));
    EXPECT_TRUE(lines[body + 3].endsWith(' '));
    EXPECT_EQ(lines[body + 3] + lines[body + 4], words);
    EXPECT_EQ(lines[body + 5], QByteArray(997, 'b'));
    EXPECT_EQ(lines[body + 6], euro + "tail");
    EXPECT_EQ(lines[body + 7], "." + dotted.first(997));           // 998 bytes with the doubled dot
    EXPECT_EQ(lines[body + 8], "c");
    expectWireLinesFit(lines);
}

TEST(MimeMessageWriterTest, LongHeaderLinesAreFoldedBeforeABlank)
{
    QByteArray words;
    while (words.size() < 2500)
        words += "word ";
    MimeMessageContent content = baseContent();
    content.subject = words;
    content.to = QByteArray(1200, 'x');                           // no blank to fold at
    const QList<QByteArray> lines = linesOf(writeAll(content));
    expectWireLinesFit(lines);
    const qsizetype subject = 5;
    ASSERT_TRUE(lines[subject].startsWith("Subject: word "));
    QByteArray unfolded = lines[subject];
    for (qsizetype i = subject + 1; lines[i].startsWith(' '); ++i)
        unfolded += lines[i];
    EXPECT_EQ(unfolded, "Subject: " + words.chopped(1));     // the blank at its end is dropped
    EXPECT_EQ(lines[1], "To: " + QByteArray(994, 'x'));
    EXPECT_EQ(lines[2], " " + QByteArray(206, 'x'));
    EXPECT_EQ(lines[3], "X-Mailer: Quarvel");
}

TEST(MimeMessageWriterTest, EightBitBodiesAreDeclared)
{
    MimeMessageContent single = baseContent();
    single.eightBitMime = true;
    single.textPresent = true;
    single.textLines = {"caf\xE9"};
    const QList<QByteArray> singleLines = linesOf(writeAll(single));
    EXPECT_EQ(singleLines[7], "Content-Transfer-Encoding: 8bit");   // right behind Content-Type

    MimeMessageContent both = single;
    both.htmlPresent = true;
    both.htmlLines = {"<p>plain ascii</p>"};
    const QJsonObject view = pythonMimeView(writeAll(both));
    EXPECT_EQ(leaf(view, 0)["encoding"].toString(), "8bit");
    EXPECT_EQ(leaf(view, 1)["encoding"].toString(), "7bit");

    MimeMessageContent ascii = baseContent();
    ascii.textPresent = true;
    ascii.textLines = {"cafe"};
    EXPECT_FALSE(writeAll(ascii).contains("Content-Transfer-Encoding"));
}

// A server that did not offer 8BITMIME gets no 8-bit byte (RFC 6152): those parts go quoted-printable,
// with their line breaks as line breaks, and read back as they were.
TEST(MimeMessageWriterTest, EightBitPartsGoQuotedPrintableWithout8BitMime)
{
    const QByteArray longLine = QByteArray(100, 'z') + "\xE9 ";
    MimeMessageContent content = baseContent();
    content.textPresent = true;
    content.textLines = {"caf\xE9 au lait ", ".dot", longLine};
    content.htmlPresent = true;
    content.htmlLines = {"<p>plain ascii</p>"};
    const QByteArray stream = writeAll(content);
    for (const char c : stream)
        ASSERT_LT(static_cast<unsigned char>(c), 128) << "an 8-bit byte on the wire";
    expectWireLinesFit(linesOf(stream));
    EXPECT_TRUE(stream.contains("Content-Transfer-Encoding: quoted-printable\r\n\r\n"
                                "caf=E9 au lait=20\r\n=2Edot\r\n" + QByteArray(75, 'z') + "=\r\n"));
    const QJsonObject view = pythonMimeView(stream);
    EXPECT_TRUE(view["defects"].toArray().isEmpty());
    EXPECT_EQ(leaf(view, 0)["encoding"].toString(), "quoted-printable");
    EXPECT_EQ(payloadOf(leaf(view, 0)), "caf\xE9 au lait \r\n.dot\r\n" + longLine);   // the last break is the boundary's
    EXPECT_EQ(leaf(view, 1)["encoding"].toString(), "7bit");
}

// ---- files

TEST(MimeMessageWriterTest, Base64LinesAt0_44_45_46Bytes)
{
    for (const int size : {0, 44, 45, 46, 4095, 4096}) {
        const QByteArray bytes = patternBytes(size, size);
        MimeMessageContent content = baseContent();
        content.attachments << MimeAttachment{writeTestFile("edge.bin", bytes), "", "edge.bin"};
        const QList<QByteArray> lines = linesOf(writeAll(content));
        const qsizetype start = lines.indexOf("\tfilename=\"edge.bin\"") + 2;
        const qsizetype end = lines.lastIndexOf("");
        QList<QByteArray> expected;
        const QByteArray base64 = bytes.toBase64();
        for (qsizetype at = 0; at < base64.size(); at += 60)
            expected << base64.mid(at, 60);
        if (expected.isEmpty())
            expected << "";                                // an empty file gives one empty line
        EXPECT_EQ(lines.mid(start, end - start), expected) << size << " bytes";
    }
}

TEST(MimeMessageWriterTest, FileNamesAreQuotedStrings)
{
    MimeMessageContent content = baseContent();
    content.attachments << MimeAttachment{writeTestFile("a.txt", "x"), "text/plain", "say \"hi\"\\now.txt"};
    const QJsonObject view = pythonMimeView(writeAll(content));
    EXPECT_EQ(leaf(view, 1)["filename"].toString(), "say \"hi\"\\now.txt");
}

TEST(MimeMessageWriterTest, UnreadableFileFailsNamingIt)
{
    MimeMessageContent content = baseContent();
    const QString missing = testHome() + "gone.pdf";
    content.attachments << MimeAttachment{missing, "application/pdf", "gone.pdf"};
    MimeMessageWriter::Status status;
    QString error;
    writeAll(content, &status, &error);
    EXPECT_EQ(status, MimeMessageWriter::Status::Failed);
    EXPECT_TRUE(error.startsWith("Cannot read file '" + missing + "'")) << error.toStdString();
}

TEST(MimeMessageWriterTest, LargeAttachmentStreamsInSmallBatches)
{
    const QByteArray bytes = patternBytes(3 * 1024 * 1024, 1);
    MimeMessageContent content = baseContent();
    content.attachments << MimeAttachment{writeTestFile("big.bin", bytes), "", "big.bin"};
    MimeMessageWriter writer(std::move(content));
    SmtpDataStream stream;
    QByteArray whole;
    qsizetype largestBatch = 0;
    MimeMessageWriter::Status status = MimeMessageWriter::Status::More;
    while (status == MimeMessageWriter::Status::More) {
        status = writer.write(stream, 16 * 1024);
        largestBatch = std::max(largestBatch, stream.size());
        whole += stream.take();
    }
    EXPECT_EQ(status, MimeMessageWriter::Status::Finished);
    EXPECT_LT(largestBatch, 24 * 1024);
    EXPECT_EQ(payloadOf(leaf(pythonMimeView(whole), 1)), bytes);
}

}  // namespace
