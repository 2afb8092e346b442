// Rows handed back as comma texts read back unchanged.

#include "lists/comma_text.h"

#include <gtest/gtest.h>

TEST(CommaText, ValuesSurviveTheRoundTrip)
{
    const QList<QStringList> rows{{"plain", "with blank", "say \"hi\"", "a,b", ""},
                                  {"", "x"},
                                  {"trailing", ""},
                                  {"'single'", " lead", "tab\there"}};
    for (const QStringList& values : rows)
        EXPECT_EQ(commaTextValues(valuesCommaText(values)), values) << valuesCommaText(values).toStdString();
}

TEST(CommaText, QuotesOnlyWhatNeedsIt)
{
    EXPECT_EQ(valuesCommaText({"a", "b c", "d\"e", "f,g"}), QStringLiteral("a,\"b c\",\"d\"\"e\",\"f,g\""));
}
