// The shipped "charset.txt": every line is "Label(xx),charset", the first the settings' default, the build
// puts it beside the program, and every charset it names is one both composers send. A message in each,
// through the external-server composer and through the direct-delivery relay, is read back by Python's email
// package under policy strict to the same subject and text.

#include "core/base/text_helpers.h"
#include "core/settings/ini_info.h"
#include "platform/string_list.h"
#include "platform/text_file.h"
#include "tests/core/dns_table.h"
#include "tests/core/scripted_smtp.h"
#include "tests/support/scripted_peer.h"
#include "tests/support/test_files.h"
#include "tests/support/test_home.h"
#include "tests/support/wait_until.h"
#include "transport/mime/charsets.h"
#include "transport/mime/external_composer.h"
#include "transport/mime/mail_date.h"
#include "transport/smtp/smtp_relay.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>

#include <chrono>
#include <ctime>
#include <map>

namespace {

using namespace std::chrono_literals;
using sorvanta::test::readExistingFileBytes;
using sorvanta::test::ScriptedPeer;
using sorvanta::test::sourcePath;
using sorvanta::test::waitUntil;

// A text each charset can hold whole: letters of the scripts it is made for and its own punctuation.
// windows-1258 writes Vietnamese tones as combining marks, so its sample is decomposed.
const std::map<TMimeChar, QString>& samples()
{
    static const std::map<TMimeChar, QString> table{
        {TMimeChar::ISO_8859_1, u"Gr\u00fc\u00dfe, J\u00fcrgen: caf\u00e9 \u00bfs\u00ed?"_qs},
        {TMimeChar::ISO_8859_2, u"Za\u017c\u00f3\u0142\u0107 g\u0119\u015bl\u0105 ja\u017a\u0144"_qs},
        {TMimeChar::ISO_8859_3, u"\u0126abib \u010bar \u0121ej"_qs},
        {TMimeChar::ISO_8859_4, u"\u0122imene \u0137\u0113de \u013coti"_qs},
        {TMimeChar::ISO_8859_5, u"\u041f\u0440\u0438\u0432\u0435\u0442, \u043c\u0438\u0440"_qs},
        {TMimeChar::ISO_8859_6, u"\u0645\u0631\u062d\u0628\u0627 \u0628\u0627\u0644\u0639\u0627\u0644\u0645"_qs},
        {TMimeChar::ISO_8859_7, u"\u039a\u03b1\u03bb\u03b7\u03bc\u03ad\u03c1\u03b1 \u03ba\u03cc\u03c3\u03bc\u03b5"_qs},
        {TMimeChar::ISO_8859_8, u"\u05e9\u05dc\u05d5\u05dd \u05e2\u05d5\u05dc\u05dd"_qs},
        {TMimeChar::ISO_8859_9, u"G\u00fcnayd\u0131n \u0130stanbul, \u015fe\u011fa"_qs},
        {TMimeChar::ISO_8859_10, u"\u00de\u00f3r\u00f0ur \u014a\u014b \u0166\u0167"_qs},
        {TMimeChar::CP1250, u"Za\u017c\u00f3\u0142\u0107 \u2013 \u201ecudzys\u0142\u00f3w\u201d"_qs},
        {TMimeChar::CP1251, u"\u041f\u0440\u0438\u0432\u0435\u0442 \u2013 \u00ab\u043c\u0438\u0440\u00bb \u21161"_qs},
        {TMimeChar::CP1252, u"Gr\u00fc\u00dfe \u2013 \u201cquoted\u201d \u20ac5"_qs},
        {TMimeChar::CP1253, u"\u039a\u03b1\u03bb\u03b7\u03bc\u03ad\u03c1\u03b1 \u2013 \u20ac5"_qs},
        {TMimeChar::CP1254, u"G\u00fcnayd\u0131n \u0130stanbul \u2013 \u20ac5"_qs},
        {TMimeChar::CP1255, u"\u05e9\u05dc\u05d5\u05dd \u05e2\u05d5\u05dc\u05dd \u20aa5"_qs},
        {TMimeChar::CP1256, u"\u0645\u0631\u062d\u0628\u0627 \u060c \u067e\u0698\u0648\u0647\u0634"_qs},
        {TMimeChar::CP1257, u"\u0104\u017euolas \u0117jo \u0161iandien \u2013 \u20ac5"_qs},
        {TMimeChar::CP1258, u"\u0110\u01b0\u01a1\u0300ng ph\u00f4\u0301 \u20ab5"_qs},
        {TMimeChar::KOI8_R, u"\u041f\u0440\u0438\u0432\u0435\u0442, \u043c\u0438\u0440 \u2500"_qs},
        {TMimeChar::UTF_8, u"Zo\u00eb \u0141\u00f3d\u017a \u041c\u0438\u0440 \u65e5\u672c\u8a9e \u2603 \U0001F600"_qs},
        {TMimeChar::UTF_7, u"Zo\u00eb \u0141\u00f3d\u017a \u041c\u0438\u0440 \u65e5\u672c\u8a9e + 1"_qs},
    };
    return table;
}

struct CharsetLine {
    QString line;
    QString label;
    QString name;
};

QList<CharsetLine> shippedLines()
{
    QList<CharsetLine> lines;
    const std::optional<QString> text = readTextFile(sourcePath("../app/charset.txt"));
    EXPECT_TRUE(text.has_value());
    for (const QString& line : splitLines(text.value_or(QString())))
        if (!line.isEmpty())
            lines.append({line, line.section(u',', 0, 0), CharsetPart(line)});
    return lines;
}

// A DATA stream (dot-stuffed, CR LF) as the message it carries.
QByteArray unstuffed(const QByteArray& stream)
{
    QList<QByteArray> lines = stream.split('\n');
    for (QByteArray& line : lines)
        if (line.startsWith('.'))
            line.remove(0, 1);
    return lines.join('\n');
}

// The messages as tests/app/tools/strict_read_many.py reads them, one Python run for all.
QJsonArray strictViews(const QList<QByteArray>& messages)
{
    QProcess python;
    python.start("/usr/bin/python3", {sourcePath("app/tools/strict_read_many.py")});
    EXPECT_TRUE(python.waitForStarted());
    for (const QByteArray& message : messages)
        python.write(message + '\0');
    python.closeWriteChannel();
    EXPECT_TRUE(python.waitForFinished(30000));
    EXPECT_EQ(python.exitCode(), 0) << python.readAllStandardError().toStdString();
    return QJsonDocument::fromJson(python.readAllStandardOutput()).array();
}

void expectReadBack(const QJsonObject& view, const QString& sample)
{
    EXPECT_EQ(view["error"].toString().toStdString(), "");
    EXPECT_FALSE(view["date"].toString().isEmpty());
    EXPECT_EQ(view["subject"].toString().trimmed().toStdString(), sample.toStdString());
    const QJsonArray texts = view["texts"].toArray();
    ASSERT_EQ(texts.size(), 1);
    EXPECT_EQ(texts[0].toString().trimmed().toStdString(), sample.toStdString());
}

QByteArray externalMessage(const QString& charsetName, TMimeChar charset, const QString& sample)
{
    ExternalMessage message;
    message.FROM_Address = "sender@origin.test";
    message.ListTo = {"reader@one.test"};
    message.Subject = sample;
    message.Headers = {"Date: " + QString::fromLatin1(mailDateText(std::time(nullptr)))};
    message.MailText = {sample};
    message.Content_Type = "text/plain";
    message.Charset = charsetName;
    message.MimeChar = charset;
    ExternalComposer composer(message, {}, {}, 7);
    const QByteArray stream = composer.composeAll();
    EXPECT_FALSE(composer.failed()) << composer.errorString().toStdString();
    return unstuffed(stream);
}

// An MX record naming 127.0.0.1, where the SMTP peer listens, for every query.
QByteArray mxReply(const QByteArray& query)
{
    using namespace dns_fixtures;
    const int id = (quint8(query[0]) << 8) | quint8(query[1]);
    return reply(id, 0x8180, sorvanta::test::questionName(query), {mx(pointerTo(12), 10, wireName("127.0.0.1"))});
}

// The message the relay delivers to a loopback MX for one reader.
QByteArray relayMessage(const QString& charsetName, const QString& sample)
{
    ScriptedPeer dns(ScriptedPeer::Protocol::Udp);
    dns.expectData().respond(mxReply).repeat();
    ScriptedPeer smtp;
    sorvanta::test::scriptSmtp(smtp);
    EXPECT_TRUE(dns.listen() && smtp.listen());

    TSmtpRelayServer2 relay;
    relay.From = "sender@origin.test";
    relay.HeaderFrom = "Sender <sender@origin.test>";
    relay.Signon = "relay.test";
    relay.charSet = charsetName;
    relay.setSubject(sample);
    relay.setBody({sample});
    relay.setTimeOut(100);
    relay.setSecondLength(20ms);
    relay.setDns(dns.address());
    relay.setDnsPort(QString::number(dns.port()));
    relay.setSmtpPort(QString::number(smtp.port()));
    StringList recipients;
    recipients.add("reader@one.test", 100);
    relay.setRecipients(recipients);
    int result = 99999;
    bool finished = false;
    relay.OnEMailProcessed = [&](TSmtpRelayServer2*, int, int err, const QString&) { result = err; };
    relay.OnFinished = [&](TSmtpRelayServer2*, bool) { finished = true; };
    relay.Send();
    EXPECT_TRUE(waitUntil([&] { return finished; }));
    EXPECT_EQ(result, 0);

    const QByteArray session = smtp.received(0);
    const qsizetype start = session.indexOf("DATA\r\n") + 6;
    return unstuffed(session.mid(start, session.indexOf("\r\n.\r\n", start) + 2 - start));
}

TEST(ShippedCharsetList, EveryLineIsALabelledCharsetOfTheComposersWithTheDefaultFirst)
{
    const QList<CharsetLine> lines = shippedLines();
    ASSERT_FALSE(lines.isEmpty());
    EXPECT_EQ(lines.first().line, DefaultIniInfoValues().CharSet);
    const QRegularExpression form(QStringLiteral("^[A-Za-z0-9][A-Za-z0-9 -]*\\([a-z]{2,3}\\),[a-z0-9-]+$"));
    QSet<TMimeChar> named;
    for (const CharsetLine& line : lines) {
        EXPECT_TRUE(form.match(line.line).hasMatch()) << line.line.toStdString();
        const TMimeChar charset = CharsetFromName(line.name);
        // A name the composers do not know would be sent as written but converted as ISO-8859-1.
        EXPECT_EQ(CharsetName(charset).toLower().toStdString(), line.name.toStdString());
        EXPECT_FALSE(named.contains(charset)) << line.line.toStdString() << " repeats a charset";
        named.insert(charset);
    }
    // Every charset of the composers but the two whose bodies would carry NUL bytes, which mail cannot.
    EXPECT_EQ(named.size(), int(samples().size()));
    EXPECT_FALSE(named.contains(TMimeChar::UCS_2));
    EXPECT_FALSE(named.contains(TMimeChar::UCS_4));
}

TEST(ShippedCharsetList, TheBuildPutsItBesideTheProgram)
{
    EXPECT_EQ(readExistingFileBytes(QCoreApplication::applicationDirPath() + "/../app/charset.txt"),
              readExistingFileBytes(sourcePath("../app/charset.txt")));
}

TEST(ShippedCharsetList, BothComposersSendEveryCharsetSoThatPythonReadsTheTextBack)
{
    const QList<CharsetLine> lines = shippedLines();
    QList<QByteArray> messages;   // per line: the external server's, then direct delivery's
    for (const CharsetLine& line : lines) {
        const TMimeChar charset = CharsetFromName(line.name);
        ASSERT_TRUE(samples().count(charset)) << line.line.toStdString();
        const QString& sample = samples().at(charset);
        ASSERT_EQ(decodeFromCharset(encodeInCharset(sample, charset), charset), sample) << line.line.toStdString();
        messages << externalMessage(line.name, charset, sample) << relayMessage(line.name, sample);
    }
    const QJsonArray views = strictViews(messages);
    ASSERT_EQ(views.size(), messages.size());
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QString& sample = samples().at(CharsetFromName(lines[i].name));
        SCOPED_TRACE(lines[i].line.toStdString());
        {
            SCOPED_TRACE("external server");
            expectReadBack(views[2 * i].toObject(), sample);
        }
        SCOPED_TRACE("direct delivery");
        expectReadBack(views[2 * i + 1].toObject(), sample);
    }
}

}  // namespace
