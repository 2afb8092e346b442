// BookFileName: which book file an id opens, and names that would lead out of the folder.

#include "lists/address_book_file.h"
#include "lists/book_list_file.h"
#include "tests/lists/address_book_fixture.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>

namespace {

using namespace sorvanta::test;

struct NameCase {
    const char* name;
    int id;
    const char* expected;
};

class BookFileNameTest : public ::testing::TestWithParam<NameCase> {};

TEST_P(BookFileNameTest, NamesTheBookFile)
{
    const QString dir = testHome() + "books";
    writeLines(dir, "ListAB.lab",
               {bookListLine(1, "Friends", "friends"), bookListLine(2, "Up", "../outside"),
                bookListLine(3, "Slash", "sub/inner"), bookListLine(4, "Back", "sub\\inner"),
                bookListLine(5, "Empty", ""), bookListLine(6, "Dots", ".."), "7^Control^a\x01" "b^^^^"});
    EXPECT_EQ(BookFileName(dir, GetParam().id), QLatin1String(GetParam().expected));
}

INSTANTIATE_TEST_SUITE_P(Ids, BookFileNameTest,
                         ::testing::Values(NameCase{"zero", 0, "Default"}, NameCase{"negative", -2, "Default"},
                                           NameCase{"unknown", 42, "Default"}, NameCase{"found", 1, "friends"},
                                           NameCase{"parent", 2, "Default"}, NameCase{"slash", 3, "Default"},
                                           NameCase{"backslash", 4, "Default"}, NameCase{"empty", 5, "Default"},
                                           NameCase{"dots", 6, "Default"}, NameCase{"control", 7, "Default"}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(BookFile, UnsafeNameNeverOpensOrCreatesOutside)
{
    const QString dir = testHome() + "inner";
    writeLines(dir, "ListAB.lab", {bookListLine(2, "Up", "../outside")});
    {
        TABookFile book(dir, 2);
        EXPECT_EQ(QFileInfo(book.Store->FileName).fileName(), QStringLiteral("Default.abk"));
    }
    EXPECT_FALSE(QFileInfo::exists(testHome() + "outside.abk"));
    EXPECT_TRUE(QFileInfo::exists(dir + "/Default.abk"));
}

TEST(BookFile, BookFileIsFoundWithoutRegardToCaseOrCreated)
{
    const QString dir = testHome() + "cased";
    writeLines(dir, "ListAB.lab", {bookListLine(1, "Friends", "Friends"), bookListLine(2, "New", "new")});
    writeLines(dir, "FRIENDS.ABK", {contactLine(1), contactLine(2)});
    {
        TABookFile friends(dir, 1);
        EXPECT_EQ(friends.Count(), 2);
        TABookFile missing(dir, 2);
        EXPECT_TRUE(missing.Eof());
    }
    EXPECT_FALSE(QFileInfo::exists(dir + "/Friends.abk"));
    EXPECT_TRUE(QFileInfo::exists(dir + "/new.abk"));
}

}  // namespace
