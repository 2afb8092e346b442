// Damaged and huge files through the real readers: a list of 100,000 columns, a 50 MB line, NUL bytes, lines
// in UTF-8 and Windows-1252 mixed, settings files in binary or UTF-16 without a byte-order mark, a project
// with 100,000 attachment entries. Each case gets its result checked and its time and peak memory bounded
// (generously, so a loaded machine passes, yet far below what a quadratic step or a copy per entry costs).

#include "core/project/list_file.h"
#include "core/project/project_attachments.h"
#include "core/project/project_files.h"
#include "core/settings/accounts.h"
#include "core/settings/ini_info.h"
#include "core/settings/settings_file.h"
#include "platform/string_grid.h"

#include "tests/support/resource_meter.h"
#include "tests/support/test_files.h"
#include "tests/support/test_home.h"

#include <gtest/gtest.h>

#include <QFile>

namespace {

using namespace sorvanta::test;

// Time bounds are the cost on a quiet machine; a loaded one (ctest runs eight programs at once) gets three
// times as long, still far below the cost of the faults these tests hold off.
constexpr double kLoadAllowance = 3.0;

void expectWithin(const ResourceUse& use, double seconds, qint64 megabytes)
{
    std::printf("    cost: %.2f s, peak memory +%lld MB\n", use.seconds, use.peakGrowthBytes / kMegabyte);
    EXPECT_LT(use.seconds, seconds * kLoadAllowance * sanitizerAllowance());
    EXPECT_LT(use.peakGrowthBytes, qint64(double(megabytes * kMegabyte) * sanitizerAllowance()));
}

QByteArray joinedFields(int count, const char* prefix, char delimiter)
{
    QByteArray line;
    for (int i = 1; i <= count; ++i) {
        if (i > 1)
            line.append(delimiter);
        line.append(prefix).append(QByteArray::number(i));
    }
    return line;
}

TEST(DamagedFilesTest, ListOfOneHundredThousandColumns)
{
    const QString path = writeTestFile("wide.txt", joinedFields(100000, "c", ';') + "\r\nlast@a.test\r\n");
    StringGrid grid;
    QStringList titles;
    expectWithin(measureResources([&] {
                     ReadListFile(grid, path, ";");
                     TitleListColumns(grid);
                     titles = ListColumnTitles(grid);
                 }),
                 3, 100);
    ASSERT_EQ(grid.columnCount(), 100000);
    ASSERT_EQ(titles.size(), 100000);
    EXPECT_EQ(titles.first(), "Column#1");
    EXPECT_EQ(titles.last(), "Column#100000");
    EXPECT_EQ(grid.cell(99999, 1), "c100000");
    EXPECT_EQ(grid.cell(0, 2), "last@a.test");
    EXPECT_EQ(grid.rowCells(2).size(), 100000);
}

// A 50 MB line as one field and as a million fields, in UTF-8 and in Windows-1252: reading stays within a
// few times the file's size (the file's bytes, their decoding, the grid and the million column titles).
TEST(DamagedFilesTest, FiftyMegabyteLine)
{
    struct Case {
        const char* name;
        QByteArray line;
        int columns;
    };
    const QByteArray block(50 * kMegabyte, 'x');
    QByteArray legacy = block;
    legacy[0] = '\xE9';
    const Case cases[] = {
        {"one field", block, 1},
        {"one field, Windows-1252", legacy, 1},
        {"a million fields", joinedFields(1000000, QByteArray(40, 'f').constData(), ';'), 1000000},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString path = writeTestFile("long.txt", "first@a.test\r\n" + c.line + "\r\nlast@a.test\r\n");
        StringGrid grid;
        ListLoadResult result;
        expectWithin(measureResources([&] { result = ReadListFile(grid, path, ";"); }), 5,
                     8 * c.line.size() / kMegabyte + 50);
        EXPECT_EQ(result.records, 3);
        EXPECT_EQ(grid.columnCount(), c.columns);
        EXPECT_EQ(grid.cellUtf8(0, 2).size(), c.columns == 1 ? c.line.size() + (c.line[0] == '\xE9') : 41);
        EXPECT_EQ(grid.cell(0, 3), "last@a.test");
    }
}

TEST(DamagedFilesTest, NulBytesStayInTheirCells)
{
    const QString path = writeTestFile("nul.txt", QByteArray("a\0b;c\r\n\0\0\r\nlast\r\n", 17));
    StringGrid grid;
    expectWithin(measureResources([&] { ReadListFile(grid, path, ";"); }), 1, 20);
    EXPECT_EQ(grid.rowCells(1), (QStringList{QString("a") + QChar(0) + "b", "c"}));
    EXPECT_EQ(grid.rowCells(2), (QStringList{"", ""}));   // blanks and control characters are trimmed
    EXPECT_EQ(grid.cell(0, 3), "last");
}

// One stray Windows-1252 byte spoils its own line only; a line in UTF-8 stays UTF-8 around it.
TEST(DamagedFilesTest, MixedUtf8AndWindows1252Lines)
{
    const QByteArray utf8Line = "M\xC3\xBCller;caf\xC3\xA9";
    const QByteArray legacyLine = "M\xFCller;caf\xE9";
    QByteArray bytes;
    for (int i = 0; i < 50000; ++i)
        bytes.append(i % 2 ? legacyLine : utf8Line).append("\r\n");
    const QString path = writeTestFile("mixed.txt", bytes);
    StringGrid grid;
    expectWithin(measureResources([&] { ReadListFile(grid, path, ";"); }), 3, 50);
    ASSERT_EQ(grid.rowCount(), 50001);
    for (const int row : {1, 2, 25000, 49999, 50000})
        EXPECT_EQ(grid.rowCells(row), (QStringList{QString::fromUtf8("Müller"), QString::fromUtf8("café")})) << row;
}

// A settings file's name and a maker of its bytes (made when the case runs, not when tests are listed).
using SettingsCase = std::pair<const char*, QByteArray (*)()>;

class DamagedSettingsTest : public ::testing::TestWithParam<SettingsCase> {
protected:
    void TearDown() override
    {
        Accounts.Clear();
        DefaultIniInfo = TIniInfo();
    }
};

// An unreadable settings file is kept aside, and the start says so once, naming the kept file.
TEST_P(DamagedSettingsTest, IsKeptAndReported)
{
    const QByteArray bytes = GetParam().second();
    writeFileBytes(settingsFilePath(), bytes);
    SettingsLoadResult load;
    expectWithin(measureResources([&] { load = LoadSettings(); }), 2, 50);
    EXPECT_EQ(load.keptCopy, settingsFilePath() + ".bak");
    EXPECT_TRUE(load.copied);
    EXPECT_EQ(readExistingFileBytes(load.keptCopy), bytes);
    EXPECT_EQ(Accounts.Count(), 1);   // the placeholder
    const QString message = unreadableSettingsMessage(load);
    EXPECT_TRUE(message.contains(load.keptCopy)) << message.toStdString();
}

QByteArray binaryJunk()
{
    QByteArray bytes(kMegabyte, Qt::Uninitialized);
    for (qsizetype i = 0; i < bytes.size(); ++i)
        bytes[i] = char(quint64(i) * 7919 % 251);
    return bytes;
}

QByteArray utf16WithoutMark()
{
    return QByteArray(reinterpret_cast<const char*>(u"<Connections>\r\nMe^me\r\n"), 44);
}

INSTANTIATE_TEST_SUITE_P(Files, DamagedSettingsTest,
                         ::testing::Values(SettingsCase{"binary", binaryJunk}, SettingsCase{"utf16_without_bom", utf16WithoutMark}),
                         [](const auto& info) { return std::string(info.param.first); });

TEST(DamagedSettingsNoticeTest, ReadableFileGivesNoNotice)
{
    writeFileBytes(settingsFilePath(), "<Connections>\r\nMe^me\r\n");
    EXPECT_TRUE(unreadableSettingsMessage(LoadSettings()).isEmpty());
    EXPECT_FALSE(QFile::exists(settingsFilePath() + ".bak"));
    Accounts.Clear();
}

TEST(DamagedFilesTest, ProjectWithOneHundredThousandAttachmentEntries)
{
    QByteArray bytes = "[Common]\r\nSubject=Many\r\n[Attachment]\r\nCount=100000\r\n";
    for (int i = 0; i < 100000; ++i)
        bytes.append(QByteArray::number(i) + "=/data/files/attachment" + QByteArray::number(i) + ".pdf\r\n");
    ProjectIniInfo = DefaultIniInfoValues();
    ProjectIniInfo.PathPro = testHome();
    ProjectIniInfo.ProjectName = "many";
    writeFileBytes(ProjectFilePath(projectExtension), bytes);
    expectWithin(measureResources([] { LoadMailProject(); }), 5, 100);
    ASSERT_EQ(ProjectAttachments.size(), 100000);
    EXPECT_EQ(ProjectAttachments.last().filePath, "/data/files/attachment99999.pdf");

    // Saving writes every entry back in order, in time linear in their number.
    QStringList paths;
    for (const auto& attachment : ProjectAttachments)
        paths.append(attachment.filePath);
    QString error;
    bool written = false;
    expectWithin(measureResources([&] { written = WriteMailProjectFile(paths, &error); }), 5, 100);
    ASSERT_TRUE(written) << error.toStdString();
    const QByteArray saved = readFileBytes(ProjectFilePath(projectExtension));
    EXPECT_TRUE(saved.contains("\r\n99999=/data/files/attachment99999.pdf\r\nCount=100000\r\n"));
    ProjectAttachments.clear();
    ProjectIniInfo = DefaultIniInfoValues();
}

}  // namespace
