// Language files without windows: splitting an entry, listing the program folder's language files and
// finding a language's file whatever the letter case of its name.

#include "core/language/language_file.h"
#include "tests/support/test_files.h"
#include "tests/support/test_home.h"

#include <gtest/gtest.h>

#include <QDir>

namespace {

using sorvanta::test::testHome;
using sorvanta::test::writeFileBytes;

struct ParseCase {
    const char* name;
    QString line;
    QString component;
    QString property;
    int index;
    QString subproperty;
    QString value;
};

class ParseLanguageLineTest : public ::testing::TestWithParam<ParseCase> {};

TEST_P(ParseLanguageLineTest, SplitsKeyAndValue)
{
    const ParseCase& c = GetParam();
    const LanguageLine line = ParseLanguageLine(c.line);
    EXPECT_EQ(line.component, c.component);
    EXPECT_EQ(line.property, c.property);
    EXPECT_EQ(line.index, c.index);
    EXPECT_EQ(line.subproperty, c.subproperty);
    EXPECT_EQ(line.value, c.value);
}

INSTANTIATE_TEST_SUITE_P(
    Entries, ParseLanguageLineTest,
    ::testing::Values(
        ParseCase{"window_caption", "Self.Caption=Fenêtre", "Self", "Caption", -1, "", "Fenêtre"},
        ParseCase{"string_property", "Button1.Hint=Start", "Button1", "Hint", -1, "", "Start"},
        ParseCase{"list_line", "msl.Items.5=Fichier introuvable", "msl", "Items", 5, "", "Fichier introuvable"},
        ParseCase{"collection_item", "lv.Columns.2.Caption=Taille", "lv", "Columns", 2, "Caption", "Taille"},
        ParseCase{"subproperty_keeps_its_dots", "lv.Columns.2.Font.Name=x", "lv", "Columns", 2, "Font.Name", "x"},
        ParseCase{"index_not_a_number", "msl.Items.x=Deux", "msl", "Items", -1, "", "Deux"},
        ParseCase{"index_empty", "msl.Items.=Deux", "msl", "Items", -1, "", "Deux"},
        ParseCase{"negative_index", "msl.Items.-1=Deux", "msl", "Items", -1, "", "Deux"},
        ParseCase{"line_break_mark", "Label1.Caption=Deux~~lignes", "Label1", "Caption", -1, "", "Deux\nlignes"},
        ParseCase{"every_line_break_mark", "L.Caption=~~a~~~~b", "L", "Caption", -1, "", "\na\n\nb"},
        ParseCase{"value_keeps_later_equals", "Edit1.Text=a=b", "Edit1", "Text", -1, "", "a=b"},
        ParseCase{"empty_value", "Edit1.Text=", "Edit1", "Text", -1, "", ""},
        ParseCase{"no_property", "Edit1=x", "Edit1", "", -1, "", "x"},
        ParseCase{"no_equals", "Label1.Caption", "", "", -1, "", ""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ListLanguageFiles, NamesEveryLanFileLowerCasedSortedOnceWithoutTheTemplate)
{
    for (const char* name : {"French.lan", "german.LAN", "french.lan", "language.lan", "LANGUAGE.Lan", "notes.txt",
                             "spanish.lan.bak", ".hidden.lan"})
        writeFileBytes(testHome() + QLatin1String(name), "");
    ASSERT_TRUE(QDir(testHome()).mkdir(QStringLiteral("folder.lan")));
    EXPECT_EQ(ListLanguageFiles(), (QStringList{".hidden", "french", "german"}));
}

TEST(ListLanguageFiles, EmptyFolderGivesNoLanguage)
{
    EXPECT_TRUE(ListLanguageFiles().isEmpty());
}

TEST(LanguageFilePath, FindsTheFileWhateverTheLetterCaseOfItsName)
{
    writeFileBytes(testHome() + "French.LAN", "");
    EXPECT_EQ(languageFilePath("french"), testHome() + "French.LAN");
    EXPECT_EQ(languageFilePath("FRENCH"), testHome() + "French.LAN");
    writeFileBytes(testHome() + "french.lan", "");
    EXPECT_EQ(languageFilePath("french"), testHome() + "french.lan");   // the exact name first
    EXPECT_EQ(languageFilePath("italian"), testHome() + "italian.lan");   // missing: the name as it is
}

}  // namespace
