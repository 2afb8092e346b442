// Tables written by python3-dbf (dBase III, FoxPro, Visual FoxPro with memos, code pages and null flags) read
// through the data set, and cross-checked with python3-dbfread where it is installed.

#include "dbase/dbf.h"
#include "dbase/field_text.h"
#include "tests/dbase/fixture_scripts.h"
#include "tests/support/test_home.h"

#include <gtest/gtest.h>

#include <QFile>

using namespace dbftest;

namespace {

class DbfFixturesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!QFile::exists("/usr/bin/python3"))
            GTEST_SKIP() << "no /usr/bin/python3";
        const auto [code, output] = runPython("make_fixtures.py", {sorvanta::test::testHome()});
        if (code == NotInstalled)
            GTEST_SKIP() << "python3-dbf is not installed";
        ASSERT_EQ(code, 0);
        fieldtext::setShortDateFormat("dd.MM.yyyy");
    }
    void TearDown() override { fieldtext::setShortDateFormat({}); }
    QString table(const QString& name) const { return sorvanta::test::testHome() + name; }
};

const QString LongMemo(1500, 'x');

TEST_F(DbfFixturesTest, DbaseThreeWithMemo)
{
    EXPECT_EQ(readThroughDataSet(table("iii.dbf")),
              QStringList({QString::fromUtf8("Zoë|12.5|02.01.2023|True|first memo"),
                           "Bob|-3|31.12.1999|False|" + LongMemo, "||||"}));
}

TEST_F(DbfFixturesTest, FoxProWithCodePage850)
{
    EXPECT_EQ(readThroughDataSet(table("fox.dbf")),
              QStringList({QString::fromUtf8("Müller|42|0.125|True|29.02.2020|Grüße"),
                           QString::fromUtf8("Ørsted|-7|-2.5|False||")}));
}

TEST_F(DbfFixturesTest, VisualFoxProWithNullFlags)
{
    EXPECT_EQ(readThroughDataSet(table("vfp.dbf")),
              QStringList({QString::fromUtf8("Жук|1.5|2.25|7|06.05.2020 07:08:09|память"),
                           "|||0||", "|0|0|-1||end"}));
}

// The independent reader agrees wherever it knows the field (it does not read null flags, so the record of
// nulls is compared where it has values).
TEST_F(DbfFixturesTest, IndependentReaderAgrees)
{
    for (const QString name : {"iii.dbf", "fox.dbf", "vfp.dbf"}) {
        const auto [code, output] = runPython("read_with_dbfread.py", {table(name)});
        if (code == NotInstalled)
            GTEST_SKIP() << "python3-dbfread is not installed";
        ASSERT_EQ(code, 0) << name.toStdString();
        QStringList expected = output.split('\n', Qt::SkipEmptyParts);
        QStringList ours = readThroughDataSet(table(name));
        if (name == "vfp.dbf")
            expected.removeAt(1), ours.removeAt(1);
        EXPECT_EQ(ours, expected) << name.toStdString();
    }
}

}  // namespace
