// Expressions over a table's fields: the built-in functions as a table of cases, UPPER by the table's code
// page, key lengths raw and evaluated, the too-long key, partial matching and the field errors.

#include "dbase/dbf_error.h"
#include "dbase/dbf_file.h"
#include "dbase/dbf_parser.h"
#include "tests/dbase/dbf_builder.h"
#include "tests/support/test_files.h"

#include <QtEndian>

#include <gtest/gtest.h>

#include <memory>

using namespace dbftest;
using sorvanta::test::writeTestFile;

namespace {

const QList<FieldSpec> PeopleFields = {
    {"NAME", 'C', 10}, {"AMOUNT", 'N', 8, 2}, {"CNT", 'N', 4}, {"BORN", 'D', 8}, {"OK", 'L', 1}, {"NOTE", 'M', 10},
};

class DbfParserTest : public ::testing::Test {
protected:
    void open(quint8 language, const QByteArray& name)
    {
        const QByteArray bytes = TableBuilder(0x03, PeopleFields).language(language)
                                     .record({name, "  -12.50", "  42", "19690720", "T"}).bytes();
        table.Open(writeTestFile("people.dbf", bytes), TPagedFileMode::pfReadOnly);
        ASSERT_TRUE(table.readRecord(1, record));
    }
    QByteArray text(TDbfParser& parser, const QByteArray& expression)
    {
        parser.ParseExpression(expression);
        return parser.ExtractFromBuffer(record).written().toByteArray();
    }

