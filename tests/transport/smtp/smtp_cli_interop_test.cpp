// TSmtpCli against a real SMTP server (python3-aiosmtpd on 127.0.0.1:25 of a private network namespace): a
// multipart message with a picture and a large attachment arrives whole and parses, a line that starts with
// a dot survives the server's unstuffing, a 5000-character line arrives whole, and a refused recipient is
// reported with the server's reply.

#include "tests/support/aiosmtpd_server.h"
#include "tests/transport/composer_test_support.h"
#include "tests/transport/smtp_dialogue.h"

#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonObject>

#include <memory>

using sorvanta::test::AiosmtpdServer;
using sorvanta::test::Done;
using sorvanta::test::patternBytes;
using sorvanta::test::pythonMimeView;
using sorvanta::test::SmtpClientDriver;
using sorvanta::test::waitUntil;
using sorvanta::test::writeTestFile;

namespace {

// The server stores messages dot-unstuffed; Python's reader takes them as sent.
QByteArray stuffed(const QByteArray& data)
{
    QByteArray out = data.startsWith('.') ? "." + data : data;
    return out.replace("\r\n.", "\r\n..");
}

class SmtpCliInteropTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        server = std::make_unique<AiosmtpdServer>(AiosmtpdServer::Options{{"127.0.0.1:25"}, "refused", {}, {}});
        QString error;
        ASSERT_TRUE(server->start(&error)) << error.toStdString();
        client.Esmtp = true;                           // as the direct path greets: the server offers 8BITMIME
        client.HdrFrom = "<sender@example.test>";
        client.HdrTo = "<rcpt@example.test>";
        client.HdrSubject = "Interop";
        client.CharSet = "iso-8859-1";
        client.OnGetData = [](TSmtpCli*, int lineNum, QByteArray& line, int, bool& more) {
            static const QList<QByteArray> lines{"Hello,", ".a line that starts with a dot", "caf\xE9"};
            more = lineNum <= lines.size();
            if (more)
                line = lines[lineNum - 1];
        };
    }

    // Open, MAIL FROM, RCPT TO, DATA and QUIT; true once QUIT is answered or a step failed.
    bool sendOneMessage()
    {
        driver.runWholeMessage(25);
        return waitUntil([&] { return driver.done.size() == 5 || (!driver.done.empty() && driver.done.back().error); },
                         30000);
    }

    std::unique_ptr<AiosmtpdServer> server;
    TSmtpCli client;
    SmtpClientDriver driver{client};
};

TEST_F(SmtpCliInteropTest, MultipartMessageWithLargeAttachmentArrivesWhole)
{
    const QByteArray picture = patternBytes(20000, 1);
    const QByteArray archive = patternBytes(400 * 1024, 2);
    client.ContentType = smtpHTML;
    client.Htm = {"<html><body><p>Hello <img src=\"cid:logo\"></p></body></html>"};
    client.HtmFiles = {writeTestFile("logo.jpg", picture)};
    client.HtmCids = {"logo"};
    client.setEmailFiles({writeTestFile("archive.zip", archive) + "\t\tapplication/zip"});
    ASSERT_TRUE(sendOneMessage());
    EXPECT_EQ(driver.done.back(), (Done{smtpQuit, 0})) << client.LastResponse().toStdString();

    ASSERT_TRUE(waitUntil([&] { return server->messages().size() == 1; }));
    const AiosmtpdServer::Message message = server->messages().first();
    EXPECT_EQ(message.from, "sender@example.test");
    EXPECT_EQ(message.to, QStringList{"rcpt@example.test"});
    EXPECT_EQ(message.helo, "tester.example");
    EXPECT_TRUE(message.data.contains("\r\n.a line that starts with a dot\r\n"));

    const QJsonObject view = pythonMimeView(stuffed(message.data));
    EXPECT_EQ(view["tree"].toString(),
              "multipart/mixed(multipart/alternative(text/plain,multipart/related(text/html,image/jpeg)),"
              "application/zip)");
    EXPECT_TRUE(view["defects"].toArray().isEmpty());
    const QJsonArray leaves = view["leaves"].toArray();
    EXPECT_EQ(leaves[0].toObject()["encoding"].toString(), "8bit");
    EXPECT_EQ(QByteArray::fromHex(leaves[2].toObject()["payload"].toString().toLatin1()), picture);
    EXPECT_EQ(QByteArray::fromHex(leaves[3].toObject()["payload"].toString().toLatin1()), archive);
}

// The server refuses lines over 998 bytes ("500 Line too long"): a 5000-character line goes in pieces
// that give the line again when joined.
TEST_F(SmtpCliInteropTest, LongBodyLineArrivesWholeAndIsAccepted)
{
    QString text = QStringLiteral(".");
    while (text.size() < 2000)
        text += QStringLiteral("word ");
    text += QString(1200, u'x');
    while (text.size() < 5000)
        text += QStringLiteral("\u00e9t\u00e9 ");
    text.truncate(5000);
    const QByteArray line = text.toUtf8();
    client.CharSet = "utf-8";
    client.OnGetData = [&](TSmtpCli*, int lineNum, QByteArray& out, int, bool& more) {
        more = lineNum == 1;
        if (more)
            out = line;
    };
    ASSERT_TRUE(sendOneMessage());
    EXPECT_EQ(driver.done.back(), (Done{smtpQuit, 0})) << client.LastResponse().toStdString();

    ASSERT_TRUE(waitUntil([&] { return server->messages().size() == 1; }));
    const QByteArray data = server->messages().first().data;
    for (const QByteArray& wireLine : stuffed(data).split('\n'))
        EXPECT_LE(wireLine.size(), 998 + 1);                  // its CR still there
    const qsizetype body = data.indexOf("\r\n\r\n") + 4;
    ASSERT_TRUE(data.endsWith("\r\n\r\n"));
    EXPECT_EQ(data.sliced(body).chopped(4).replace("\r\n", ""), line);
}

TEST_F(SmtpCliInteropTest, RefusedRecipientIsReportedWithTheServersReply)
{
    client.RcptName = {"refused.one@example.test"};
    ASSERT_TRUE(sendOneMessage());
    EXPECT_EQ(driver.done.back(), (Done{smtpRcptTo, 550}));
    EXPECT_TRUE(client.LastResponse().startsWith("550")) << client.LastResponse().toStdString();
    client.Abort();
    EXPECT_TRUE(server->messages().isEmpty());
}

}  // namespace
