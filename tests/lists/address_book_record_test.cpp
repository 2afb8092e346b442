// A contact line read into TAbook, and its fields by name.

#include "lists/address_book_record.h"
#include "lists/record_locale.h"
#include "tests/lists/address_book_fixture.h"

#include <gtest/gtest.h>

namespace {

using sorvanta::test::contactLine;

const RecordLocale kLocale{QStringLiteral("dd/MM/yyyy"), u'.'};

TEST(AddressBookRecord, EscapedCaretAndClearedFields)
{
    ScopedRecordLocale locale(kLocale);
    TAbook record;
    record.Strings[5] = QStringLiteral("stale");
    record.BLOCKED = true;
    AbookParseLine(record, QStringLiteral("12^0^0^0^^^^^^^^^^^^^^Ann#5EB"));
    EXPECT_EQ(record.Id, 12);
    EXPECT_EQ(record.Strings[0], QStringLiteral("Ann^B"));
    EXPECT_EQ(AbookGetField(record, QStringLiteral("LN")), QStringLiteral("Ann^B"));
    for (int i = 1; i < AbookStringCount; ++i)
        EXPECT_TRUE(record.Strings[i].isEmpty()) << AbookStringNames[i];
    EXPECT_EQ(record.BIRTHDAY, 0.0);
    EXPECT_FALSE(record.BLOCKED);
}

TEST(AddressBookRecord, FieldsByName)
{
    ScopedRecordLocale locale(kLocale);
    TAbook record;
    const QByteArray line = contactLine(7, {{"HOMEEMAIL", "ann@example.com"}, {"VATID", "V1"}},
                                        {{"BIRTHDAY", "5/3/1980"}});
    AbookParseLine(record, QString::fromUtf8(line));
    record.STOPED = true;
    EXPECT_EQ(AbookGetField(record, QStringLiteral("homeEmail")), QStringLiteral("ann@example.com"));
    EXPECT_EQ(AbookGetField(record, QStringLiteral("VATID")), QStringLiteral("V1"));
    EXPECT_EQ(AbookGetField(record, QStringLiteral("birthday")), QStringLiteral("05/03/1980"));
    EXPECT_EQ(AbookGetField(record, QStringLiteral("DATEADDED")), QString());
    EXPECT_EQ(AbookGetField(record, QStringLiteral("STOPED")), QStringLiteral("T"));
    EXPECT_EQ(AbookGetField(record, QStringLiteral("BLOCKED")), QStringLiteral("F"));
    for (const char* none : {"PAYMENT", "NUMLICENSE", "ID", "VATSHIPPING", "SEEKBD", "NOSUCHNAME", ""})
        EXPECT_EQ(AbookGetField(record, QLatin1String(none)), QString()) << none;
}

TEST(AddressBookRecord, CatalogueRowMatchesFieldsByName)
{
    ScopedRecordLocale locale(kLocale);
    TAbook record;
    QMap<QString, QString> strings;
    for (const char* name : AbookStringNames)
        strings.insert(QLatin1String(name), QString::fromLatin1(name).toLower());
    AbookParseLine(record, QString::fromUtf8(contactLine(3, strings, {{"LASTUPDATE", "01/01/2001"}})));
    const QStringList row = abookCatalogueRow(record);
    ASSERT_EQ(row.size(), AbookColumnCount);
    for (int i = 0; i < AbookColumnCount; ++i)
        EXPECT_EQ(row.at(i), AbookGetField(record, QLatin1String(AbookColumnNames[i]))) << AbookColumnNames[i];
    EXPECT_EQ(row.at(0), QStringLiteral("homeemail"));
    EXPECT_EQ(row.at(8), QStringLiteral("01/01/2001"));
}

TEST(AddressBookRecord, ShortAndLongLines)
{
    TAbook record;
    AbookParseLine(record, QStringLiteral("5^1^2"));
    EXPECT_EQ(record.Id, 5);
    EXPECT_EQ(record.Integers[1], 2);
    EXPECT_EQ(record.Integers[2], 0);
    QString tooLong = QString::fromUtf8(contactLine(9, {{"VATID", "last"}}));
    tooLong += QStringLiteral("^extra^more");
    AbookParseLine(record, tooLong);
    EXPECT_EQ(record.Strings[AbookStringCount - 1], QStringLiteral("last"));
    AbookParseLine(record, QStringLiteral("x^y^z^1.5.6^") + QString(200000, u'a'));
    EXPECT_EQ(record.Id, 0);
    EXPECT_EQ(record.Amounts[0], 0.0);
}

}  // namespace