    TDbfFile table;
    QByteArray record;
};

struct FunctionCase {
    const char* expression;
    const char* expected;
};

class FunctionTest : public DbfParserTest, public ::testing::WithParamInterface<FunctionCase> {};

TEST_P(FunctionTest, GivesTheText)
{
    open(0x57, "Smith");
    TDbfParser parser(table);
    EXPECT_EQ(text(parser, GetParam().expression), GetParam().expected) << GetParam().expression;
}

INSTANTIATE_TEST_SUITE_P(Functions, FunctionTest, ::testing::Values(
    FunctionCase{"STR(3.14159, 8, 2)", "    3.14"},
    FunctionCase{"STR(5.25)", "5"},
    FunctionCase{"STR(5)", "5"},
    FunctionCase{"STR(-5)", "-5"},
    FunctionCase{"STR(CNT, 6)", "    42"},
    FunctionCase{"STR(CNT, 4, 2)", "  42.00"},
    FunctionCase{"STR(AMOUNT, 8, 1)", "   -12.5"},
    FunctionCase{"STR(AMOUNT, 2)", "**"},          // does not fit: the width in stars
    FunctionCase{"STR(12345, 3)", "***"},
    FunctionCase{"STR(-123, 3)", "***"},
    FunctionCase{"STR(-12, 3)", "-12"},
    FunctionCase{"STR(1234567.891, 0)", ""},
    FunctionCase{"STR(123456789012345678901.5)", "123456789012345683"},   // cut to 18 characters
    FunctionCase{"SUBSTR('abc', 2, 5)", "bc"},
    FunctionCase{"SUBSTR('abc', 0, 2)", "ab"},
    FunctionCase{"SUBSTR('abc', -5, 1)", "a"},
    FunctionCase{"SUBSTR('abc', 4, 1)", ""},
    FunctionCase{"SUBSTR('abc', 2, -1)", ""},
    FunctionCase{"SUBS(NAME, 2, 3)", "mit"},
    FunctionCase{"DTOS(BORN)", "19690720"},
    FunctionCase{"DTOS(BORN) + NAME", "19690720Smith     "},
    FunctionCase{"UPPER(NAME) + LOWER('ABC')", "SMITH     abc"},
    FunctionCase{"UPPERCASE('m\xfcller')", "M\xdcLLER"},
    FunctionCase{"STR(CNT * 2 - 4 / 2, 5)", "   82"}),
    [](const auto& info) { return "case" + std::to_string(info.index); });

// Raw fields hold the table's own bytes, so case follows the table's page, not the system's.
TEST_F(DbfParserTest, UpperFollowsTheTablesCodePage)
{
    open(0x65, "\xa8\xa2\xa0\xad");   // "ivan" in Cyrillic, code page 866
    TDbfParser parser(table);
    EXPECT_EQ(text(parser, "UPPER(NAME)"), QByteArray("\x88\x82\x80\x8d      "));
    EXPECT_EQ(text(parser, "LOWER(UPPER(NAME))"), QByteArray("\xa8\xa2\xa0\xad      "));
}

TEST_F(DbfParserTest, KeyLengthRawAndEvaluated)
{
    open(0x57, "Smith");
    TDbfIndexParser parser(table);
    const struct {
        const char* expression;
        int length;
    } cases[] = {{"NAME", 10}, {" name ", 10}, {"UPPER(NAME)", 10}, {"NAME + DTOS(BORN)", 18}, {"CNT", 4},
                 {"AMOUNT", 8}, {"BORN", 8}, {"OK", 1}, {"STR(CNT, 100)", 100}, {"SUBSTR(NAME, 1, 3)", 3}};
    for (const auto& c : cases) {
        parser.ParseExpression(c.expression);
        EXPECT_EQ(parser.KeyLength(), c.length) << c.expression;
    }
    TDbfParser plain(table);
    plain.ParseExpression("UPPER(NAME)");
    EXPECT_EQ(plain.KeyLength(), -1);
    plain.setRawStringFields(false);
    EXPECT_EQ(text(plain, "NAME + '|'"), "Smith|");
}

TEST_F(DbfParserTest, KeyErrors)
{
    open(0x57, "Smith");
    TDbfIndexParser parser(table);
    const struct {
        const char* expression;
        const char* message;
    } cases[] = {
        {"STR(AMOUNT, 120)", "Index result for \"STR(AMOUNT, 120)\" too long, >100 characters (120)."},
        {"NAME + STR(CNT, 95)", "Index result for \"NAME + STR(CNT, 95)\" too long, >100 characters (105)."},
        {"UPPER(SURNAME)", "Index based on unknown field \"SURNAME\"."},
        {"NOTE", "Field \"NOTE\" is an invalid field type to base index on."},
    };
    for (const auto& c : cases) {
        try {
            parser.ParseExpression(c.expression);
            ADD_FAILURE() << c.expression;
        } catch (const EDbfError& error) {
            EXPECT_EQ(error.message().toStdString(), c.message);
        }
    }
    // Over the empty record every number is 0: a division raises instead of ending the process.
    EXPECT_THROW(parser.ParseExpression("STR(100 / CNT, 5)"), EParserException);
}

TEST_F(DbfParserTest, PartialMatching)
{
    open(0x57, "SMITH");
    const auto truth = [&](TDbfParser& parser, const QByteArray& expression) {
        parser.ParseExpression(expression);
        return parser.ExtractFromBuffer(record).bytes.at(0) != 0;
    };
    for (const bool caseInsensitive : {false, true}) {
        TDbfParser parser(table);
        parser.setCaseInsensitive(caseInsensitive);
        parser.setPartialMatch(true);
        EXPECT_TRUE(truth(parser, "SUBSTR(NAME,1,5) = 'SM*'"));
        EXPECT_TRUE(truth(parser, "SUBSTR(NAME,1,5) = '*TH'"));
        EXPECT_TRUE(truth(parser, "NAME = '*MI*'"));
        EXPECT_TRUE(truth(parser, "NAME = '*'"));
        EXPECT_FALSE(truth(parser, "NAME = 'SMITHSONIAN*'"));
        EXPECT_FALSE(truth(parser, "NAME = '*XY*'"));
        EXPECT_EQ(truth(parser, "LOWER(SUBSTR(NAME,1,5)) = 'SM*'"), caseInsensitive);
        EXPECT_EQ(truth(parser, "LOWER(SUBSTR(NAME,1,5)) = '*TH'"), caseInsensitive);
        EXPECT_EQ(truth(parser, "LOWER(NAME) = '*MI*'"), caseInsensitive);
        parser.setPartialMatch(false);
        EXPECT_FALSE(truth(parser, "NAME = 'SM*'"));
        EXPECT_TRUE(truth(parser, "NAME > 'SMALL' AND NAME <> 'X'"));
    }
}

}  // namespace
