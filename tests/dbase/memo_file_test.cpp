// Memo files: dBase III, dBase IV/VII and FoxPro layouts at block edges, the block-size rules, a missing memo
// file (or one that is a FIFO or a folder), the layout of tables without a language byte, stated lengths past
// the end of the file, and the lookup of the memo file without case.

#include "dbase/dbf.h"
#include "dbase/memo_file.h"
#include "tests/dbase/dbf_builder.h"
#include "tests/support/test_files.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

#include <sys/stat.h>

using namespace dbftest;
using sorvanta::test::writeTestFile;

namespace {

// The memo texts of a table with one memo field, read through the data set.
QStringList memosOf(const QString& tablePath)
{
    TDbf dbf;
    dbf.setTableName(tablePath);
    dbf.Open();
    QStringList memos;
    for (; !dbf.Eof(); dbf.Next())
        memos.append(dbf.FindField("NOTE")->AsString());
    return memos;
}

// A table of the family with one memo field whose records point at the given blocks.
QString writeMemoTable(const QString& name, quint8 version, quint8 language, const QList<int>& blocks, int fieldLength = 10)
{
    TableBuilder table(version, {{"NOTE", 'M', fieldLength}});
    table.language(language);
    for (int block : blocks)
        table.record({blockField(block, fieldLength)});
    return writeTestFile(name, table.bytes());
}

struct MemoCase {
    const char* name;
    MemoKind kind;
    int blockSize;
    int textLength;
};

class MemoRoundTest : public ::testing::TestWithParam<MemoCase> {};

// Memos that end just before, at and just after a block edge, followed by another memo.
TEST_P(MemoRoundTest, ReadsWholeMemosAtBlockEdges)
{
    const MemoCase& c = GetParam();
    QByteArray text;
    for (int i = 0; i < c.textLength; ++i)
        text += char('a' + i % 26);
    const MemoFile memo = buildMemoFile(c.kind, c.blockSize, {text, "second"});
    const bool foxPro = c.kind == MemoKind::FoxPro;
    const quint8 version = foxPro ? 0xF5 : c.kind == MemoKind::DbaseIII ? 0x83 : 0x8B;
    const QString table = writeMemoTable("m.dbf", version, c.kind == MemoKind::DbaseIV ? 0x57 : 0x03, memo.blocks);
    writeTestFile(foxPro ? "m.fpt" : "m.dbt", memo.bytes);
    EXPECT_EQ(memosOf(table), QStringList({QString::fromLatin1(text), "second"}));
}

INSTANTIATE_TEST_SUITE_P(Edges, MemoRoundTest, ::testing::Values(
    MemoCase{"iii_one_short_of_block", MemoKind::DbaseIII, 512, 509},
    MemoCase{"iii_mark_split_over_blocks", MemoKind::DbaseIII, 512, 511},
    MemoCase{"iii_ends_at_block_end", MemoKind::DbaseIII, 512, 512},
    MemoCase{"iv_fills_first_block", MemoKind::DbaseIV, 512, 504},
    MemoCase{"iv_one_past_block", MemoKind::DbaseIV, 512, 505},
    MemoCase{"iv_six_hundred", MemoKind::DbaseIV, 512, 600},
    MemoCase{"iv_small_blocks", MemoKind::DbaseIV, 64, 200},
    MemoCase{"fox_small_blocks", MemoKind::FoxPro, 64, 56},
    MemoCase{"fox_over_blocks", MemoKind::FoxPro, 64, 1000}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(MemoFileTest, SixHundredByteMemoTakesTwoBlocks)
{
    const MemoFile memo = buildMemoFile(MemoKind::DbaseIV, 512, {QByteArray(600, 'x'), "y"});
    EXPECT_EQ(memo.blocks, QList<int>({1, 3}));
}

TEST(MemoFileTest, MissingMemoFileReadsEmptyMemos)
{
    const QString table = writeMemoTable("m.dbf", 0x8B, 0x57, {1, 2});
    EXPECT_EQ(memosOf(table), QStringList({"", ""}));
}

// A FIFO would block the open (and did, as "file not found"); a folder has no bytes: both count as missing.
TEST(MemoFileTest, MemoFileThatIsNotARegularFileReadsAsMissing)
{
    const QString fifoTable = writeMemoTable("f.dbf", 0x8B, 0x57, {1, 2});
    ASSERT_EQ(::mkfifo(QFile::encodeName(sorvanta::test::testHome() + "f.dbt").constData(), 0600), 0);
    EXPECT_EQ(memosOf(fifoTable), QStringList({"", ""}));
    const QString folderTable = writeMemoTable("d.dbf", 0x83, 0, {1});
    ASSERT_TRUE(QDir().mkdir(sorvanta::test::testHome() + "D.DBT"));
    EXPECT_EQ(memosOf(folderTable), QStringList({""}));
}

// With language byte 0 the version byte decides: 0x8B has dBase IV block headers, 0x83 the marked text.
TEST(MemoFileTest, MemoLayoutOfATableWithoutLanguageFollowsTheVersionByte)
{
    for (const auto& [version, kind] : {std::pair{quint8(0x8B), MemoKind::DbaseIV},
                                        std::pair{quint8(0x83), MemoKind::DbaseIII}}) {
        const MemoFile memo = buildMemoFile(kind, 512, {"Hello", QByteArray(600, 'z')});
        const QString table = writeMemoTable("v.dbf", version, 0, memo.blocks);
        writeTestFile("v.dbt", memo.bytes);
        EXPECT_EQ(memosOf(table), QStringList({"Hello", QString(600, 'z')})) << int(version);
    }
}

TEST(MemoFileTest, MemoFileIsFoundWithoutCase)
{
    const QString table = writeMemoTable("T.DBF", 0x8B, 0x57, {1});
    writeTestFile("t.dbt", buildMemoFile(MemoKind::DbaseIV, 512, {"found"}).bytes);
    EXPECT_EQ(memosOf(table), QStringList({"found"}));
}

TEST(MemoFileTest, VisualFoxProMemoBlockNumbersAreBinary)
{
    const MemoFile memo = buildMemoFile(MemoKind::FoxPro, 64, {"one", "two"});
    const QString table = writeMemoTable("v.dbf", 0x30, 0x03, memo.blocks, 4);
    writeTestFile("v.fpt", memo.bytes);
    EXPECT_EQ(memosOf(table), QStringList({"one", "two"}));
}

// The pure reader over bytes, for the rules that need a hand-made file.
QByteArray read(memoformat::Layout layout, const QByteArray& file, qint64 block)
{
    const int blockSize = memoformat::blockSize(layout, file.left(512).leftJustified(512, '\0'));
    const auto readAt = [&](qint64 offset, char* buffer, qint64 length) -> qint64 {
        const qint64 got = std::max<qint64>(0, std::min(length, file.size() - offset));
        std::memcpy(buffer, file.constData() + offset, size_t(got));
        return got;
    };
    return memoformat::readMemo(layout, blockSize, block, file.size(), readAt);
}

TEST(MemoFileTest, StatedLengthIsCutAtTheEndOfTheFile)
{
    QByteArray fox = buildMemoFile(MemoKind::FoxPro, 512, {"short"}).bytes;
    qToBigEndian(quint32(4000000000u), fox.data() + 512 + 4);
    const QByteArray cut = read(memoformat::Layout::FoxPro, fox, 1);
    EXPECT_EQ(cut.size(), fox.size() - 520);   // up to the end of the file, not 4 GB
    EXPECT_TRUE(cut.startsWith("short"));
    QByteArray dbase = buildMemoFile(MemoKind::DbaseIV, 512, {"short"}).bytes;
    dbase.truncate(512 + 8 + 3);
    EXPECT_EQ(read(memoformat::Layout::DbaseIV, dbase, 1), "sho");
}

TEST(MemoFileTest, BlockSizeRules)
{
    QByteArray header(512, '\0');
    putU16(header, 20, 64);
    EXPECT_EQ(memoformat::blockSize(memoformat::Layout::DbaseIV, header), 64);
    header[16] = 3;   // a dBase III memo file behind a dBase IV table
    EXPECT_EQ(memoformat::blockSize(memoformat::Layout::DbaseIV, header), 512);
    header[16] = char(0x80);   // the high bit alone does not count
    EXPECT_EQ(memoformat::blockSize(memoformat::Layout::DbaseIV, header), 64);
    EXPECT_EQ(memoformat::blockSize(memoformat::Layout::DbaseIII, header), 512);
    EXPECT_EQ(memoformat::blockSize(memoformat::Layout::FoxPro, QByteArray(512, '\0')), 512);
    // Block size 0, as dBase III-style headers hold it: the memos are in 512-byte blocks.
    EXPECT_EQ(memoformat::blockSize(memoformat::Layout::DbaseIV, QByteArray(512, '\0')), 512);
}

TEST(MemoFileTest, BadBlockNumbersReadNothing)
{
    QByteArray file = buildMemoFile(MemoKind::DbaseIV, 512, {"text"}).bytes;
    EXPECT_EQ(read(memoformat::Layout::DbaseIV, file, 1), "text");
    EXPECT_EQ(read(memoformat::Layout::DbaseIV, file, 0), "");
    EXPECT_EQ(read(memoformat::Layout::DbaseIV, file, -1), "");
    EXPECT_EQ(read(memoformat::Layout::DbaseIV, file, 99999999), "");
    EXPECT_EQ(memoformat::readMemo(memoformat::Layout::DbaseIV, 0, 1, file.size(), nullptr), "");
}

TEST(MemoFileTest, DbaseThreeMarkNeedsASecondMarkOrZero)
{
    QByteArray file = QByteArray(512, '\0') + "a\x1A" "b\x1A\x1A" + QByteArray(507, ' ');
    EXPECT_EQ(read(memoformat::Layout::DbaseIII, file, 1), "a\x1A" "b");
    // A memo with no end mark stops at the end of the file.
    EXPECT_EQ(read(memoformat::Layout::DbaseIII, QByteArray(512, '\0') + "tail", 1), "tail");
}

}  // namespace
