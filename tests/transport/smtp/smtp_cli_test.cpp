// TSmtpCli's composer over the wire (scripted loopback peer): the golden message, a Message-ID per
// message, a multipart message read back by Python's email package, attachments checked when they are set,
// and an unreadable file that aborts the message instead of sending it truncated.

#include "platform/clock.h"
#include "transport/net/async_socket.h"
#include "transport/mime/mime_message_writer.h"
#include "transport/mime/smtp_data_stream.h"
#include "tests/support/test_home.h"
#include "tests/transport/composer_test_support.h"
#include "tests/transport/smtp_dialogue.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QJsonArray>
#include <QJsonObject>
#include <QRegularExpression>
#include <QTimeZone>


using sorvanta::test::Done;
using sorvanta::test::expectLines;
using sorvanta::test::pumpEvents;
using sorvanta::test::ScriptedPeer;
using sorvanta::test::SmtpClientDriver;
using sorvanta::test::patternBytes;
using sorvanta::test::pythonMimeView;
using sorvanta::test::ScopedTimeZone;
using sorvanta::test::testHome;
using sorvanta::test::writeTestFile;
using sorvanta::test::waitUntil;

namespace {

constexpr std::time_t SummerNoon = 1784109845;   // 2026-07-15 10:04:05 UTC

// The message text between "DATA" and the final "." of a session's bytes, dot-stuffed as sent.
QByteArray messageText(const QByteArray& session)
{
    const qsizetype start = session.indexOf("\r\nDATA\r\n") + 8;
    const qsizetype end = session.indexOf("\r\n.\r\n", start);
    return end < 0 ? QByteArray() : session.mid(start, end + 2 - start);
}

int lineCount(const QByteArray& bytes)
{
    return int(bytes.count("\r\n"));
}

// The number of lines of a message of that structure, composed offline: what the peer has to read.
int composedLineCount(const MimeMessageContent& shape)
{
    MimeMessageWriter writer(shape);
    SmtpDataStream stream;
    writer.write(stream, std::numeric_limits<qsizetype>::max());
    return lineCount(stream.take());
}

// The usual replies up to DATA's 354, then the message's lines and the rest of the dialogue.
void scriptDialogue(ScriptedPeer& peer, int messageLines)
{
    peer.send("220 hi\r\n").expectLine().send("250 hello\r\n").expectLine().send("250 ok\r\n").expectLine()
        .send("250 ok\r\n").expectLine().send("354 go\r\n");
    expectLines(peer, messageLines).send("250 queued\r\n").expectLine().send("221 bye\r\n");
}

class SmtpCliTest : public ::testing::Test {
protected:
    SmtpCliTest()
    {
        client.HdrFrom = "\"Sender\" <sender@example.test>";
        client.HdrTo = "<rcpt@example.test>";
        client.HdrSubject = "Monthly report";
        client.OnGetData = [this](TSmtpCli*, int lineNum, QByteArray& line, int, bool& more) {
            more = lineNum <= text.size();
            if (more)
                line = text[lineNum - 1];
        };
    }

