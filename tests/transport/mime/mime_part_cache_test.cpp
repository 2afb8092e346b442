// The parts a direct-delivery run keeps: messages to several recipients written with the cache equal,
// byte for byte, messages written without it (boundaries aside, which are drawn per message); merged
// text is written per recipient; a kept file is put back in batches as small as a read one.

#include "transport/mime/mime_part_cache.h"
#include "transport/mime/mime_message_writer.h"

#include "transport/mime/mail_date.h"
#include "transport/mime/smtp_data_stream.h"
#include "tests/support/test_home.h"
#include "tests/transport/composer_test_support.h"

#include <gtest/gtest.h>

#include <QRegularExpression>

#include <limits>
#include <string>

namespace {

using sorvanta::test::patternBytes;
using sorvanta::test::writeTestFile;

QByteArray writeAll(MimeMessageContent content, MimePartCache* cache, qsizetype budget,
                    qsizetype* largestBatch = nullptr)
{
    MimeMessageWriter writer(std::move(content), cache);
    SmtpDataStream stream;
    QByteArray whole;
    MimeMessageWriter::Status status = MimeMessageWriter::Status::More;
    while (status == MimeMessageWriter::Status::More) {
        status = writer.write(stream, budget);
        if (largestBatch)
            *largestBatch = std::max(*largestBatch, stream.size());
        whole += stream.take();
    }
    EXPECT_EQ(status, MimeMessageWriter::Status::Finished) << writer.errorString().toStdString();
    return whole;
}

// The boundaries of a message in the order they first appear.
QList<QByteArray> boundariesOf(const QByteArray& message)
{
    static const QRegularExpression boundary(QStringLiteral("----------[0-9A-F]+"));
    QList<QByteArray> found;
    for (const QRegularExpressionMatch& match : boundary.globalMatch(QString::fromLatin1(message)))
        if (!found.contains(match.captured().toLatin1()))
            found << match.captured().toLatin1();
    return found;
}

// The message with its boundaries replaced by B0, B1, ... in the order they first appear.
QByteArray withNamedBoundaries(QByteArray message)
{
    const QList<QByteArray> found = boundariesOf(message);
    for (qsizetype i = 0; i < found.size(); ++i)
        message.replace(found[i], "B" + QByteArray::number(i));
    return message;
}

struct RunCase {
    const char* name;
    QList<QByteArray> text;         // empty: no text part
    QList<QByteArray> html;         // empty: no HTML part
    int images;
    int attachments;
    int fileBytes;
};

void PrintTo(const RunCase& r, std::ostream* os) { *os << r.name; }

MimeMessageContent contentFor(const RunCase& r, const QStringList& files, const QByteArray& reader, int number)
{
    MimeMessageContent content;
    content.from = "\"Sender\" <sender@example.test>";
    content.to = reader + " <" + reader + "@example.test>";
    content.replyTo = "sender@example.test";
    content.subject = "For " + reader;
    content.contentType = r.html.isEmpty() ? "text/plain" : "text/html";
    content.charset = "iso-8859-1";
    content.date = 1784109845;
    content.messageNumber = number;
    content.mailDomain = "example.test";
    content.textPresent = !r.text.isEmpty();
    content.textLines = r.text;
    content.htmlPresent = !r.html.isEmpty();
    content.htmlLines = r.html;
    for (int i = 0; i < r.images; ++i)
        content.images << MimeInlineImage{files[i], "pic" + QByteArray::number(i), "pic.jpg", "image/jpeg"};
    for (int i = r.images; i < files.size(); ++i)
        content.attachments << MimeAttachment{files[i], "", "file.bin"};
    return content;
}

class MimePartCacheTest : public ::testing::TestWithParam<RunCase> {};

TEST_P(MimePartCacheTest, RecipientsGetTheBytesOfAnUncachedBuild)
{
    const RunCase& r = GetParam();
    QStringList files;
    for (int i = 0; i < r.images + r.attachments; ++i)
        files << writeTestFile(QString("part%1.bin").arg(i), patternBytes(r.fileBytes + i, i));
    MimePartCache cache;
    QList<QByteArray> messages;
    int number = 1;
    for (const QByteArray reader : {"anna", "bert", "carl"}) {
        const MimeMessageContent content = contentFor(r, files, reader, number++);
        const QByteArray kept = writeAll(content, &cache, 16 * 1024);
        EXPECT_EQ(withNamedBoundaries(kept), withNamedBoundaries(writeAll(content, nullptr, 16 * 1024)))
            << reader.toStdString();
        EXPECT_TRUE(kept.contains("Message-ID: <" + messageIdStamp(content.date) + ".mail."
                                  + QByteArray::number(content.messageNumber) + "."));
        messages << kept;
    }
    for (const QString& file : files)
        EXPECT_NE(cache.files().find(FileKey::of(file, 0)), nullptr);
    if (!boundariesOf(messages[0]).isEmpty()) {
        EXPECT_NE(boundariesOf(messages[0]), boundariesOf(messages[1]));
    }
}

INSTANTIATE_TEST_SUITE_P(Runs, MimePartCacheTest, ::testing::Values(
    RunCase{"text", {"Hello,", ".dot", "J\xc3\xbcrgen"}, {}, 0, 0, 0},
    RunCase{"text_attachment", {"Hello,", "see the file"}, {}, 0, 1, 10000},
    RunCase{"html_pictures_attachments", {"plain"}, {"<p>Hi <img src=\"cid:pic0\"></p>", ".x"}, 2, 2, 5000},
    RunCase{"empty_file_and_long_line", {QByteArray(2500, 'y')}, {}, 0, 1, 0}),
    [](const auto& info) { return std::string(info.param.name); });

// A merged text that differs per recipient is written for each, never taken from the one before.
TEST(MimePartCacheMergeTest, MergedTextIsWrittenPerRecipient)
{
    MimePartCache cache;
    const RunCase run{"merged", {}, {}, 0, 0, 0};
    for (const QByteArray reader : {"anna", "bert", "anna"}) {
        RunCase merged = run;
        merged.text = {"Dear " + reader + ",", "the same text"};
        merged.html = {"<p>Dear " + reader + "</p>"};
        const MimeMessageContent content = contentFor(merged, {}, reader, 1);
        const QByteArray message = writeAll(content, &cache, 16 * 1024);
        EXPECT_EQ(message.count("Dear " + reader), 2) << message.toStdString();
        EXPECT_EQ(withNamedBoundaries(message), withNamedBoundaries(writeAll(content, nullptr, 16 * 1024)));
    }
}

// Kept parts go out in batches as small as parts read from the file and line by line.
TEST(MimePartCacheMergeTest, KeptPartsStayInSmallBatches)
{
    const RunCase run{"large", QList<QByteArray>(2000, QByteArray(200, 't')), {}, 0, 1, 3 * 1024 * 1024};
    const QStringList files{writeTestFile("large.bin", patternBytes(run.fileBytes, 1))};
    MimePartCache cache;
    for (const QByteArray reader : {"anna", "bert"}) {
        qsizetype largestBatch = 0;
        const MimeMessageContent content = contentFor(run, files, reader, 1);
        const QByteArray message = writeAll(content, &cache, 16 * 1024, &largestBatch);
        EXPECT_LT(largestBatch, 24 * 1024) << reader.toStdString();
        EXPECT_EQ(withNamedBoundaries(message), withNamedBoundaries(writeAll(content, nullptr, 16 * 1024)));
    }
}

}  // namespace
