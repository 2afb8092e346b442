// The reopen list's rules: newest first, at most 10, exact comparison, and its "setupprj.ini" file.

#include "core/frame/reopen_list.h"
#include "tests/support/test_files.h"
#include "tests/support/test_home.h"

#include <gtest/gtest.h>

namespace {

using sorvanta::test::readFileBytes;
using sorvanta::test::writeFileBytes;

QStringList numbered(int count)
{
    QStringList paths;
    for (int i = 0; i < count; ++i)
        paths << QStringLiteral("/projects/p%1.eml").arg(i);
    return paths;
}

TEST(ReopenList, AddPutsNewestOnTopAndMovesAKnownPath)
{
    ReopenList list;
    list.add("/a.eml");
    list.add("/b.eml");
    list.add("/c.eml");
    list.add("/a.eml");
    EXPECT_EQ(list.paths(), QStringList({"/a.eml", "/c.eml", "/b.eml"}));
}

TEST(ReopenList, PathsThatDifferInLetterCaseAreDifferentFilesAndKeepTheirCase)
{
    ReopenList list;
    list.add("/Work/Mail.eml");
    list.add("/work/mail.eml");
    EXPECT_EQ(list.paths(), QStringList({"/work/mail.eml", "/Work/Mail.eml"}));
}

TEST(ReopenList, EmptyPathIsIgnored)
{
    ReopenList list;
    list.add("/a.eml");
    list.add(QString());
    EXPECT_EQ(list.paths(), QStringList({"/a.eml"}));
}

TEST(ReopenList, EleventhPathDropsTheOldestButAKnownOneDropsNothing)
{
    ReopenList list;
    for (const QString& path : numbered(10))
        list.add(path);
    list.add("/projects/p3.eml");
    EXPECT_EQ(list.paths().size(), 10);
    EXPECT_EQ(list.paths().last(), "/projects/p0.eml");

    list.add("/projects/new.eml");
    EXPECT_EQ(list.paths().size(), 10);
    EXPECT_EQ(list.paths().first(), "/projects/new.eml");
    EXPECT_FALSE(list.paths().contains("/projects/p0.eml"));
}

TEST(ReopenList, LinesGiveTheFirstTenWithLineZeroOnTop)
{
    ReopenList list;
    list.setLines(numbered(12));
    EXPECT_EQ(list.paths(), numbered(10));
}

TEST(ReopenList, RepeatedAndEmptyLinesCollapse)
{
    ReopenList list;
    list.setLines({"/a.eml", "", "/b.eml", "/a.eml"});
    EXPECT_EQ(list.paths(), QStringList({"/a.eml", "/b.eml"}));
}

TEST(ReopenList, MissingFileGivesAnEmptyList)
{
    ReopenList list;
    list.load();
    EXPECT_TRUE(list.isEmpty());
    EXPECT_EQ(ReopenList::filePath(), sorvanta::test::testHome() + "setupprj.ini");
}

TEST(ReopenList, SavesOnePathALineTopFirstAndReadsItBack)
{
    ReopenList list;
    list.add("/old/One.eml");
    list.add("/new/Two & more.eml");
    QString error;
    ASSERT_TRUE(list.save(&error)) << error.toStdString();
    EXPECT_EQ(readFileBytes(ReopenList::filePath()), QByteArray("/new/Two & more.eml\r\n/old/One.eml\r\n"));

    ReopenList again;
    again.load();
    EXPECT_EQ(again.paths(), list.paths());
}

TEST(ReopenList, ReadsFilesWithAnyLineEnd)
{
    writeFileBytes(ReopenList::filePath(), "/a.eml\n/b.eml\r/c.eml\r\n");
    ReopenList list;
    list.load();
    EXPECT_EQ(list.paths(), QStringList({"/a.eml", "/b.eml", "/c.eml"}));
}

}  // namespace
