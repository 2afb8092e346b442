// The shared line stores of the record files: what a load keeps, that reading never changes a file, the one
// write (a missing file made empty), and which cursors share a store.

#include "lists/address_book_file.h"
#include "lists/book_list_file.h"
#include "lists/low_file.h"
#include "tests/lists/address_book_fixture.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>

namespace {

using namespace sorvanta::test;

QString folder(const QString& name)
{
    const QString path = testHome() + name;
    QDir().mkpath(path);
    return path;
}

TEST(LowFile, LoadDropsLinesWithoutIdAndKeepsTheFile)
{
    const QString dir = folder("book");
    const QByteArray bytes = "3^Ann^ann\r\nword^Bad^bad\n0^Zero^zero\rno caret\r\n\r\n  9 ^Nine^nine\n-4^Neg^neg\n"
                             "99 bottles^x^x\r\n5^Five^five";
    writeFileBytes(QDir(dir).filePath("ListAB.lab"), bytes);
    {
        TListABFile list(dir);
        ASSERT_TRUE(list.Store->Loaded);
        EXPECT_EQ(list.Count(), 3);
        EXPECT_EQ(list.MaxId(), 9);
        QStringList names;
        for (list.First(); !list.Eof(); list.Next())
            names << list.DisplayName();
        EXPECT_EQ(names, QStringList({"Ann", "Nine", "Five"}));
    }
    EXPECT_TRUE(OpenLowFiles().empty());
    EXPECT_EQ(readFileBytes(QDir(dir).filePath("ListAB.lab")), bytes);
}

TEST(LowFile, MissingFileIsCreatedEmptyWithItsFolders)
{
    const QString dir = testHome() + "a/b/c";
    {
        TListABFile list(dir);
        EXPECT_TRUE(list.Store->Loaded);
        EXPECT_TRUE(list.Eof());
    }
    const QFileInfo made(dir + "/ListAB.lab");
    EXPECT_TRUE(made.isFile());
    EXPECT_EQ(made.size(), 0);
}

TEST(LowFile, ListIsFoundWithoutRegardToCase)
{
    const QString dir = folder("cased");
    writeLines(dir, "listab.LAB", {bookListLine(4, "Friends", "friends")});
    TListABFile list(dir);
    EXPECT_EQ(list.Count(), 1);
    EXPECT_FALSE(QFileInfo::exists(dir + "/ListAB.lab"));
}

TEST(LowFile, TwoCursorsShareOneStore)
{
    const QString dir = folder("shared");
    writeLines(dir, "ListAB.lab", {bookListLine(1, "One", "one"), bookListLine(2, "Two", "two")});
    auto first = std::make_unique<TListABFile>(dir);
    {
        TListABFile second(dir);
        EXPECT_EQ(second.Store, first->Store);
        EXPECT_EQ(first->Store->RefCount, 2);
        EXPECT_TRUE(second.Locate(2));
        EXPECT_EQ(first->Id, 1);   // each cursor keeps its own place
    }
    EXPECT_EQ(first->Store->RefCount, 1);
    first.reset();
    EXPECT_TRUE(OpenLowFiles().empty());
}

TEST(LowFile, UnreadableStoreNeverHidesAGoodOne)
{
    const QString bad = folder("bad");
    QDir().mkpath(bad + "/ListAB.lab");   // a folder where the file should be: it exists and cannot be read
    const QString good = folder("good");
    writeLines(good, "ListAB.lab", {bookListLine(1, "Good", "good")});
    TListABFile unreadable(bad);
    EXPECT_FALSE(unreadable.Store->Loaded);
    EXPECT_FALSE(unreadable.Store->loadError.isEmpty());
    EXPECT_TRUE(unreadable.Eof());
    TListABFile readable(good);
    EXPECT_NE(readable.Store, unreadable.Store);
    EXPECT_EQ(readable.DisplayName(), QStringLiteral("Good"));
}

TEST(LowFile, UnloadedStoreIsFreedOnRelease)
{
    const QString bad = folder("bad");
    QDir().mkpath(bad + "/ListAB.lab");
    {
        TListABFile a(bad);
        TListABFile b(bad);
        EXPECT_EQ(a.Store, b.Store);
        EXPECT_EQ(OpenLowFiles().size(), 1u);
    }
    EXPECT_TRUE(OpenLowFiles().empty());
}

TEST(LowFile, TwoFoldersAtOnceEachSeeTheirOwnList)
{
    const QString one = folder("one");
    const QString two = folder("two");
    writeLines(one, "ListAB.lab", {bookListLine(1, "First folder", "a")});
    writeLines(two, "ListAB.lab", {bookListLine(1, "Second folder", "b")});
    TListABFile a(one);
    TListABFile b(two);
    EXPECT_NE(a.Store, b.Store);
    EXPECT_EQ(a.DisplayName(), QStringLiteral("First folder"));
    EXPECT_EQ(b.DisplayName(), QStringLiteral("Second folder"));
}

TEST(LowFile, BooksOfOneFileWithOtherOwnersDoNotShare)
{
    const QString dir = folder("owners");
    writeLines(dir, "Default.abk", {contactLine(1)});
    TABookFile none(dir, 0);
    TABookFile unknown(dir, 77);   // not in the list: "Default" too
    EXPECT_EQ(none.Store->FileName, unknown.Store->FileName);
    EXPECT_NE(none.Store, unknown.Store);
    EXPECT_EQ(none.Count(), 1);
    EXPECT_EQ(unknown.Count(), 1);
}

TEST(LowFile, DecodesLegacyAndUtf16Lines)
{
    const QString dir = folder("codes");
    writeFileBytes(dir + "/ListAB.lab", "1^Caf\xe9^cafe\r\n2^Na\xc3\xafve^naive\r\n");
    {
        TListABFile list(dir);
        EXPECT_EQ(list.DisplayName(), QString::fromUtf8("Caf\xc3\xa9"));
        list.Next();
        EXPECT_EQ(list.DisplayName(), QString::fromUtf8("Na\xc3\xafve"));
    }
    const QString wide = folder("wide");
    const QString text = QStringLiteral("1^\u00c5sa^asa\r\n");
    QByteArray bytes("\xff\xfe");
    bytes += QByteArray(reinterpret_cast<const char*>(text.utf16()), text.size() * 2);
    writeFileBytes(wide + "/ListAB.lab", bytes);
    TListABFile list(wide);
    EXPECT_EQ(list.DisplayName(), QStringLiteral("\u00c5sa"));
}

}  // namespace
