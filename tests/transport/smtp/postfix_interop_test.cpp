// Mail that a real MTA accepts and a strict reader reads: a merged HTML mailing with an inline picture and
// attachments goes to a throw-away Postfix on 127.0.0.1:25 of a private network namespace, once by direct
// delivery (dnsmasq names 127.0.0.1 as the domain's mail exchanger) and once through SendMail as to the
// user's own server. Postfix refuses a short HELO name, so the default greeting is checked on the way.
// Every delivered message is then read by Python's email package under policy strict.

#include "transport/smtp/send_mail.h"
#include "transport/smtp/smtp_relay.h"

#include "tests/support/dnsmasq_server.h"
#include "tests/support/postfix_server.h"
#include "tests/support/test_certificates.h"
#include "tests/support/test_files.h"
#include "tests/support/wait_until.h"
#include "tests/transport/composer_test_support.h"
#include "transport/mime/mail_date.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <ctime>
#include <map>

using sorvanta::test::DnsmasqServer;
using sorvanta::test::patternBytes;
using sorvanta::test::PostfixServer;
using sorvanta::test::pythonStrictView;
using sorvanta::test::waitUntil;
using sorvanta::test::writeTestFile;

namespace {

const QByteArray kPng = QByteArray("\x89PNG\r\n\x1a\n", 8) + patternBytes(700, 1);
const QByteArray kPdf = "%PDF-1.4\n" + patternBytes(3000, 2);

struct Reader {
    QString name;
    QString address;
};

const QList<Reader> kReaders = {
    {QStringLiteral("Zo\u00eb \u00c4rger"), QStringLiteral("zoe@alpha.test")},
    {QStringLiteral("Ann Lee"), QStringLiteral("ann@alpha.test")},
};

QString subjectFor(const Reader& reader)
{
    return QStringLiteral("Gr\u00fc\u00dfe f\u00fcr %1").arg(reader.name);
}

QStringList htmlFor(const Reader& reader)
{
    return {QStringLiteral("<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\">"),
            QStringLiteral("</head><body><p>Liebe(r) %1,</p><img src=\"cid:logo@origin.test\"></body></html>")
                .arg(reader.name)};
}

QJsonObject leaf(const QJsonObject& view, int index)
{
    return view["leaves"].toArray()[index].toObject();
}

QByteArray payload(const QJsonObject& view, int index)
{
    return QByteArray::fromHex(leaf(view, index)["payload"].toString().toLatin1());
}

// What both paths must deliver for a reader, whatever their own bytes.
void checkDelivered(const QJsonObject& view, const Reader& reader, const char* tree)
{
    EXPECT_EQ(view["from"].toString().toStdString(), "J\u00fcrgen S\u00e4nger <sender@origin.test>");
    EXPECT_TRUE(view["to"].toString().contains(reader.address)) << view["to"].toString().toStdString();
    // The external path ends its header lines in two blanks, which an unstructured value keeps.
    EXPECT_EQ(view["subject"].toString().trimmed().toStdString(), subjectFor(reader).toStdString());
    EXPECT_FALSE(view["moment"].toString().isEmpty()) << view["date"].toString().toStdString();
    // RFC 5322 section 3.3: weekday, four-digit year, seconds and zone.
    static const QRegularExpression rfc5322Date(
        R"(^(Mon|Tue|Wed|Thu|Fri|Sat|Sun), \d{1,2} [A-Z][a-z]{2} \d{4} \d\d:\d\d:\d\d [+-]\d{4}$)");
    EXPECT_TRUE(rfc5322Date.match(view["date"].toString()).hasMatch()) << view["date"].toString().toStdString();
    EXPECT_EQ(view["tree"].toString().toStdString(), tree);
    EXPECT_EQ(view["related_types"].toArray(), QJsonArray{"text/html"});
    int pictures = 0;
    for (int i = 0; i < view["leaves"].toArray().size(); ++i) {
        if (leaf(view, i)["type"].toString() == "image/png") {
            ++pictures;
            EXPECT_EQ(payload(view, i), kPng) << i;
        }
        if (leaf(view, i)["type"].toString() != "text/html")
            continue;
        const QString html = leaf(view, i)["text"].toString();
        EXPECT_TRUE(html.contains("charset=iso-8859-1", Qt::CaseInsensitive)) << html.toStdString();
        EXPECT_FALSE(html.contains("utf-8", Qt::CaseInsensitive));
        EXPECT_TRUE(html.contains("Liebe(r) " + reader.name)) << html.toStdString();
    }
    EXPECT_EQ(pictures, 2);                                  // inline and attached
}

class PostfixInteropTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        QString error;
        ASSERT_TRUE(postfix.start(&error)) << error.toStdString();
        ASSERT_TRUE(dns.start(&error)) << error.toStdString();
    }

    // Waits for count deliveries and reads each under policy strict, by recipient.
    std::map<QString, QJsonObject> delivered(int count)
    {
        EXPECT_TRUE(waitUntil([&] { return postfix.deliveredMessages().size() >= count; }, 60000))
            << postfix.log().toStdString();
        std::map<QString, QJsonObject> views;
        for (const QByteArray& message : postfix.deliveredMessages()) {
            const QByteArray deliveredTo = message.mid(message.indexOf("Delivered-To: ") + 14).split('\n').first();
            views[QString::fromLatin1(deliveredTo)] = pythonStrictView(message);
        }
        return views;
    }

    PostfixServer postfix{{}};
    // The exchanger as an address: the relay resolves exchanger names with the system's resolver.
    DnsmasqServer dns{mxOptions()};

    static DnsmasqServer::Options mxOptions()
    {
        DnsmasqServer::Options options;
        options.mxHosts = {"alpha.test,127.0.0.1,10"};
        return options;
    }
};

