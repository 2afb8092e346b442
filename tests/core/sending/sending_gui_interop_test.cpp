// A whole mailing through the sending window against real servers in a private network namespace:
// dnsmasq gives the recipients' domain its mail exchanger, python3-aiosmtpd receives by direct delivery
// on 127.0.0.1:25 and as the user's own server on 127.0.0.1:2525, and dovecot answers the POP3 login.
// A project of 20 rows with two placeholders in subject and bodies, an HTML body with a local picture
// and one attachment is sent both ways; each recipient must get exactly its own merged message, valid
// MIME with the picture related to the HTML and the attachment intact, every row a result and a log line.

#include "core/sending/post_srv.h"

#include "core/settings/accounts.h"
#include "core/sending/external_sending.h"
#include "core/settings/ini_info.h"
#include "core/project/list_file.h"
#include "core/project/project_attachments.h"
#include "platform/widgets/message_box.h"
#include "tests/support/aiosmtpd_server.h"
#include "tests/support/dnsmasq_server.h"
#include "tests/support/dovecot_server.h"
#include "tests/support/wait_until.h"
#include "tests/transport/composer_test_support.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QDir>
#include <QJsonArray>
#include <QLineEdit>
#include <QToolButton>

#include <map>
#include <memory>

using sorvanta::test::AiosmtpdServer;
using sorvanta::test::DnsmasqServer;
using sorvanta::test::DovecotServer;
using sorvanta::test::pythonMimeView;
using sorvanta::test::testHome;
using sorvanta::test::waitUntil;
using sorvanta::test::writeTestFile;

