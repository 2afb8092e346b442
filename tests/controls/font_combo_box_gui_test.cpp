// The font box: the installed families with their glyph kinds, a family that several foundries make listed
// once under the name pages use, FontName (letter case, an unknown name in both styles, the same name twice),
// the rebuild that keeps the choice or fires OnChange once, and a glyph that is missing.

#include "controls/font_combo_box.h"
#include "controls/font_item_delegate.h"
#include "controls/module_bitmap.h"
#include "tests/support/foundry_fonts.h"

#include <gtest/gtest.h>

#include <QFontDatabase>
#include <QSignalSpy>

namespace {

QList<FontFamilyEntry> testFamilies()
{
    return {{"Zeta Sans", TrueTypeFontType}, {"alpha mono", TrueTypeFontType}, {"Fixed", RasterFontType | DeviceFontType},
            {"Zeta Sans", TrueTypeFontType}, {"", TrueTypeFontType}};
}

class FontComboBoxTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        box.setFamilySource(testFamilies);
        spy = std::make_unique<QSignalSpy>(&box, &TFontComboBox::OnChange);
    }

    QStringList items() const
    {
        QStringList names;
        for (int i = 0; i < box.count(); ++i)
            names << box.itemText(i);
        return names;
    }

    TFontComboBox box;
    std::unique_ptr<QSignalSpy> spy;
};

TEST_F(FontComboBoxTest, ListsFamiliesSortedOnceWithTheirTypes)
{
    EXPECT_EQ(items(), QStringList({"alpha mono", "Fixed", "Zeta Sans"}));
    EXPECT_EQ(box.itemData(1, FontItemDelegate::TypeBitsRole).toInt(), RasterFontType | DeviceFontType);
    EXPECT_EQ(box.itemData(2, FontItemDelegate::TypeBitsRole).toInt(), TrueTypeFontType);
    EXPECT_EQ(box.comboStyle(), TOwnerDrawComboStyle::csDropDownList);
}

TEST_F(FontComboBoxTest, FontNameSelectsWithoutLetterCaseAndFiresNothing)
{
    box.setFontName("zeta SANS");
    EXPECT_EQ(box.FontName(), "Zeta Sans");
    box.setFontName("Zeta Sans");   // the same name again
    EXPECT_EQ(box.currentIndex(), 2);
    box.setFontName("Nowhere");     // not installed, list style: nothing selected
    EXPECT_EQ(box.currentIndex(), -1);
    EXPECT_EQ(box.FontName(), "");
    EXPECT_EQ(spy->count(), 0);
}

TEST_F(FontComboBoxTest, UnknownNameStaysAsTextWhenNamesCanBeTyped)
{
    box.setComboStyle(TOwnerDrawComboStyle::csDropDown);
    box.setFontName("Nowhere Serif");
    EXPECT_EQ(box.FontName(), "Nowhere Serif");
    box.rebuildList();
    EXPECT_EQ(box.FontName(), "Nowhere Serif");
    EXPECT_EQ(spy->count(), 0);
}

TEST_F(FontComboBoxTest, RebuildKeepsTheChoiceOrFiresOnChangeOnce)
{
    box.setFontName("Fixed");
    box.rebuildList();
    EXPECT_EQ(box.FontName(), "Fixed");
    EXPECT_EQ(spy->count(), 0);
    box.setFamilySource([] { return QList<FontFamilyEntry>{{"FIXED", TrueTypeFontType}}; });
    EXPECT_EQ(box.FontName(), "FIXED");   // the same family in other letters: the shown name changed
    EXPECT_EQ(spy->count(), 1);
    box.setFamilySource([] { return QList<FontFamilyEntry>{{"Other", TrueTypeFontType}}; });
    EXPECT_EQ(box.FontName(), "");
    EXPECT_EQ(spy->count(), 2);
}

