// Language ids and driver names both ways, text translation through the code-page service, and the
// collation registry.

#include "dbase/collation.h"
#include "dbase/language_drivers.h"
#include "dbase/text_translation.h"
#include "platform/code_page.h"

#include <gtest/gtest.h>

namespace {

TEST(LanguageDriverTest, IdsGiveCodePages)
{
    EXPECT_EQ(languagedriver::codePageOfId(0x57), 1252);
    EXPECT_EQ(languagedriver::codePageOfId(0x65), 866);
    EXPECT_EQ(languagedriver::codePageOfId(0x26), 866);
    EXPECT_EQ(languagedriver::codePageOfId(0xC9), 1251);
    EXPECT_EQ(languagedriver::codePageOfId(0x7D), 1255);
    EXPECT_EQ(languagedriver::codePageOfId(0x00), 0);
    EXPECT_EQ(languagedriver::codePageOfId(0x300), 0);
    EXPECT_TRUE(languagedriver::isFoxProId(0x03));
    EXPECT_TRUE(languagedriver::isFoxProId(0x65));
    EXPECT_FALSE(languagedriver::isFoxProId(0x57));
}

struct NameCase {
    const char* name;
    QByteArray driverName;
    int codePage;
    int languageId;
};

class DriverNameTest : public ::testing::TestWithParam<NameCase> {};

TEST_P(DriverNameTest, NameGivesCodePageAndId)
{
    EXPECT_EQ(languagedriver::codePageOfDriverName(GetParam().driverName), GetParam().codePage);
    EXPECT_EQ(languagedriver::languageIdOfDriverName(GetParam().driverName), GetParam().languageId);
}

INSTANTIATE_TEST_SUITE_P(Names, DriverNameTest, ::testing::Values(
    NameCase{"windows_us", "DBWINUS0", 1252, 0x57},
    NameCase{"western_europe", "DBWINWE0", 1252, 0x58},
    NameCase{"oem_german", "DB437DE0", 437, 0x0F},
    NameCase{"lower_case_russian", "db866ru0", 866, 0x26},
    NameCase{"hebrew", "dbHebrew", 1255, 0x7D},
    NameCase{"foxpro_german", "FOXDE437", 437, 0x5E},
    NameCase{"foxpro_windows", "FOXDEWIN", 1252, 0x61},
    NameCase{"unknown", "XYZ", 0, 0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(LanguageDriverTest, DriverNamesFromCodePageAndLocale)
{
    EXPECT_EQ(languagedriver::driverNameFor(1252, 0x0409, false), "DBWINUS0");
    EXPECT_EQ(languagedriver::driverNameFor(437, 0x0407, false), "DB437DE0");
    EXPECT_EQ(languagedriver::driverNameFor(1252, 0x0407, true), "FOXDEWIN");
    EXPECT_EQ(languagedriver::driverNameFor(868, 0x0402, false), "BGDB868");
    // Names written are names read back.
    for (const QByteArray name : {QByteArray("DBWINUS0"), QByteArray("DB437DE0"), QByteArray("FOXDEWIN")})
        EXPECT_EQ(languagedriver::codePageOfDriverName(name),
                  languagedriver::codePageOfId(languagedriver::languageIdOfDriverName(name))) << name.constData();
}

TEST(LanguageDriverTest, LanguageIdForCodePagePrefersDbaseUnlessAsked)
{
    EXPECT_EQ(languagedriver::languageIdFor(866, 0x0419, false), 0x26);
    EXPECT_EQ(languagedriver::languageIdFor(866, 0x0419, true), 0x65);
    // No id for that page and locale: searched again with any page.
    EXPECT_NE(languagedriver::languageIdFor(1251, 0x0407, false), 0);
}

TEST(TextTranslationTest, WholeTextIsConvertedWhateverItsLength)
{
    const QString cyrillic = QString::fromUtf8("Съешь же ещё этих мягких булок. ");
    QString text;
    while (text.size() < 5000)
        text += cyrillic;
    const QByteArray cp866 = codepage::fromUnicode(text, 866);
    const QByteArray cp1251 = translation::translate(cp866, 866, 1251);
    EXPECT_EQ(cp1251.size(), text.size());
    EXPECT_EQ(translation::decode(cp1251, 1251), text);
    EXPECT_EQ(translation::translate(cp866, 866, 866), cp866);
}

TEST(TextTranslationTest, ModesFromTheTablePage)
{
    EXPECT_EQ(translation::modeFor(1252, 1252, 437), TTranslationMode::tmNoneNeeded);
    EXPECT_EQ(translation::modeFor(437, 65001, 437), TTranslationMode::tmSimple);
    EXPECT_EQ(translation::modeFor(1251, 65001, 437), TTranslationMode::tmAdvanced);
    // 10000 and 895 are pages that the code-page service does not convert: not installed.
    EXPECT_EQ(translation::modeFor(10000, 65001, 437), TTranslationMode::tmNoneAvailable);
    EXPECT_EQ(translation::modeFor(895, 65001, 437), TTranslationMode::tmNoneAvailable);
    EXPECT_FALSE(translation::isInstalled(0));
}

TEST(CollationTest, RegistryHoldsTheDriverNamesAndComparesBytes)
{
    EXPECT_EQ(collation::collationOf(87)->name, "DBWINUS0");
    EXPECT_EQ(collation::collationOf(133)->name, "dbHebrew");
    EXPECT_EQ(collation::collationOf(155)->name, "FOXCZWIN");
    EXPECT_TRUE(collation::collationOf(200)->name.isEmpty());
    EXPECT_FALSE(collation::collationOf(256));
    EXPECT_FALSE(collation::collationOf(-1));
    const collation::Collation any = *collation::collationOf(87);
    EXPECT_EQ(collation::compare(any, "ab", "abc"), collation::Order::Less);
    EXPECT_EQ(collation::compare(any, "abc", "abc"), collation::Order::Equal);
    EXPECT_EQ(collation::compare(any, "\xE9", "z"), collation::Order::Greater);
    EXPECT_EQ(collation::compare(any, "", ""), collation::Order::Equal);
}

}  // namespace