    QList<QByteArray> text{"Hello,", "see you."};
    ScriptedPeer peer;
    TSmtpCli client;
    SmtpClientDriver driver{client};
};

TEST_F(SmtpCliTest, PlainMessageGoesOutByteForByte)
{
    ScopedTimeZone zone("MSK-3");
    ScopedManualClock clock(QDateTime::fromSecsSinceEpoch(SummerNoon, QTimeZone::utc()));
    scriptDialogue(peer, 14);
    ASSERT_TRUE(peer.listen());
    driver.runWholeMessage(peer.port());
    ASSERT_TRUE(driver.waitForDone(5));
    EXPECT_EQ(driver.done.back(), (Done{smtpQuit, 0}));
    const QByteArray expected =
        "From: \"Sender\" <sender@example.test>\r\n"
        "To: <rcpt@example.test>\r\n"
        "X-Mailer: Quarvel\r\n"
        "Reply-To: <sender@example.test>\r\n"
        "Subject: Monthly report\r\n"
        "MIME-Version: 1.0\r\n"
        "Content-Type: text/plain; charset=\"iso-8859-1\"\r\n"
        "Date: Wed, 15 Jul 2026 13:04:05 +0300\r\n"
        "Message-ID: "
        + MimeMessageWriter::messageId(SummerNoon, client.HdrNMessage(), TWSocket::LocalHostName().toUtf8())
        + "\r\n"   // no HdrMailDomain: the host name stands in
        "\r\n"
        "Hello,\r\n"
        "see you.\r\n"
        "\r\n";
    EXPECT_EQ(messageText(peer.received(0)).toStdString(), expected.toStdString());
}

TEST_F(SmtpCliTest, EveryMessageGetsItsOwnMessageId)
{
    ScopedManualClock clock(QDateTime::fromSecsSinceEpoch(SummerNoon, QTimeZone::utc()));
    client.HdrMailDomain = "example.test";
    peer.send("220 hi\r\n").expectLine().send("250 hello\r\n");
    for (int message = 0; message < 2; ++message) {
        peer.expectLine().send("250 ok\r\n").expectLine().send("250 ok\r\n").expectLine().send("354 go\r\n");
        expectLines(peer, 14).send("250 queued\r\n");
    }
    ASSERT_TRUE(peer.listen());
    driver.run(peer.port(), {[this] { client.MailFrom(); }, [this] { client.RcptTo(); }, [this] { client.Data(); },
                      [this] { client.MailFrom(); }, [this] { client.RcptTo(); }, [this] { client.Data(); }});
    ASSERT_TRUE(driver.waitForDone(7));
    EXPECT_EQ(driver.done.back(), (Done{smtpData, 0}));
    // Both messages are composed in the same second of the test's clock.
    const QRegularExpression id("Message-ID: <(\\d{14})\\.mail\\.(\\d+)\\.([0-9A-F]{16})@example\\.test>\\r\\n");
    QList<int> numbers;
    QStringList stamps;
    for (auto match = id.globalMatch(QString::fromLatin1(peer.received(0))); match.hasNext();) {
        const QRegularExpressionMatch found = match.next();
        stamps << found.captured(1);
        numbers << found.captured(2).toInt();
    }
    ASSERT_EQ(numbers.size(), 2) << peer.received(0).toStdString();
    EXPECT_EQ(stamps[0], stamps[1]);
    EXPECT_EQ(numbers[1], numbers[0] + 1);
    EXPECT_EQ(numbers[1], client.HdrNMessage());
}

TEST_F(SmtpCliTest, MultipartMessageWithReencodedTextsReadsBackInPython)
{
    const QByteArray picture = patternBytes(500);
    const QByteArray report = patternBytes(2000);
    const QString picturePath = writeTestFile("pic.jpg", picture);
    const QString reportPath = writeTestFile("Bericht Mai.pdf", report);
    client.ContentType = smtpHTML;
    client.CharSet = "utf-8";
    client.HdrSubject = "Gr\xC3\xBC\xC3\x9F" "e";
    client.Htm = {"<html><body>", "<p>Hi <img src=\"cid:pic\"></p>", "</body></html>"};
    client.HtmFiles = {testHome() + "missing.jpg", picturePath};
    client.HtmCids = {"gone", "pic"};
    client.setEmailFiles({reportPath + "\t\tapplication/pdf"});
    client.OnMimeChar = [](TSmtpCli*, QByteArray& text) {
        if (text.contains('\xC3') || text.endsWith(".pdf"))
            text = "=?utf-8?B?" + text.toBase64() + "?=";
    };

    MimeMessageContent shape;
    shape.textPresent = true;
    shape.textLines = text;
    shape.htmlPresent = true;
    shape.htmlLines = client.Htm;
    shape.images << MimeInlineImage{picturePath, "pic", "pic.jpg", "image/jpeg"};
    shape.attachments << MimeAttachment{reportPath, "application/pdf", "x.pdf"};

    scriptDialogue(peer, composedLineCount(shape) + 1);
    ASSERT_TRUE(peer.listen());
    driver.runWholeMessage(peer.port());
    ASSERT_TRUE(driver.waitForDone(5));
    EXPECT_EQ(driver.done.back(), (Done{smtpQuit, 0}));
    EXPECT_EQ(client.HtmFiles, QStringList{picturePath});   // the missing picture went with its Content-ID
    EXPECT_EQ(client.HtmCids, QStringList{"pic"});

    const QJsonObject view = pythonMimeView(messageText(peer.received(0)));
    EXPECT_EQ(view["tree"].toString(),
              "multipart/mixed(multipart/alternative(text/plain,multipart/related(text/html,image/jpeg)),"
              "application/pdf)");
    EXPECT_TRUE(view["defects"].toArray().isEmpty());
    EXPECT_EQ(view["subject"].toString(), QString::fromUtf8("Gr\xC3\xBC\xC3\x9F" "e"));
    const QJsonArray leaves = view["leaves"].toArray();
    EXPECT_EQ(leaves[2].toObject()["cid"].toString(), "<pic>");
    EXPECT_EQ(QByteArray::fromHex(leaves[2].toObject()["payload"].toString().toLatin1()), picture);
    EXPECT_EQ(leaves[3].toObject()["filename"].toString(), "Bericht Mai.pdf");
    EXPECT_EQ(QByteArray::fromHex(leaves[3].toObject()["payload"].toString().toLatin1()), report);
}

// The types come from "mime.def" (created in the test's program folder); image/jpeg only for JPEG files.
TEST_F(SmtpCliTest, InlinePicturesAreTypedByTheirExtension)
{
    client.ContentType = smtpHTML;
    client.Htm = {"<p><img src=\"cid:p0\"><img src=\"cid:p1\"><img src=\"cid:p2\"></p>"};
    MimeMessageContent shape;
    shape.textPresent = true;
    shape.textLines = text;
    shape.htmlPresent = true;
    shape.htmlLines = client.Htm;
    for (const char* name : {"photo.JPEG", "anim.gif", "scan.xyz"}) {
        client.HtmFiles << writeTestFile(name, patternBytes(300));
        client.HtmCids << "p" + QString::number(client.HtmCids.size());
        shape.images << MimeInlineImage{client.HtmFiles.last(), "p", name, "image/any"};
    }

    scriptDialogue(peer, composedLineCount(shape) + 1);
    ASSERT_TRUE(peer.listen());
    driver.runWholeMessage(peer.port());
    ASSERT_TRUE(driver.waitForDone(5));
    EXPECT_EQ(driver.done.back(), (Done{smtpQuit, 0}));
    EXPECT_EQ(pythonMimeView(messageText(peer.received(0)))["tree"].toString(),
              "multipart/mixed(multipart/alternative(text/plain,"
              "multipart/related(text/html,image/jpeg,image/gif,application/octet-stream)))");
}

TEST_F(SmtpCliTest, EmailFilesAreSplitAndCheckedWhenSet)
{
    const QString a = writeTestFile("a.txt", "a");
    const QString b = writeTestFile("b.bin", "b");
    const QString missing = testHome() + "missing.doc";
    client.setEmailFiles({"  " + a + "  ", "", b + "\t\timage/png"});
    EXPECT_EQ(client.AttachmentFiles(), (QStringList{a, b}));
    EXPECT_EQ(client.AttachmentTypes(), (QStringList{"", "image/png"}));
    try {
        client.setEmailFiles({a, missing, b});
        ADD_FAILURE() << "a missing attachment was accepted";
    } catch (const SmtpException& e) {
        EXPECT_EQ(e.text(), "File not found '" + missing + "'");
    }
    EXPECT_EQ(client.AttachmentFiles(), QStringList{a});   // the items before it stay
}

TEST_F(SmtpCliTest, UnreadableAttachmentAbortsTheMessageWithoutTheFinalDot)
{
    const QString path = writeTestFile("vanishing.pdf", patternBytes(100));
    client.setEmailFiles({path});
    QFile::remove(path);                                    // gone between the check and the sending
    peer.send("220 hi\r\n").expectLine().send("250 hello\r\n").expectLine().send("250 ok\r\n").expectLine()
        .send("250 ok\r\n").expectLine().send("354 go\r\n");
    ASSERT_TRUE(peer.listen());
    driver.runWholeMessage(peer.port());
    ASSERT_TRUE(driver.waitForError());
    EXPECT_EQ(driver.done.back(), (Done{smtpData, 500}));
    EXPECT_TRUE(client.LastResponse().startsWith("500 Cannot read file '" + path + "'"))
        << client.LastResponse().toStdString();
    EXPECT_FALSE(client.Connected());
    ASSERT_TRUE(waitUntil([&] { return peer.disconnectedCount() == 1; }));
    EXPECT_FALSE(peer.received(0).contains("\r\n.\r\n"));
    pumpEvents(50);
    EXPECT_EQ(driver.done.size(), 4u);                      // reported once
}

TEST_F(SmtpCliTest, ServerGivingUpDuringTheMessageTextEndsTheRequestOnce)
{
    client.setEmailFiles({writeTestFile("big.bin", patternBytes(2 * 1024 * 1024))});
    peer.send("220 hi\r\n").expectLine().send("250 hello\r\n").expectLine().send("250 ok\r\n").expectLine()
        .send("250 ok\r\n").expectLine().send("354 go\r\n").expectLine().send("451 local error\r\n");
    ASSERT_TRUE(peer.listen());
    driver.runWholeMessage(peer.port());
    ASSERT_TRUE(driver.waitForError());
    EXPECT_EQ(driver.done.back(), (Done{smtpData, 451}));
    EXPECT_EQ(client.LastResponse(), "451 local error");
    ASSERT_TRUE(waitUntil([&] { return peer.disconnectedCount() == 1; }));
    pumpEvents(50);
    EXPECT_EQ(driver.done.size(), 4u);
}

TEST_F(SmtpCliTest, AbortWhileTheMessageIsStreamingReportsNothingAndTheClientStartsOver)
{
    client.setEmailFiles({writeTestFile("big.bin", patternBytes(8 * 1024 * 1024))});
    peer.send("220 hi\r\n").expectLine().send("250 hello\r\n").expectLine().send("250 ok\r\n").expectLine()
        .send("250 ok\r\n").expectLine().send("354 go\r\n").stopReading();
    ASSERT_TRUE(peer.listen());
    driver.runWholeMessage(peer.port());
    ASSERT_TRUE(waitUntil([&] { return peer.received(0).contains("\r\nDATA\r\n"); }));
    pumpEvents(200);                                        // the socket backs up: the server reads no more
    client.Abort();
    EXPECT_FALSE(client.Connected());
    pumpEvents(50);
    EXPECT_EQ(driver.done.size(), 3u);                      // Open, MAIL FROM, RCPT TO; nothing for DATA

    ScriptedPeer next;
    next.send("220 hi\r\n").expectLine().send("250 hello\r\n");
    ASSERT_TRUE(next.listen());
    driver.run(next.port(), {});
    ASSERT_TRUE(driver.waitForDone(4));
    EXPECT_EQ(driver.done.back(), (Done{smtpConnect, 0}));
}


// ---- EHLO and 8BITMIME, as the direct path greets

struct EsmtpCase {
    const char* name;
    QByteArray ehloReply;
    QByteArray greeting;        // what the client sends before MAIL FROM
    QByteArray mailFrom;
    bool eightBitOnTheWire;
};

void PrintTo(const EsmtpCase& c, std::ostream* os)
{
    *os << c.name;
}

class EsmtpDialogueTest : public SmtpCliTest, public ::testing::WithParamInterface<EsmtpCase> {};

// An 8-bit body goes as it is with BODY=8BITMIME to a server that offers it; to any other it goes
// quoted-printable, so not one 8-bit byte reaches it. A server that refuses EHLO gets HELO.
TEST_P(EsmtpDialogueTest, EhloRepliesDecideTheGreetingAndTheBody)
{
    const EsmtpCase& c = GetParam();
    client.Esmtp = true;
    text = {"Gr\xFC\xDF" "e aus Z\xFCrich", "bye"};
    peer.send("220 hi\r\n").expectLine().send(c.ehloReply);
    if (c.greeting.count("\r\n") == 2)
        peer.expectLine().send("250 hello\r\n");
    peer.expectLine().send("250 ok\r\n").expectLine().send("250 ok\r\n").expectLine().send("354 go\r\n")
        .expectData().send("250 queued\r\n").expectLine().send("221 bye\r\n");
    ASSERT_TRUE(peer.listen());
    driver.runWholeMessage(peer.port());
    ASSERT_TRUE(driver.waitForDone(5));
    EXPECT_EQ(driver.done.back(), (Done{smtpQuit, 0}));
    const QByteArray sent = peer.received(0);
    EXPECT_TRUE(sent.startsWith(c.greeting + c.mailFrom + "\r\nRCPT TO:<rcpt@example.test>\r\nDATA\r\n"))
        << sent.left(200).toStdString();
    const bool eightBit = std::any_of(sent.begin(), sent.end(), [](char b) { return static_cast<unsigned char>(b) >= 128; });
    EXPECT_EQ(eightBit, c.eightBitOnTheWire);
    EXPECT_TRUE(messageText(sent).contains(c.eightBitOnTheWire ? "Content-Transfer-Encoding: 8bit\r\n"
                                                              : "Content-Transfer-Encoding: quoted-printable\r\n"));
    const QJsonObject view = pythonMimeView(messageText(sent).replace("\r\n..", "\r\n."));
    EXPECT_TRUE(view["defects"].toArray().isEmpty());
    EXPECT_EQ(QByteArray::fromHex(view["leaves"].toArray()[0].toObject()["payload"].toString().toLatin1()),
              "Gr\xFC\xDF" "e aus Z\xFCrich\r\nbye\r\n\r\n");
}

INSTANTIATE_TEST_SUITE_P(
    Servers, EsmtpDialogueTest,
    ::testing::Values(
        EsmtpCase{"offers_8bitmime", "250-mx.test\r\n250-SIZE 1000000\r\n250 8BITMIME\r\n", "EHLO tester.example\r\n",
                  "MAIL FROM:<sender@example.test> BODY=8BITMIME", true},
        EsmtpCase{"offers_nothing", "250 mx.test\r\n", "EHLO tester.example\r\n", "MAIL FROM:<sender@example.test>",
                  false},
        EsmtpCase{"refuses_ehlo", "502 5.5.2 command not recognized\r\n",
                  "EHLO tester.example\r\nHELO tester.example\r\n", "MAIL FROM:<sender@example.test>", false}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