TEST_F(PostfixInteropTest, DirectDeliveryIsReadWithoutDefects)
{
    TSmtpRelayServer2 relay;
    relay.From = "sender@origin.test";
    relay.HeaderFrom = QStringLiteral("\"J\u00fcrgen S\u00e4nger\" <sender@origin.test>");
    relay.charSet = "iso-8859-1";
    relay.ContentType = ctHTML;
    relay.HdrMailDomain = "origin.test";
    relay.setDns("127.0.0.1");
    relay.setTimeOut(30);
    relay.setAttachments({writeTestFile("report.pdf", kPdf) + "\t\tapplication/pdf"});
    const QString logo = writeTestFile("logo.png", kPng);
    relay.OnGetDataEx = [&](TSmtpRelayServer2*, int index, QString& headerTo, QString& subject, QStringList& mml,
                            QStringList& attach, QStringList& htm, QStringList& htmFiles, QStringList& htmCids) {
        const Reader& reader = kReaders[index];
        headerTo = QStringLiteral("\"%1\" <%2>").arg(reader.name, reader.address);
        subject = subjectFor(reader).replace(u' ', u'\t');          // a merge field's tabs become blanks
        mml = {QStringLiteral("Liebe(r) %1,").arg(reader.name)};
        htm = htmlFor(reader);
        htmFiles = {logo};
        htmCids = {QStringLiteral("logo@origin.test")};
        attach << writeTestFile("chart.png", kPng);
    };
    StringList recipients;
    for (const Reader& reader : kReaders)
        recipients.add(reader.address, 0);
    relay.setRecipients(recipients);
    std::map<int, int> results;
    bool finished = false;
    relay.OnEMailProcessed = [&](TSmtpRelayServer2*, int index, int err, const QString& comment) {
        results[index] = err;
        EXPECT_EQ(err, relayDelivered) << comment.toStdString();
    };
    relay.OnFinished = [&](TSmtpRelayServer2*, bool) { finished = true; };
    relay.Send();
    ASSERT_TRUE(waitUntil([&] { return finished; }, 60000));
    ASSERT_EQ(results.size(), size_t(kReaders.size()));

    const auto views = delivered(int(kReaders.size()));
    ASSERT_EQ(views.size(), size_t(kReaders.size())) << postfix.log().toStdString();
    QSet<QString> ids;
    for (const Reader& reader : kReaders) {
        const QJsonObject& view = views.at(reader.address);
        checkDelivered(view, reader,
                       "multipart/mixed(multipart/alternative(text/plain,multipart/related(text/html,image/png)),"
                       "application/pdf,image/png)");
        EXPECT_EQ(leaf(view, 0)["text"].toString().trimmed().toStdString(),
                  ("Liebe(r) " + reader.name + ",").toStdString());
        EXPECT_EQ(payload(view, 3), kPdf);
        EXPECT_TRUE(view["to"].toString().contains(reader.name)) << view["to"].toString().toStdString();
        ids << view["message_id"].toString();
    }
    EXPECT_EQ(ids.size(), kReaders.size());
}

