// The attachment counter file "attach.idx" (made, read, repaired, or ignored when it cannot be written), the
// attachment directory, records for long paths, and the icon kind by MIME type.

#include "core/project/attachment_icons.h"
#include "core/project/attachment_manager.h"
#include "core/project/project_attachments.h"

#include "tests/support/test_files.h"
#include "tests/support/test_home.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

namespace {

using sorvanta::test::readFileBytes;
using sorvanta::test::testHome;
using sorvanta::test::writeFileBytes;

struct CounterCase {
    const char* name;
    std::optional<QByteArray> before;   // nullopt: no file
    qint32 number;
    QByteArray after;
};

void PrintTo(const CounterCase& c, std::ostream* os)
{
    *os << c.name;
}

class CounterFileTest : public ::testing::TestWithParam<CounterCase> {};

TEST_P(CounterFileTest, ReadsOrRepairsTheCounter)
{
    const CounterCase& c = GetParam();
    const QString path = testHome() + "attach.idx";
    if (c.before)
        writeFileBytes(path, *c.before);
    TAttachmentManager manager;
    manager.Loaded();
    EXPECT_EQ(manager.currentNumber(), c.number);
    EXPECT_EQ(readFileBytes(path), c.after);
}

QByteArray withTail(QByteArray record, const QByteArray& tail)
{
    return record + tail;
}

INSTANTIATE_TEST_SUITE_P(Files, CounterFileTest, ::testing::Values(
    CounterCase{"missing_is_made", std::nullopt, 0, QByteArray(928, '\0')},
    CounterCase{"counter_read", TAttachmentManager::counterRecord(7), 7, TAttachmentManager::counterRecord(7)},
    CounterCase{"longer_file_uses_its_first_record", withTail(TAttachmentManager::counterRecord(9), "xyz"), 9,
                withTail(TAttachmentManager::counterRecord(9), "xyz")},
    CounterCase{"short_file_is_written_anew", QByteArray(927, '\x01'), 0, QByteArray(928, '\0')},
    CounterCase{"empty_file_is_written_anew", QByteArray(), 0, QByteArray(928, '\0')}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(AttachmentCounter, RecordLayout)
{
    const QByteArray record = TAttachmentManager::counterRecord(0x01020304);
    ASSERT_EQ(record.size(), 928);
    EXPECT_EQ(record.mid(624, 4), QByteArray("\x04\x03\x02\x01", 4));
    EXPECT_EQ(record.count('\0'), 924);
}

TEST(AttachmentCounter, FileThatCannotBeWrittenIsIgnored)
{
    ASSERT_TRUE(QDir().mkdir(testHome() + "attach.idx"));   // neither readable nor writable as a file
    TAttachmentManager manager;
    manager.Loaded();
    EXPECT_EQ(manager.currentNumber(), 0);
    EXPECT_TRUE(QFileInfo(testHome() + "attach.idx").isDir());

    writeFileBytes(testHome() + "blocker", "x");
    TAttachmentManager elsewhere;
    elsewhere.setAttachmentDirectory(testHome() + "blocker/attachments");   // cannot be made
    elsewhere.Loaded();
    EXPECT_EQ(elsewhere.currentNumber(), 0);
}

TEST(AttachmentCounter, DirectoryDefaultsToTheProgramFolderAndIsMade)
{
    TAttachmentManager manager;
    EXPECT_EQ(QDir(manager.AttachmentDirectory()).absolutePath(), QDir(testHome()).absolutePath());

    manager.setAttachmentDirectory(testHome() + "a/b/c");
    EXPECT_TRUE(QFileInfo(testHome() + "a/b/c").isDir());
    manager.Loaded();
    EXPECT_EQ(readFileBytes(testHome() + "a/b/c/attach.idx"), QByteArray(928, '\0'));
    EXPECT_FALSE(QFile::exists(testHome() + "attach.idx"));
}

TEST(AttachmentRecordForFile, KeepsThePathWhole)
{
    const QString longPath = "/data/" + QString(300, 'd') + "/report.pdf";
    const AttachmentRecord record = attachmentForFile(longPath);
    EXPECT_EQ(record.filePath, longPath);
    EXPECT_EQ(record.displayName, "report.pdf");
    EXPECT_EQ(record.encoding, AttachmentEncoding::Choose);
    EXPECT_TRUE(record.mimeType.isEmpty());
    EXPECT_TRUE(record.description.isEmpty());
}

TEST(AttachmentIcons, MajorTypeChoosesTheIcon)
{
    EXPECT_EQ(attachmentIconKind("image/gif"), AttachmentIconKind::Image);
    EXPECT_EQ(attachmentIconKind("IMAGE/JPEG"), AttachmentIconKind::Image);
    EXPECT_EQ(attachmentIconKind("audio/x-wav"), AttachmentIconKind::Audio);
    EXPECT_EQ(attachmentIconKind("video/mpeg"), AttachmentIconKind::Video);
    EXPECT_EQ(attachmentIconKind("message/rfc822"), AttachmentIconKind::Message);
    EXPECT_EQ(attachmentIconKind("application/pdf"), AttachmentIconKind::Application);
    EXPECT_EQ(attachmentIconKind("text/plain"), AttachmentIconKind::Default);
    EXPECT_EQ(attachmentIconKind(""), AttachmentIconKind::Default);
    EXPECT_EQ(attachmentIconKind("image"), AttachmentIconKind::Image);   // no "/": the whole text is the major type
}

}  // namespace