TEST_F(FontComboBoxTest, UserChoiceFiresOnChange)
{
    emit box.activated(1);
    EXPECT_EQ(spy->count(), 1);
}

TEST(FontComboBoxGlyphTest, InstalledFontsAreListedWithOutlineGlyphs)
{
    TFontComboBox box;
    EXPECT_FALSE(box.trueTypeGlyph().isNull());
    EXPECT_FALSE(box.deviceGlyph().isNull());
    const int dejaVu = box.findText("DejaVu Sans");
    ASSERT_GE(dejaVu, 0) << "fonts-dejavu-core is not installed";
    EXPECT_EQ(box.itemData(dejaVu, FontItemDelegate::TypeBitsRole).toInt() & TrueTypeFontType, TrueTypeFontType);
    QStyleOptionViewItem option;
    option.initFrom(&box);
    EXPECT_GE(box.itemDelegate()->sizeHint(option, box.model()->index(dejaVu, 0)).height(), 9);
}

// Qt lists such a family once per foundry ("DejaVu Sans Mono [PfEd]", "... [ZZZZ]"); no page knows those
// names, so the box must not offer them.
TEST(FontComboBoxFoundryTest, FamilyOfSeveralFoundriesIsListedOnceByItsPageName)
{
    using sorvanta::test::fontWithVendor;
    const int first = QFontDatabase::addApplicationFontFromData(fontWithVendor(sorvanta::test::kSplitFontFile, "ZZZZ"));
    const int second = QFontDatabase::addApplicationFontFromData(fontWithVendor(sorvanta::test::kSplitFontFile, "YYYY"));
    ASSERT_GE(first, 0);
    ASSERT_GE(second, 0);
    ASSERT_TRUE(QFontDatabase::families().contains(QString(sorvanta::test::kSplitFontFamily) + " [ZZZZ]"))
        << "the font set has no foundry-split family";
    TFontComboBox box;
    QFontDatabase::removeApplicationFont(first);
    QFontDatabase::removeApplicationFont(second);
    QStringList names;
    for (int i = 0; i < box.count(); ++i)
        names << box.itemText(i);
    EXPECT_EQ(names.count(sorvanta::test::kSplitFontFamily), 1) << names.join(", ").toStdString();
    EXPECT_TRUE(names.filter(" [").isEmpty()) << names.join(", ").toStdString();
    const int index = box.findText(sorvanta::test::kSplitFontFamily);
    EXPECT_EQ(box.itemData(index, FontItemDelegate::TypeBitsRole).toInt(), TrueTypeFontType);
    box.setFontName("dejavu sans MONO");
    EXPECT_EQ(box.currentIndex(), index);
}

TEST(FontComboBoxFoundryTest, PageNameDropsOnlyAFoundrySuffix)
{
    EXPECT_EQ(TFontComboBox::pageFamilyName("Nimbus Sans [urw]"), "Nimbus Sans");
    EXPECT_EQ(TFontComboBox::pageFamilyName("C059 [UKWN]"), "C059");
    EXPECT_EQ(TFontComboBox::pageFamilyName("Nimbus Sans"), "Nimbus Sans");
    EXPECT_EQ(TFontComboBox::pageFamilyName("[urw]"), "[urw]");
    EXPECT_EQ(TFontComboBox::pageFamilyName("Odd [a] [b]"), "Odd [a]");
}

TEST(FontComboBoxGlyphTest, MissingGlyphIsAnErrorNamingIt)
{
    try {
        LoadModuleBitmap("DEVICE_FNT_GONE");
        FAIL() << "no error";
    } catch (const ResourceNotFound& failure) {
        EXPECT_EQ(failure.name(), "DEVICE_FNT_GONE");
        EXPECT_STREQ(failure.what(), "Resource DEVICE_FNT_GONE not found");
    }
    EXPECT_THROW(LoadModuleBitmap("../glyphs.qrc"), ResourceNotFound);
}

}  // namespace
