// Tables whose language byte is 0, as LibreOffice, R, GDAL and libxbase64 write them (here written by Perl's
// XBase module): the page a ".cpg" file beside them names, UTF-8 found in the text, the default page 866
// otherwise; the memo layout taken from the version byte. Cross-read with python3-dbfread.

#include "dbase/code_page_file.h"
#include "dbase/utf8_probe.h"
#include "tests/dbase/fixture_scripts.h"
#include "tests/support/test_files.h"

#include <gtest/gtest.h>

#include <QFile>

using namespace dbftest;
using sorvanta::test::testHome;
using sorvanta::test::writeTestFile;

namespace {

struct NameCase {
    const char* text;
    int codePage;
};

TEST(CodePageFile, NamesAsGisAndSpreadsheetProgramsWriteThem)
{
    const NameCase cases[] = {
        {"UTF-8", 65001}, {"utf-8\r\n", 65001}, {"UTF8", 65001}, {"\xEF\xBB\xBFUTF-8", 65001}, {"65001", 65001},
        {"1252", 1252}, {"ANSI 1251", 1251}, {"ansi 1252\n", 1252}, {"CP1252", 1252}, {"cp866", 866},
        {"windows-1250", 1250}, {"OEM 850", 850}, {"ISO-8859-1", 28591}, {"iso8859-2", 28592},
        {"88591", 28591}, {"8859-5", 28595}, {"885915", 28605}, {"ISO 8859-15", 28605}, {"LDID/87", 1252},
        {"LDID/38", 866}, {"KOI8-R", 20866}, {"Big5", 950}, {"  GB2312  ", 936},
        {"", 0}, {"\n", 0}, {"unicode", 0}, {"ANSI 9999", 0}, {"8859-99", 0}, {"LDID/0", 0}, {"LDID/x", 0},
    };
    for (const NameCase& c : cases)
        EXPECT_EQ(codepagefile::codePageOfName(c.text), c.codePage) << c.text;
}

struct FormCase {
    const char* name;
    QByteArray bytes;
    Utf8Form form;
};

TEST(Utf8Probe, ValidUtf8BeyondAsciiOnly)
{
    const FormCase cases[] = {
        {"ascii", "Plain text     ", Utf8Form::Ascii},
        {"german", "J\xC3\xBCrgen M\xC3\xBCller", Utf8Form::Utf8},
        {"japanese_and_emoji", "\xE5\xB1\xB1\xE7\x94\xB0 \xF0\x9F\x98\x80", Utf8Form::Utf8},
        {"cut_by_the_field_end", "M\xC3\xBCller \xE6\x9D", Utf8Form::Utf8},
        {"only_a_cut_lead_is_no_evidence", "caf\xE9", Utf8Form::Ascii},
        {"cp1252", "M\xFCller K\xF6ln", Utf8Form::Invalid},
        {"cp866", "\x88\xA2\xA0\xAD", Utf8Form::Invalid},
        {"cp1251", "\xC8\xE2\xE0\xED", Utf8Form::Invalid},
        {"overlong", "\xC0\xAF", Utf8Form::Invalid},
        {"surrogate", "\xED\xA0\x80", Utf8Form::Invalid},
        {"past_u10ffff", "\xF4\x90\x80\x80", Utf8Form::Invalid},
        {"lone_continuation", "a\x80z", Utf8Form::Invalid},
    };
    for (const FormCase& c : cases)
        EXPECT_EQ(utf8FormOf(c.bytes), c.form) << c.name;
}

class XBaseTablesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!QFile::exists("/usr/bin/perl"))
            GTEST_SKIP() << "no /usr/bin/perl";
        const auto [code, output] = runScript("/usr/bin/perl", "make_xbase_fixtures.pl", {testHome()});
        if (code == NotInstalled)
            GTEST_SKIP() << "libdbd-xbase-perl is not installed";
        ASSERT_EQ(code, 0);
    }
    static QString table(const QString& name) { return testHome() + name; }
    // A copy of a fixture table with a ".cpg" file of the given text beside it.
    static QString withCodePageFile(const QString& fixture, const QString& copy, const QByteArray& cpgName,
                                    const QByteArray& cpgText)
    {
        QFile::remove(table(copy));
        EXPECT_TRUE(QFile::copy(table(fixture), table(copy)));
        writeTestFile(cpgName, cpgText);
        return table(copy);
    }
};