TEST_F(PostfixInteropTest, ExternalServerPathIsReadWithoutDefects)
{
    SendMail mail;
    int done = 0;
    QStringList errors;
    QObject::connect(&mail, &SendMail::OnMailError, [&](int, const QString& text) {
        errors << text;
        mail.setAction(TMailAction::Cancel_SendMail);
    });
    QObject::connect(&mail, &SendMail::OnDone, [&] { ++done; });
    mail.setSMTP_Server("127.0.0.1");
    mail.TimeoutConnect = 10;
    mail.KeepConnectionOpen = true;
    mail.FROM_Address = "sender@origin.test";
    mail.FROM_Name = QStringLiteral("\"J\u00fcrgen S\u00e4nger\"");        // quoted, as the sending window does
    mail.TypeContent = TTypeContent::tcHtml;
    mail.Content_Type = "text/html";
    mail.Charset = "iso-8859-1";
    mail.MimeChar = TMimeChar::ISO_8859_1;
    const QString logo = writeTestFile("logo.png", kPng);
    for (const Reader& reader : kReaders) {
        mail.TO_Address = reader.address;
        mail.Subject = subjectFor(reader);
        mail.Headers = {"Date: " + QString::fromLatin1(mailDateText(std::time(nullptr))), "X-Mailer: Quarvel"};
        mail.HtmlText = htmlFor(reader);
        mail.HtmlFiles = {logo};
        mail.HtmlCids = {QStringLiteral("logo@origin.test")};
        mail.ClearAttachments();
        mail.Attachments << writeTestFile("chart.png", kPng);
        const int before = done;
        mail.setAction(TMailAction::Send_Mail);
        ASSERT_TRUE(waitUntil([&] { return done > before; }, 60000));
        ASSERT_TRUE(mail.MessageAccepted()) << errors.join('\n').toStdString() << postfix.log().toStdString();
    }

    const auto views = delivered(int(kReaders.size()));
    ASSERT_EQ(views.size(), size_t(kReaders.size())) << postfix.log().toStdString();
    for (const Reader& reader : kReaders) {
        const QJsonObject& view = views.at(reader.address);
        checkDelivered(view, reader, "multipart/mixed(multipart/related(text/html,image/png),image/png)");
    }
    // The kept session ends with QUIT: Postfix counts it on its disconnect line.
    mail.QuitKeptConnection();
    EXPECT_TRUE(waitUntil([&] { return postfix.log().contains(QRegularExpression(R"(disconnect from .* quit=1)")); },
                          60000))
        << postfix.log().toStdString();
}

// A mail host that offers STARTTLS gets the mail inside TLS, whatever its certificate: Postfix logs the TLS
// connection and notes it in its Received line ("with ESMTPS"), and the 8-bit message reads back strictly.
TEST(PostfixTlsInteropTest, DirectDeliveryTakesTheStartTlsOffered)
{
    QTemporaryDir folder;
    sorvanta::test::TestCertificateAuthority stranger(folder.path(), QStringLiteral("stranger"));
    const sorvanta::test::TestCertificate certificate =
        stranger.issue(QStringLiteral("mx"), {QStringLiteral("DNS:mx.elsewhere.test")});
    PostfixServer::Options options;
    options.certificateFile = certificate.certificateFile;
    options.keyFile = certificate.keyFile;
    PostfixServer postfix(options);
    DnsmasqServer::Options dnsOptions;
    dnsOptions.mxHosts = {"alpha.test,127.0.0.1,10"};
    DnsmasqServer dns(dnsOptions);
    QString error;
    ASSERT_TRUE(postfix.start(&error)) << error.toStdString();
    ASSERT_TRUE(dns.start(&error)) << error.toStdString();

    TSmtpRelayServer2 relay;
    relay.From = "sender@origin.test";
    relay.HeaderFrom = "Sender <sender@origin.test>";
    relay.charSet = "iso-8859-1";
    relay.HdrMailDomain = "origin.test";
    relay.setDns("127.0.0.1");
    relay.setTimeOut(30);
    relay.setConnections(3);
    relay.setSubject(QStringLiteral("Gr\u00fc\u00dfe"));
    relay.setBody({QStringLiteral("Gr\u00fc\u00dfe aus Z\u00fcrich"), "bye"});
    StringList recipients;
    for (int i = 0; i < 3; ++i)
        recipients.add(QStringLiteral("reader%1@alpha.test").arg(i), 0);
    relay.setRecipients(recipients);
    int delivered = 0;
    bool finished = false;
    relay.OnEMailProcessed = [&](TSmtpRelayServer2*, int, int err, const QString& comment) {
        EXPECT_EQ(err, relayDelivered) << comment.toStdString();
        delivered += err == relayDelivered;
    };
    relay.OnFinished = [&](TSmtpRelayServer2*, bool) { finished = true; };
    relay.Send();
    ASSERT_TRUE(waitUntil([&] { return finished; }, 60000));
    ASSERT_EQ(delivered, 3);

    ASSERT_TRUE(waitUntil([&] { return postfix.deliveredMessages().size() >= 3; }, 60000)) << postfix.log().toStdString();
    for (const QByteArray& message : postfix.deliveredMessages()) {
        EXPECT_TRUE(message.contains("with ESMTPS id")) << message.left(600).toStdString();
        const QJsonObject view = pythonStrictView(message);
        EXPECT_EQ(view["subject"].toString(), QStringLiteral("Gr\u00fc\u00dfe"));
        EXPECT_EQ(leaf(view, 0)["text"].toString().trimmed(), QStringLiteral("Gr\u00fc\u00dfe aus Z\u00fcrich\nbye"));
    }
    EXPECT_EQ(postfix.log().count(QStringLiteral("TLS connection established from")), 3) << postfix.log().toStdString();
}

}  // namespace
