// SendMail's kept parts: messages composed with the cache, one after another, are byte for byte and event
// for event what a composer without it gives, for every kind of part; a merged body and a file changed
// between messages are built again.

#include "transport/mime/composer_part_cache.h"
#include "transport/mime/external_composer.h"

#include "tests/support/test_home.h"
#include "tests/transport/composer_test_support.h"

#include <gtest/gtest.h>

#include <QDateTime>
#include <QFile>
#include <QFileInfo>

#include <string>
#include <utility>

namespace {

using sorvanta::test::patternBytes;
using sorvanta::test::writeTestFile;

using Events = QList<std::pair<int, QString>>;

struct Composed {
    QByteArray stream;
    Events events;
};

Composed compose(const ExternalMessage& message, const AttachmentSlots& table, ComposerPartCache* cache)
{
    Composed result;
    ExternalComposer composer(message, table,
                              {[&](int code, const QString& text) { result.events.append({code, text}); }, {}}, 42,
                              cache);
    while (!composer.atEnd())
        result.stream += composer.nextBlock();
    EXPECT_FALSE(composer.failed()) << composer.errorString().toStdString();
    return result;
}

struct PartCase {
    const char* name;
    bool html;
    bool pictures;
    AttachmentEncoding encoding;    // of one attachment record; Choose: a plain path instead
    QString text;                   // the body line that is the same for every message
};

void PrintTo(const PartCase& c, std::ostream* os) { *os << c.name; }

// The message of a case; files are written once, so later messages find them unchanged.
ExternalMessage caseMessage(const PartCase& c)
{
    ExternalMessage message;
    message.FROM_Address = "sender@example.test";
    message.Charset = "ISO-8859-1";
    message.MimeChar = TMimeChar::ISO_8859_1;
    message.Content_Type = c.html ? "text/html" : "text/plain";
    message.MailText = {c.text, "..dots", "end"};
    if (c.html) {
        message.TypeContent = TTypeContent::tcHtml;
        message.HtmlText = {"<meta charset=\"utf-8\"><p>" + c.text + " <img src=\"cid:pic\"></p>"};
    }
    if (c.pictures) {
        message.HtmlFiles = {writeTestFile("pic.gif", patternBytes(4000, 3))};
        message.HtmlCids = {"pic"};
    }
    return message;
}

ExternalMessage addressedTo(ExternalMessage message, const QString& reader)
{
    message.ListTo = {reader + "@example.test|" + reader};
    message.Subject = "Hello " + reader;
    return message;
}

AttachmentSlots attachmentsOf(const PartCase& c, ExternalMessage& message)
{
    AttachmentSlots table;
    QByteArray content = patternBytes(7000, 5);         // binary, several blocks of every coding
    if (c.encoding == AttachmentEncoding::PlainText || c.encoding == AttachmentEncoding::QuotedPrintable)
        content = QByteArray(3000, 'a') + "\r\n.dot line\r\n" + QByteArray(1500, 'b');
    const QString path = writeTestFile("part.dat", content);
    if (c.encoding == AttachmentEncoding::Choose)
        message.Attachments = {path};
    else
        EXPECT_TRUE(table.AddAttachment({"part.dat", c.encoding, "", "", "", path}, message.Attachments));
    return table;
}

class ComposerPartCacheTest : public ::testing::TestWithParam<PartCase> {};

TEST_P(ComposerPartCacheTest, KeptPartsGiveTheBytesAndEventsOfAFreshBuild)
{
    const PartCase& c = GetParam();
    ComposerPartCache cache;
    ExternalMessage common = caseMessage(c);
    const AttachmentSlots table = attachmentsOf(c, common);
    for (const QString reader : {"Anna", "Bert", "Carl"}) {
        const ExternalMessage message = addressedTo(common, reader);
        const Composed fresh = compose(message, table, nullptr);
        const Composed kept = compose(message, table, &cache);
        EXPECT_EQ(kept.stream, fresh.stream) << reader.toStdString();
        EXPECT_EQ(kept.events, fresh.events) << reader.toStdString();
        EXPECT_TRUE(kept.stream.contains("Hello " + reader.toLatin1()));
    }
    EXPECT_TRUE(cache.body(common.MailText, TMimeChar::ISO_8859_1, false, "ISO-8859-1")->streamed);
}

INSTANTIATE_TEST_SUITE_P(Parts, ComposerPartCacheTest, ::testing::Values(
    PartCase{"text_base64", false, false, AttachmentEncoding::Base64, "Gr\u00fc\u00dfe"},
    PartCase{"text_plain_file", false, false, AttachmentEncoding::PlainText, "Hello"},
    PartCase{"text_quoted_printable_file", false, false, AttachmentEncoding::QuotedPrintable, "Hello"},
    PartCase{"text_uuencode", false, false, AttachmentEncoding::Uuencode, "Hello"},
    PartCase{"html_pictures_bare_file", true, true, AttachmentEncoding::Choose, "Gr\u00fc\u00dfe"},
    PartCase{"long_body_line", false, false, AttachmentEncoding::Base64, QString(3000, u'x')}),
    [](const auto& info) { return std::string(info.param.name); });

// Merged text differs per message and the cache must not hand one reader's body to the next.
TEST(ComposerPartCacheMergeTest, MergedBodiesAreBuiltPerMessage)
{
    const PartCase c{"merged", true, false, AttachmentEncoding::Base64, ""};
    ComposerPartCache cache;
    for (const QString reader : {"Anna", "Bert", "Anna"}) {
        ExternalMessage message = addressedTo(caseMessage(c), reader);
        message.MailText = {"Dear " + reader + ",", "same text"};
        message.HtmlText = {"<p>Dear " + reader + "</p>"};
        const Composed kept = compose(message, {}, &cache);
        EXPECT_EQ(kept.stream, compose(message, {}, nullptr).stream);
        EXPECT_EQ(kept.stream.count("Dear " + reader.toLatin1()), 2) << kept.stream.toStdString();
    }
}

// A file rewritten between two messages (another size, or the same size later) goes as it is now.
TEST(ComposerPartCacheMergeTest, ChangedFileIsReadAgain)
{
    const PartCase c{"changed", false, false, AttachmentEncoding::Base64, "Hello"};
    ComposerPartCache cache;
    ExternalMessage message = addressedTo(caseMessage(c), "Anna");
    const AttachmentSlots table = attachmentsOf(c, message);
    const QString path = message.Attachments.first();
    compose(message, table, &cache);
    // Each rewrite gets its own time, a minute apart from the one before: two rewrites within one clock tick
    // would otherwise share time and size, and the cache would rightly take them for the same file.
    const QDateTime firstTime = QFileInfo(path).lastModified();
    int rewrite = 0;
    for (const QByteArray& content : {patternBytes(500, 9), patternBytes(500, 10)}) {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(content);
        file.close();
        ASSERT_TRUE(file.open(QIODevice::ReadWrite));
        ASSERT_TRUE(file.setFileTime(firstTime.addSecs(60 * ++rewrite), QFileDevice::FileModificationTime));
        file.close();
        const Composed kept = compose(message, table, &cache);
        EXPECT_EQ(kept.stream, compose(message, table, nullptr).stream);
        EXPECT_TRUE(kept.stream.contains(content.toBase64().left(76)));
    }
}

}  // namespace