const QStringList Utf8People{QString::fromUtf8("Jürgen Müller|Köln"), QString::fromUtf8("Paweł Łódź|Gdańsk"),
                             QString::fromUtf8("山田太郎|東京"), QString::fromUtf8("Ana 😀|Río"), "Plain|Ascii"};
const QStringList LatinPeople{QString::fromUtf8("Jürgen Müller|Köln"), QString::fromUtf8("Zoë O'Neil|São Paulo"),
                              QString::fromUtf8("Ana|Río")};
const QStringList Russian{QString::fromUtf8("Иван Петров|Москва")};

TEST_F(XBaseTablesTest, TextInUtf8IsFoundWithoutACodePageFile)
{
    EXPECT_EQ(readThroughDataSet(table("utf8.dbf")), Utf8People);
    EXPECT_EQ(readThroughDataSet(table("oem.dbf")), Russian + QStringList{"Plain|Ascii"});   // the default 866
}

TEST_F(XBaseTablesTest, CodePageFileNamesThePageInEverySpelling)
{
    int copy = 0;
    for (const QByteArray cpg : {"1252", "ANSI 1252", "cp1252", "Windows-1252", "ISO-8859-1", "88591"}) {
        const QString name = QStringLiteral("latin%1").arg(++copy);
        EXPECT_EQ(readThroughDataSet(withCodePageFile("latin.dbf", name + ".dbf", name.toUtf8() + ".cpg", cpg)),
                  LatinPeople)
            << cpg.constData();
    }
    EXPECT_EQ(readThroughDataSet(withCodePageFile("cyr.dbf", "CYR2.DBF", "cyr2.CPG", "ANSI 1251\r\n")), Russian);
    // The file beats the guess: UTF-8 text with a ".cpg" saying 1252 reads as 1252.
    const QStringList mojibake = readThroughDataSet(withCodePageFile("utf8.dbf", "u.dbf", "u.cpg", "1252"));
    EXPECT_EQ(mojibake.value(0), QString::fromUtf8("JÃ¼rgen MÃ¼ller|KÃ¶ln"));
}

TEST_F(XBaseTablesTest, LanguageByteThatNamesAPageKeepsIt)
{
    EXPECT_EQ(readThroughDataSet(withCodePageFile("named.dbf", "n.dbf", "n.cpg", "UTF-8")), Russian);
}

// Version 0x8B with language byte 0: dBase IV memos, read as other readers read them.
TEST_F(XBaseTablesTest, MemoLayoutComesFromTheVersionByte)
{
    const QStringList memo4{"Anna|Hello", "Bob|" + QString(700, 'x'), QString::fromUtf8("Clara|Grüße aus Köln"),
                            "Dan|"};
    EXPECT_EQ(readThroughDataSet(table("memo4.dbf")), memo4);
    EXPECT_EQ(readThroughDataSet(table("memo3.dbf")), QStringList({"Anna|Hello", "Bob|" + QString(600, 'y')}));

    const auto [code, output] = runPython("read_with_dbfread.py", {table("memo4.dbf"), "utf-8"});
    if (code == NotInstalled)
        GTEST_SKIP() << "python3-dbfread is not installed";
    ASSERT_EQ(code, 0);
    // dbfread takes the stated length as the data's, so it reads the 8 zero bytes of padding after each memo.
    QString independent = output;
    independent.remove(QChar(0));
    EXPECT_EQ(independent.split('\n', Qt::SkipEmptyParts), memo4);
}

TEST_F(XBaseTablesTest, IndependentReaderAgreesOnText)
{
    for (const auto& [name, encoding] : {std::pair{"utf8.dbf", "utf-8"}, std::pair{"oem.dbf", "cp866"}}) {
        const auto [code, output] = runPython("read_with_dbfread.py", {table(name), encoding});
        if (code == NotInstalled)
            GTEST_SKIP() << "python3-dbfread is not installed";
        ASSERT_EQ(code, 0);
        EXPECT_EQ(readThroughDataSet(table(name)), output.split('\n', Qt::SkipEmptyParts)) << name;
    }
}

}  // namespace
