// The record files' value codecs under a "." and a "," locale.

#include "lists/record_locale.h"
#include "lists/record_values.h"

#include <gtest/gtest.h>

#include <QDate>

namespace {

const RecordLocale kDotLocale{QStringLiteral("dd/MM/yyyy"), u'.'};
const RecordLocale kCommaLocale{QStringLiteral("dd.MM.yyyy"), u','};

double days(int year, int month, int day)
{
    return double(QDate(1899, 12, 30).daysTo(QDate(year, month, day)));
}

TEST(RecordValues, CaretEscapeIsUpperCaseOnly)
{
    EXPECT_EQ(EscapeCaret(QStringLiteral("Ann#5EB"), false), QStringLiteral("Ann^B"));
    EXPECT_EQ(EscapeCaret(QStringLiteral("Ann#5eB"), false), QStringLiteral("Ann#5eB"));
    EXPECT_EQ(EscapeCaret(QStringLiteral("a^b^"), true), QStringLiteral("a#5Eb#5E"));
    EXPECT_EQ(EscapeCaret(EscapeCaret(QStringLiteral("x^#5e"), true), false), QStringLiteral("x^#5e"));
}

TEST(RecordValues, IntegersAndFlags)
{
    EXPECT_EQ(readRecordInteger(u" 42 "), 42);
    EXPECT_EQ(readRecordInteger(u"-7"), -7);
    for (const char16_t* bad : {u"", u"4x", u"word", u"1.5", u"99999999999"})
        EXPECT_EQ(readRecordInteger(bad), 0) << QString::fromUtf16(bad).toStdString();
    EXPECT_TRUE(readRecordFlag(u"1"));
    EXPECT_TRUE(readRecordFlag(u" 1 "));
    for (const char16_t* no : {u"", u"0", u"T", u"true", u"11", u"-1"})
        EXPECT_FALSE(readRecordFlag(no)) << QString::fromUtf16(no).toStdString();
}

TEST(RecordValues, FloatsFollowTheDecimalSeparator)
{
    {
        ScopedRecordLocale dot(kDotLocale);
        EXPECT_EQ(writeRecordFloat(0), QString());
        EXPECT_EQ(writeRecordFloat(12.5), QStringLiteral("12.5"));
        EXPECT_EQ(writeRecordFloat(1.23456), QStringLiteral("1.2346"));
        EXPECT_EQ(readRecordFloat(u"12.5"), 12.5);
        EXPECT_EQ(readRecordFloat(u"12,5"), 0.0);   // no fallback under a "." locale
    }
    ScopedRecordLocale comma(kCommaLocale);
    EXPECT_EQ(writeRecordFloat(12.5), QStringLiteral("12,5"));
    EXPECT_EQ(readRecordFloat(u"12,5"), 12.5);
    EXPECT_EQ(readRecordFloat(u"12.5"), 12.5);
    for (const char16_t* bad : {u"", u"abc", u"1,2,3", u"inf", u"nan", u"1e999"})
        EXPECT_EQ(readRecordFloat(bad), 0.0) << QString::fromUtf16(bad).toStdString();
}

TEST(RecordValues, DatesZeroAndBelowWriteNothing)
{
    ScopedRecordLocale dot(kDotLocale);
    EXPECT_EQ(writeRecordDate(0), QString());
    EXPECT_EQ(writeRecordDate(-3), QString());
    EXPECT_EQ(writeRecordDate(days(2024, 3, 5)), QStringLiteral("05/03/2024"));
    EXPECT_EQ(readRecordDate(writeRecordDate(days(1999, 12, 31))), days(1999, 12, 31));
}

struct DateCase {
    const char* name;
    const char* format;
    const char16_t* text;
    int year, month, day;   // 0: reads as 0
};

class RecordDateTest : public ::testing::TestWithParam<DateCase> {};

TEST_P(RecordDateTest, ReadsLeniently)
{
    const DateCase& c = GetParam();
    ScopedRecordLocale locale({QLatin1String(c.format), u'.'});
    EXPECT_EQ(readRecordDate(c.text), c.year ? days(c.year, c.month, c.day) : 0.0);
}

INSTANTIATE_TEST_SUITE_P(
    Dates, RecordDateTest,
    ::testing::Values(DateCase{"full", "dd/MM/yyyy", u"05/03/2024", 2024, 3, 5},
                      DateCase{"one_digit_day_month", "dd/MM/yyyy", u"5/3/2024", 2024, 3, 5},
                      DateCase{"two_digit_year_20xx", "dd/MM/yyyy", u"5/3/24", 2024, 3, 5},
                      DateCase{"two_digit_year_19xx", "dd/MM/yyyy", u"5/3/87", 1987, 3, 5},
                      DateCase{"month_first", "M/d/yy", u"12/31/1999", 1999, 12, 31},
                      DateCase{"year_first", "yyyy-MM-dd", u"2001-02-03", 2001, 2, 3},
                      DateCase{"dotted_with_blanks", "dd.MM.yyyy", u" 1.2.2003 ", 2003, 2, 1},
                      DateCase{"empty", "dd/MM/yyyy", u"", 0, 0, 0},
                      DateCase{"no_such_day", "dd/MM/yyyy", u"31/02/2020", 0, 0, 0},
                      DateCase{"three_digit_year", "dd/MM/yyyy", u"1/2/203", 0, 0, 0},
                      DateCase{"three_digit_day", "dd/MM/yyyy", u"001/2/2003", 0, 0, 0},
                      DateCase{"two_parts", "dd/MM/yyyy", u"1/2", 0, 0, 0},
                      DateCase{"four_parts", "dd/MM/yyyy", u"1/2/2003/4", 0, 0, 0},
                      DateCase{"letters", "dd/MM/yyyy", u"1/Feb/2003", 0, 0, 0},
                      DateCase{"huge_number", "dd/MM/yyyy", u"1/2/99999999999", 0, 0, 0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(RecordValues, LineIds)
{
    int id = -1;
    EXPECT_TRUE(ParseLineId(u" 12 ^x", id));
    EXPECT_EQ(id, 12);
    for (const char16_t* bad : {u"12", u"word^x", u"0^x", u"-3^x", u"^x", u""})
        EXPECT_FALSE(ParseLineId(bad, id)) << QString::fromUtf16(bad).toStdString();
}

}  // namespace