namespace {

constexpr int kRows = 20;

QString address(int row) { return QStringLiteral("reader%1@alpha.test").arg(row); }
QString name(int row) { return QStringLiteral("Reader %1").arg(row); }
QString city(int row) { return QStringLiteral("City%1").arg(row); }

// Both composers label every inline picture image/jpeg, so the project's picture is one.
QByteArray pictureBytes()
{
    return QByteArray("\xFF\xD8\xFF\xE0", 4) + sorvanta::test::patternBytes(700, 2) + QByteArray("\xFF\xD9", 2);
}

class SendingInteropTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        QString why;
        if (!DovecotServer::canRun(&why))
            GTEST_SKIP() << why.toStdString();
        startServers();
        makeProject();
        setMessageBoxResponder([this](const QString& text, const QString&, unsigned) {
            boxes << text;
            return IDOK;
        });
    }

    void TearDown() override
    {
        window.reset();
        setMessageBoxResponder(nullptr);
        Accounts.Clear();
        ProjectAttachments.clear();
    }

    void startServers()
    {
        QString error;
        DnsmasqServer::Options dnsOptions;
        // pref.test's preferred host and down.test's only one are down: nothing listens on 127.0.0.3.
        dnsOptions.mxHosts = QStringList{"alpha.test,127.0.0.1,10", "pref.test,127.0.0.3,10", "pref.test,127.0.0.1,20",
                                         "down.test,127.0.0.3,10", "nullmx.test,.,0"};
        dns = std::make_unique<DnsmasqServer>(dnsOptions);
        ASSERT_TRUE(dns->start(&error)) << error.toStdString();
        AiosmtpdServer::Options smtpOptions;
        smtpOptions.listen = QStringList{"127.0.0.1:25"};
        smtpOptions.refusePrefix = "refused";
        direct = std::make_unique<AiosmtpdServer>(smtpOptions);
        ASSERT_TRUE(direct->start(&error)) << error.toStdString();
        smtpOptions.listen = QStringList{"127.0.0.1:2525"};
        smtpOptions.refusePrefix.clear();
        own = std::make_unique<AiosmtpdServer>(smtpOptions);
        ASSERT_TRUE(own->start(&error)) << error.toStdString();
        pop3 = std::make_unique<DovecotServer>(DovecotServer::Options{"127.0.0.1", 0, "tim", "tanstaaf"});
        ASSERT_TRUE(pop3->start(&error)) << error.toStdString();
    }

    void makeProject()
    {
        const QString folder = testHome() + "projects/";
        ASSERT_TRUE(QDir().mkpath(folder + "offer"));
        ProjectIniInfo = DefaultIniInfoValues();
        ProjectIniInfo.PathPro = folder;
        ProjectIniInfo.ProjectName = "offer";
        ProjectIniInfo.Subject = "Offer for [Column#2] in [column#3]";
        ProjectIniInfo.Html = true;
        ProjectIniInfo.CreateLog = true;
        ProjectIniInfo.CharSet = "English(en),utf-8";
        ProjectIniInfo.DnsIP = "127.0.0.1";
        ProjectIniInfo.NumberConnect = 4;
        writeTestFile("projects/offer.mml", "Dear [Column#2],\r\nour shop in [Column#3] is open.\r\n");
        writeTestFile("projects/offer.htm", "<html><body><p>Dear [Column#2],</p><img src=\"offer/logo.jpg\">"
                                            "<p>our shop in [Column#3] is open.</p></body></html>\r\n");
        writeTestFile("projects/offer/logo.jpg", pictureBytes());
        attachment = sorvanta::test::patternBytes(3000, 5);
        ProjectAttachments = {attachmentForFile(writeTestFile("price list.bin", attachment))};

        Accounts.Clear();
        auto account = std::make_unique<tAccountObj>();
        account->Name = "Shop";
        account->UserID = "tim";
        account->Password = "tanstaaf";
        account->PopServer = "127.0.0.1";
        account->PopPort = pop3->port();
        account->SMTPServer = "127.0.0.1";
        account->SMTPPort = 2525;
        account->ReturnAddress = "shop@origin.test";
        account->MailDomain = "mail.origin.test";
        Accounts.Add(std::move(account));

        list = StringGrid(3, kRows + 1);
        TitleListColumns(list);
        for (int row = 1; row <= kRows; ++row)
            list.setRowCells(row, {address(row), name(row), city(row)});
    }

    void send(bool external)
    {
        ProjectIniInfo.ExternalSmtp = external;
        ProjectIniInfo.Pop3Identify = external;
        if (!window)
            window = std::make_unique<T_PostSrv>(&list, ListColumnTitles(list));
        window->show();
        window->cbIspD->setChecked(external);
        window->StartButton->click();
        ASSERT_TRUE(waitUntil([&] { return !window->sending(); }, 120000));
        EXPECT_TRUE(boxes.isEmpty()) << boxes.join(" | ").toStdString();
    }

    // Each recipient got one message, merged for its own row, with the picture and the attachment.
    void checkMessages(const QList<AiosmtpdServer::Message>& messages)
    {
        std::map<QString, int> arrivals;
        for (const AiosmtpdServer::Message& message : messages) {
            ASSERT_EQ(message.to.size(), 1);
            const QString to = message.to.first();
            ++arrivals[to];
            const int row = to.mid(6, to.indexOf('@') - 6).toInt();
            const QJsonObject view = pythonMimeView(message.data);
            EXPECT_EQ(view["defects"].toArray().size(), 0) << to.toStdString();
            // The composers end each header value with two blanks.
            EXPECT_EQ(view["subject"].toString().trimmed().toStdString(),
                      ("Offer for " + name(row) + " in " + city(row)).toStdString());
            const QString tree = view["tree"].toString();
            EXPECT_TRUE(tree.contains("multipart/related(text/html,image/jpeg)")) << tree.toStdString();
            int pictures = 0;
            int attachments = 0;
            for (const QJsonValue& value : view["leaves"].toArray()) {
                const QJsonObject leaf = value.toObject();
                const QByteArray payload = QByteArray::fromHex(leaf["payload"].toString().toLatin1());
                if (leaf["type"] == "text/plain") {
                    EXPECT_TRUE(QString::fromUtf8(payload).contains("Dear " + name(row) + ",\r\nour shop in " + city(row)));
                }
                if (leaf["type"] == "text/html") {
                    const QString html = QString::fromUtf8(payload);
                    EXPECT_TRUE(html.contains("<p>Dear " + name(row) + ",</p>"));
                    EXPECT_TRUE(html.contains("<img src=\"cid:part1.")) << html.toStdString();
                }
                if (leaf["type"] == "image/jpeg") {
                    ++pictures;
                    EXPECT_EQ(payload, pictureBytes());
                    EXPECT_TRUE(leaf["cid"].toString().startsWith("<part1."));
                }
                if (leaf["filename"] == "price list.bin") {
                    ++attachments;
                    EXPECT_EQ(payload, attachment);
                }
            }
            EXPECT_EQ(pictures, 1) << to.toStdString();
            EXPECT_EQ(attachments, 1) << to.toStdString();
        }
        EXPECT_EQ(arrivals.size(), size_t(kRows));
        for (const auto& [to, count] : arrivals)
            EXPECT_EQ(count, 1) << to.toStdString();
    }

    void checkRows(const QString& result)
    {
        const StringGrid& results = window->run().results;
        for (int row = 1; row <= kRows; ++row) {
            EXPECT_EQ(results.rowStatus(row), rowGood) << row;
            EXPECT_EQ(results.cell(colState, row), "Ok");
            EXPECT_EQ(results.cell(colResult, row), result);
        }
        EXPECT_EQ(window->run().Good, kRows);
        EXPECT_EQ(window->run().Bad, 0);
    }

    QStringList logLines() const
    {
        QStringList lines;
        for (const QString& file : QDir(testHome() + "logs").entryList({"send_*.log"}, QDir::Files)) {
            QFile log(testHome() + "logs/" + file);
            EXPECT_TRUE(log.open(QIODevice::ReadOnly));
            lines << QString::fromUtf8(log.readAll()).split("\r\n", Qt::SkipEmptyParts);
        }
        return lines;
    }

    std::unique_ptr<DnsmasqServer> dns;
    std::unique_ptr<AiosmtpdServer> direct;
    std::unique_ptr<AiosmtpdServer> own;
    std::unique_ptr<DovecotServer> pop3;
    StringGrid list;
    QByteArray attachment;
    std::unique_ptr<T_PostSrv> window;
    QStringList boxes;
};

