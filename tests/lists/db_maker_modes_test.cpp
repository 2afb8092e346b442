// DB Maker walk and runs over real folders, the HTML table mode and the delimited rules.

#include "lists/db_maker_delimited.h"
#include "lists/db_maker_engine.h"
#include "lists/db_maker_field.h"
#include "lists/db_maker_table.h"
#include "lists/db_maker_walk.h"
#include "tests/lists/db_maker_fixtures.h"
#include "tests/support/test_files.h"

#include <gtest/gtest.h>

#include <QDir>

#include <sys/stat.h>
#include <unistd.h>

namespace {

using sorvanta::test::testHome;
using sorvanta::test::writeFileBytes;

// A tree with files out of name order, nested folders, excluded extensions and links back up.
QString makeTree()
{
    const QString root = testHome() + "tree";
    QDir().mkpath(root + "/sub/deep");
    QDir().mkpath(root + "/sub2");
    writeFileBytes(root + "/b.txt", "b@one.org\n");
    writeFileBytes(root + "/a.txt", "a@one.org\n");
    writeFileBytes(root + "/noext", "n@one.org\n");
    writeFileBytes(root + "/x.zip", "z@one.org\n");
    writeFileBytes(root + "/y.c", "c@one.org\n");
    writeFileBytes(root + "/p.cnd", "p@one.org\n");
    writeFileBytes(root + "/sub/c.txt", "c@two.org\n");
    writeFileBytes(root + "/sub/deep/d.txt", "d@three.org\n");
    writeFileBytes(root + "/sub2/e.txt", "e@two.org\n");
    EXPECT_EQ(::symlink("..", (root + "/sub/loop").toLocal8Bit().constData()), 0);
    EXPECT_EQ(::symlink((root + "/sub").toLocal8Bit().constData(), (root + "/link").toLocal8Bit().constData()), 0);
    return root;
}

QStringList walkedNames(const QString& root, const QString& mask, WalkExclusion exclusion)
{
    FolderWalk walk(root, mask, exclusion);
    QStringList names;
    while (const auto path = walk.nextFile())
        names << displayFileName(*path);
    return names;
}

TEST(FolderWalk, BreadthFirstInNameOrderEachFolderOnceWithoutLinks)
{
    const QString root = makeTree();
    EXPECT_EQ(walkedNames(root, "*.*", WalkExclusion::FieldMode),
              (QStringList{"a.txt", "b.txt", "noext", "c.txt", "e.txt", "d.txt"}));
    EXPECT_EQ(walkedNames(root + "/", "*.TXT", WalkExclusion::FieldMode),
              (QStringList{"a.txt", "b.txt", "c.txt", "e.txt", "d.txt"}));
    EXPECT_EQ(walkedNames(root, "*.*", WalkExclusion::TableMode),
              (QStringList{"a.txt", "b.txt", "noext", "x.zip", "y.c", "c.txt", "e.txt", "d.txt"}));
}

TEST(FolderWalk, ExclusionBySubstringOfTheExtensionList)
{
    EXPECT_TRUE(isExcludedFile("a.CND", WalkExclusion::FieldMode));
    EXPECT_TRUE(isExcludedFile("a.c", WalkExclusion::FieldMode));
    EXPECT_TRUE(isExcludedFile("a.zi", WalkExclusion::FieldMode));
    EXPECT_FALSE(isExcludedFile("a.htm", WalkExclusion::FieldMode));
    EXPECT_FALSE(isExcludedFile("readme", WalkExclusion::FieldMode));
    EXPECT_TRUE(isExcludedFile("a.Cnd", WalkExclusion::TableMode));
    EXPECT_FALSE(isExcludedFile("a.zip", WalkExclusion::TableMode));
}

TEST(FolderWalk, MissingFolderGivesNothing)
{
    EXPECT_TRUE(walkedNames(testHome() + "absent", "*.*", WalkExclusion::FieldMode).isEmpty());
    EXPECT_TRUE(walkedNames("", "*.*", WalkExclusion::FieldMode).isEmpty());
}

TEST(DbMakerRun, RowsCarryTheFileNameInWalkOrder)
{
    const QString root = makeTree();
    ::mkfifo((root + "/sub2/pipe").toLocal8Bit().constData(), 0600);   // must not block the run
    QList<DbMakerRow> rows;
    DbMakerCallbacks callbacks;
    callbacks.row = [&](const DbMakerRow& row) { rows << row; };
    const DbMakerRunResult result = runDbMaker(mailSettings(root), callbacks);
    QStringList seen;
    for (const DbMakerRow& row : rows)
        seen << row.fileName + "=" + row.values.join(",");
    EXPECT_EQ(seen, (QStringList{"a.txt=a@one.org", "b.txt=b@one.org", "noext=n@one.org", "c.txt=c@two.org",
                                 "e.txt=e@two.org", "d.txt=d@three.org"}));
    EXPECT_FALSE(result.stopped);
    EXPECT_EQ(result.rows, 6);
    EXPECT_EQ(result.filesSkipped, 1);   // the pipe
}

TEST(DbMakerRun, StopEndsTheRunAtOnce)
{
    const QString root = makeTree();
    bool stop = false;
    int rows = 0;
    DbMakerCallbacks callbacks;
    callbacks.stop = &stop;
    callbacks.row = [&](const DbMakerRow&) {
        ++rows;
        stop = true;
    };
    const DbMakerRunResult result = runDbMaker(mailSettings(root), callbacks);
    EXPECT_TRUE(result.stopped);
    EXPECT_EQ(rows, 1);
}

TEST(DbMakerRun, NoNamedFieldRunsNothing)
{
    DbMakerSettings settings = mailSettings(makeTree());
    settings.fieldRows = {{" ", "^Find@"}};
    const DbMakerRunResult result = runDbMaker(settings, {});
    EXPECT_TRUE(result.noFields);
    EXPECT_EQ(result.filesRead, 0);
}

TEST(DbMakerRun, PumpIsCalledWhileALongRunGoesOn)
{
    const QString root = testHome() + "big";
    QDir().mkpath(root);
    QByteArray text;
    for (int i = 0; i < 400000; ++i)
        text += "line " + QByteArray::number(i) + " u" + QByteArray::number(i) + "@host.org\n";
    writeFileBytes(root + "/big.txt", text);
    int pumps = 0;
    DbMakerCallbacks callbacks;
    callbacks.pump = [&] { ++pumps; };
    const DbMakerRunResult result = runDbMaker(mailSettings(root), callbacks);
    EXPECT_EQ(result.rows, 400000);
    EXPECT_GT(pumps, 0);
    EXPECT_LT(pumps, 400000 / 10);   // every few milliseconds, not per record
}

const QByteArray tableFixture = "<html><table><tr><td>first</td></tr></table>\r\n"
                                "<TABLE border=1>\r\n"
                                "<tr><th>Head</th><td>A&nbsp;B</td><td class=x><b>Bold</b>\ttext</td></tr>\r\n"
                                "<tr><td></td><td>  </td></tr>\r\n"
                                "<tr><td>outer<table><tr><td>inner</td></tr></table>end</td><td>2</td></TR>\r\n"
                                "<tr><td>last&NBSP</td><td>x > y</td><td>cut <here</td></tr>\r\n"
                                "</table><table><tr><td>third</td></tr></table>";

TEST(HtmlTable, RowsOfTheChosenTableOnly)
{
    const QList<QStringList> rows = htmlTableRows(tableFixture, lowerAscii(tableFixture), 2);
    EXPECT_EQ(rows, (QList<QStringList>{{"AB", "Boldtext"}, {"", "  "}, {"outerinnerend", "2"}, {"last", "x > y", "cut "}}))
        << rows.size();
    EXPECT_EQ(htmlTableRows(tableFixture, lowerAscii(tableFixture), 1), (QList<QStringList>{{"first"}}));
    EXPECT_TRUE(htmlTableRows(tableFixture, lowerAscii(tableFixture), 5).isEmpty());
    EXPECT_TRUE(htmlTableRows(tableFixture, lowerAscii(tableFixture), 0).isEmpty());
}

TEST(HtmlTable, UnclosedTagsEndAtTheTable)
{
    const QByteArray text = "<table><tr><td>a<td>b";
    EXPECT_EQ(htmlTableRows(text, lowerAscii(text), 1), (QList<QStringList>{{"ab"}}));
}

struct DelimitedCase {
    const char* name;
    QString line;
    DelimitedRule rule;
    QStringList values;
};

class DelimitedTest : public ::testing::TestWithParam<DelimitedCase> {};

TEST_P(DelimitedTest, Splits)
{
    EXPECT_EQ(splitDelimitedLine(GetParam().line, ';', GetParam().rule), GetParam().values);
}

INSTANTIATE_TEST_SUITE_P(
    Rules, DelimitedTest,
    ::testing::Values(
        DelimitedCase{"plain", " a ;;b;", DelimitedRule::Plain, {"a", "", "b"}},
        DelimitedCase{"several_as_one", "a;;b", DelimitedRule::SeveralAsOne, {"a", "b"}},
        DelimitedCase{"several_untrimmed", " a ;;; b", DelimitedRule::SeveralAsOne, {" a ", " b"}},
        DelimitedCase{"several_trailing", "a;;", DelimitedRule::SeveralAsOne, {"a", ""}},
        DelimitedCase{"several_leading", ";a", DelimitedRule::SeveralAsOne, {"", "a"}},
        DelimitedCase{"several_final_character", "a;b", DelimitedRule::SeveralAsOne, {"a", "b"}},
        DelimitedCase{"quoted_keeps_delimiter", "\"x;y\" rest; b ", DelimitedRule::QuoteAware, {"x;y", "b"}},
        DelimitedCase{"quoted_trailing_blanks", "a; ", DelimitedRule::QuoteAware, {"a", ""}},
        DelimitedCase{"quoted_trailing_delimiter", "a;", DelimitedRule::QuoteAware, {"a"}},
        DelimitedCase{"quote_unclosed", "\"a;b", DelimitedRule::QuoteAware, {"a;b"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(DbMakerRun, TableAndDelimitedModesWalkTheSameFolder)
{
    const QString root = testHome() + "modes";
    QDir().mkpath(root);
    writeFileBytes(root + "/page.htm", "<table><tr><td>x</td><td>y</td></tr></table>");
    writeFileBytes(root + "/list.txt", "\xFF\xFE" + QByteArray("a\0;\0b\0\r\0\n\0", 10));
    writeFileBytes(root + "/p.cnd", "skip;me");
    DbMakerSettings settings;
    settings.folder = root;
    settings.searchTable = true;
    settings.tableMode = true;
    settings.delimitedMode = true;
    QStringList seen;
    DbMakerCallbacks callbacks;
    callbacks.row = [&](const DbMakerRow& row) { seen << row.fileName + "=" + row.values.join(","); };
    runDbMaker(settings, callbacks);
    EXPECT_EQ(seen, (QStringList{"page.htm=x,y", "list.txt=a,b", "page.htm=<table><tr><td>x</td><td>y</td></tr></table>"}));
}

}  // namespace