TEST_F(SendingInteropTest, MailsEveryRowByDirectDeliveryAndThroughTheUsersServer)
{
    send(false);
    checkMessages(direct->messages());
    checkRows("Delivered and available to the recipient!");
    QStringList lines = logLines();
    EXPECT_EQ(lines.size(), kRows);
    for (int row = 1; row <= kRows; ++row)
        EXPECT_EQ(lines.filter(";" + address(row) + ";Ok;Delivered").size(), 1) << row;

    send(true);
    checkMessages(own->messages());
    checkRows("Sent through ISP smtp mail server");
    EXPECT_EQ(own->messages().value(0).from, "shop@origin.test");
    lines = logLines();
    EXPECT_EQ(lines.size(), 2 * kRows);
    for (int row = 1; row <= kRows; ++row)
        EXPECT_EQ(lines.filter(QRegularExpression(";" + QRegularExpression::escape(address(row)) + ";Ok$")).size(), 1);
    EXPECT_TRUE(pop3->log().contains("tim")) << pop3->log().toStdString();
}

TEST_F(SendingInteropTest, RowsTheRelayCouldNotDeliverGoAgainThroughTheUsersServer)
{
    list.setCell(0, 3, "refused3@alpha.test");
    list.setCell(0, 7, "refused7@alpha.test");
    ProjectIniInfo.Codes = "421;550";
    window = std::make_unique<T_PostSrv>(&list, ListColumnTitles(list));
    window->cbIsp->setChecked(true);
    std::optional<bool> idleDuringResend;
    QObject::connect(window->findChild<ExternalSending*>(), &ExternalSending::loginStarted, [&] {
        idleDuringResend = window->StartButton->isEnabled() || !window->StopButton->isEnabled();
    });
    send(false);

    EXPECT_EQ(idleDuringResend, std::optional<bool>(false));   // the controls stayed running for the re-send
    EXPECT_TRUE(window->StartButton->isEnabled());
    EXPECT_FALSE(window->StopButton->isEnabled());
    QStringList refused = direct->refusedRecipients();
    refused.sort();
    EXPECT_EQ(refused, (QStringList{"refused3@alpha.test", "refused7@alpha.test"}));
    EXPECT_EQ(direct->messages().size(), kRows - 2);
    QStringList resent;
    for (const AiosmtpdServer::Message& message : own->messages())
        resent << message.to;
    resent.sort();
    EXPECT_EQ(resent, (QStringList{"refused3@alpha.test", "refused7@alpha.test"}));
    const StringGrid& results = window->run().results;
    for (int row = 1; row <= kRows; ++row)
        EXPECT_EQ(results.rowStatus(row), rowGood) << row;
    EXPECT_EQ(results.cell(colResult, 3), "Sent through ISP smtp mail server");
    EXPECT_EQ(results.cell(colResult, 4), "Delivered and available to the recipient!");
    EXPECT_EQ(window->run().Good, kRows);
    const QStringList lines = logLines();
    EXPECT_EQ(lines.filter(";refused3@alpha.test;No;Failed: Mailbox unavailable").size(), 1);
    EXPECT_EQ(lines.filter(QRegularExpression(";refused3@alpha.test;Ok$")).size(), 1);
    EXPECT_EQ(lines.size(), kRows + 2);
}

// Failures on our side of the wire show their own texts and codes that no server reply has, so a re-send
// list of server codes (here 500, the code they used to show) leaves them alone; a domain whose preferred
// host is down is delivered through the next one.
TEST_F(SendingInteropTest, LocalFailuresAreToldApartFromServerReplies)
{
    list.setCell(0, 2, "reader2@pref.test");
    list.setCell(0, 5, "reader5@down.test");
    list.setCell(0, 9, "reader9@gone.test");
    list.setCell(0, 12, "reader12@nullmx.test");
    ProjectIniInfo.Codes = "500;550";
    window = std::make_unique<T_PostSrv>(&list, ListColumnTitles(list));
    window->cbIsp->setChecked(true);
    send(false);

    const StringGrid& results = window->run().results;
    EXPECT_EQ(results.cell(colResult, 2), "Delivered and available to the recipient!");
    const struct {
        int row;
        const char* code;
        const char* result;
    } failures[] = {
        {5, "10061", "Failed: Cannot reach 127.0.0.3: Connection refused"},
        {9, "11001", "Failed: Host gone.test not found"},
        {12, "-1", "Failed: Invalid DNS"},
    };
    const QStringList lines = logLines();
    for (const auto& f : failures) {
        EXPECT_EQ(results.rowStatus(f.row), rowBad) << f.row;
        EXPECT_EQ(results.cell(colCode, f.row), f.code) << f.row;
        EXPECT_EQ(results.cell(colResult, f.row), f.result) << f.row;
        EXPECT_EQ(lines.filter(";" + results.cell(colEmail, f.row) + ";No;" + f.result).size(), 1) << f.row;
    }
    EXPECT_EQ(results.cell(colComment, 12), "nullmx.test accepts no mail (null MX)");
    EXPECT_TRUE(own->messages().isEmpty());            // nothing was re-sent through the user's server
    EXPECT_EQ(direct->messages().size(), kRows - 3);
    EXPECT_EQ(window->run().Bad, 3);
}

}  // namespace
