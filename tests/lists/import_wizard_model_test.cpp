// The import wizard's model without its window: the steps that Next and Back take for each kind, the page,
// caption and buttons of each step, the kind decided from the file, a missing file at step 1, and the start
// row and splitting that the import then uses.

#include "core/project/list_file.h"
#include "lists/import_preview_models.h"
#include "lists/import_splitters.h"
#include "lists/import_wizard_model.h"
#include "tests/dbase/dbf_builder.h"
#include "tests/lists/list_grids.h"
#include "tests/support/test_files.h"

#include <gtest/gtest.h>

#include <QFile>

namespace {

using namespace sorvanta::test;

QString writeTable(const QString& name)
{
    dbftest::TableBuilder table(0x03, {{"NAME", 'C', 5}});
    table.record({"Ann"}).record({"Bob"}).record({"Cid"});
    return writeTestFile(name, table.bytes());
}

struct StepCase {
    const char* name;
    bool table;          // else text
    bool delimited;      // the text choice at step 2
    std::vector<int> nextSteps;   // after each Next from step 1
    std::vector<int> backSteps;   // after each Back from step 5
};

class WizardStepTest : public ::testing::TestWithParam<StepCase> {};

void next(ImportWizardModel& model, const QString& file, bool delimited)
{
    switch (model.step()) {
    case 1: ASSERT_TRUE(model.chooseFile(file)); ASSERT_EQ(model.enterSource(), ""); return;
    case 2: model.leaveSource(delimited, 1); return;
    case 3: model.leaveFixedWidth(); return;
    case 4: model.leaveDelimiters(DelimiterSemicolon, QString()); return;
    }
}

TEST_P(WizardStepTest, NextAndBackFollowTheKind)
{
    const StepCase& c = GetParam();
    const QString file = c.table ? writeTable("people.dbf") : writeTestFile("people.txt", "a;b\r\n");
    ImportWizardModel model;
    std::vector<int> steps;
    while (model.step() != 5 && steps.size() < 5) {
        next(model, file, c.delimited);
        steps.push_back(model.step());
    }
    EXPECT_EQ(steps, c.nextSteps);
    EXPECT_EQ(model.kind(), c.table ? ImportKind::Table : c.delimited ? ImportKind::Delimited : ImportKind::FixedWidth);
    steps.clear();
    while (model.step() != 1) {
        model.back();
        steps.push_back(model.step());
    }
    EXPECT_EQ(steps, c.backSteps);
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, WizardStepTest,
    ::testing::Values(StepCase{"table", true, true, {2, 5}, {2, 1}},
                      StepCase{"delimited", false, true, {2, 4, 5}, {4, 2, 1}},
                      StepCase{"fixed_width", false, false, {2, 3, 5}, {3, 2, 1}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(WizardStepFactsTest, EachStepHasItsPageCaptionAndButtons)
{
    ImportWizardModel model;
    const auto facts = [&] {
        const ImportStepFacts f = model.facts();
        return std::tuple(f.page, QString::fromLatin1(f.captionSuffix), f.backEnabled, f.nextEnabled);
    };
    EXPECT_EQ(facts(), std::tuple(ImportPage::File, QString(" 1 / 4"), false, true));
    ASSERT_TRUE(model.chooseFile(writeTestFile("list.txt", "a\r\n")));
    model.enterSource();
    EXPECT_EQ(facts(), std::tuple(ImportPage::Source, QString(" 2 / 4"), true, true));
    model.leaveSource(false, 1);
    EXPECT_EQ(facts(), std::tuple(ImportPage::FixedWidth, QString(" 3 / 4"), true, true));
    model.back();
    model.leaveSource(true, 1);
    EXPECT_EQ(facts(), std::tuple(ImportPage::Delimited, QString(" 3 / 4"), true, true));
    model.leaveDelimiters(0, QString());
    EXPECT_EQ(facts(), std::tuple(ImportPage::Import, QString(" 4 / 4"), true, false));
}

TEST(WizardFileTest, MissingFileOrFolderKeepsStepOne)
{
    ImportWizardModel model;
    for (const QString& name : {QString(), testHome() + "missing.txt", testHome()})
        EXPECT_FALSE(model.chooseFile(name)) << name.toStdString();
    EXPECT_EQ(model.step(), 1);
}

// Only ".dbf" and ".db" files are tried as tables; one that does not open is delimited text, and a
// write-protected table is still a table.
TEST(WizardFileTest, KindComesFromTheExtensionAndWhetherTheTableOpens)
{
    const QString lockedTable = writeTable("locked.DBF");
    QFile::setPermissions(lockedTable, QFileDevice::ReadOwner);
    const struct {
        QString file;
        ImportKind kind;
    } cases[] = {
        {writeTable("people.db"), ImportKind::Table},
        {lockedTable, ImportKind::Table},
        {writeTable("table.txt"), ImportKind::Delimited},
        {writeTestFile("fake.dbf", "name;mail\r\nAnn;a@x\r\n"), ImportKind::Delimited},
    };
    for (const auto& c : cases) {
        ImportWizardModel model;
        ASSERT_TRUE(model.chooseFile(c.file));
        const QString error = model.enterSource();
        EXPECT_EQ(model.kind(), c.kind) << c.file.toStdString() << " " << error.toStdString();
    }
    ImportWizardModel model;
    model.chooseFile(lockedTable);
    model.enterSource();
    EXPECT_EQ(model.startRowMaximum(), 3);
    QFile::setPermissions(lockedTable, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
}

TEST(WizardFileTest, BinaryFileIsReportedAtStepTwo)
{
    ImportWizardModel model;
    ASSERT_TRUE(model.chooseFile(writeTestFile("picture.png", QByteArray("\x89PNG\r\n\x1A\n\0\0\0\rIHDR", 16))));
    EXPECT_FALSE(model.enterSource().isEmpty());
    EXPECT_EQ(model.text().lineCount(), 0);
}

TEST(WizardImportTest, DelimitedAndFixedWidthImportFromTheStartRow)
{
    const QString file = writeTestFile("list.txt", "skip me\r\nAnn  a@x;;1\r\nBob  b@x;;2\r\n");
    ImportWizardModel delimited;
    delimited.chooseFile(file);
    delimited.enterSource();
    delimited.leaveSource(true, 2);
    delimited.leaveDelimiters(DelimiterSemicolon | DelimiterSpace | DelimiterConsecutiveAsOne, QString());
    StringGrid grid(1, 2);
    ASSERT_TRUE(delimited.runImport(grid).ok);
    EXPECT_EQ(rowsOfGrid(grid, 1), (std::vector<QStringList>{{"Ann", "a@x", "1"}, {"Bob", "b@x", "2"}}));

    ImportWizardModel fixed;
    fixed.chooseFile(file);
    fixed.enterSource();
    fixed.leaveSource(false, 2);
    fixed.enterFixedWidth();
    EXPECT_EQ(fixed.breakMask().size(), 11);
    fixed.toggleBreakAfter(4);
    fixed.toggleBreakAfter(7);
    fixed.leaveFixedWidth();
    StringGrid fixedGrid(1, 2);
    ASSERT_TRUE(fixed.runImport(fixedGrid).ok);
    // The list's own delimiter inside a field becomes a blank, so the saved list keeps the columns.
    EXPECT_EQ(rowsOfGrid(fixedGrid, 1), (std::vector<QStringList>{{"Ann  ", "a@x", "  1"}, {"Bob  ", "b@x", "  2"}}));
    EXPECT_EQ(fixed.runImport(fixedGrid).cellsChanged, 2);
}

// A spreadsheet's CSV export: a field that starts with a quote runs to the next unpaired quote, "" is one
// quote, delimiters and line breaks inside belong to the field (a line break reaches the list as one
// blank); any other field is read as before, quotes and blanks kept. A quote that never closes leaves its
// line as it was read before.
TEST(WizardImportTest, QuotedFieldsOfACsvExport)
{
    const QByteArray csv = "\xEF\xBB\xBF\"Name\",Mail,City\r\n"
                           "\"O'Brien, Pat\",user12@x.test,Oslo\r\n"
                           "\"Line one\r\nLine two\",b@x.test,\"Lyon\nRh\xC3\xB4ne\"\r\n"
                           "\"say \"\"hi\"\"\",c@x.test,\"\"\r\n"
                           "O\"Neil,\"ab\"cd, spaced ,\r\n"
                           "\"\",,\"Zo\xC3\xAB; Jr.\"\r\n"
                           "\"never closed,d@x.test\r\n"
                           "last,e@x.test\r\n";
    ImportWizardModel model;
    ASSERT_TRUE(model.chooseFile(writeTestFile("export.csv", csv)));
    ASSERT_EQ(model.enterSource(), "");
    model.leaveSource(true, 1);
    EXPECT_EQ(model.shownDelimiterBits(), int(DelimiterComma));
    model.leaveDelimiters(DelimiterComma, QString());
    StringGrid grid(1, 2);
    ASSERT_TRUE(model.runImport(grid).ok);
    EXPECT_EQ(rowsOfGrid(grid, 1), (std::vector<QStringList>{
                                       {"Name", "Mail", "City"},
                                       {"O'Brien, Pat", "user12@x.test", "Oslo"},
                                       {"Line one Line two", "b@x.test", "Lyon Rh\u00F4ne"},
                                       {"say \"hi\"", "c@x.test", ""},
                                       {"O\"Neil", "abcd", " spaced "},
                                       {"", "", "Zo\u00EB  Jr."},
                                       {"\"never closed", "d@x.test", ""},
                                       {"last", "e@x.test", ""},
                                   }));
    EXPECT_EQ(model.runImport(grid).cellsChanged, 3);   // two line breaks, one list delimiter

    DelimitedPreviewModel preview;
    preview.setSource(model.sharedText(), 1, ",", false, ";");
    std::vector<QStringList> shown;
    for (int row = 0; row < preview.rowCount(); ++row) {
        QStringList cells;
        for (int column = 0; column < preview.columnCount(); ++column)
            cells << preview.index(row, column).data().toString();
        shown.push_back(cells);
    }
    EXPECT_EQ(shown, rowsOfGrid(grid, 1));   // the preview shows the cells the import wrote

    const QString saved = testHome() + "saved.txt";
    ASSERT_TRUE(SaveListFile(grid, saved, ";"));
    StringGrid loaded;
    ReadListFile(loaded, saved, ";");
    EXPECT_EQ(loaded.rowCount(), grid.rowCount());
    EXPECT_EQ(loaded.cell(0, 3), "Line one Line two");
}

// Without quotes the comma split is the old one: fields keep their blanks, an empty field between two
// commas stays, a comma at the end adds none.
TEST(WizardImportTest, UnquotedCsvImportsAsBefore)
{
    ImportWizardModel model;
    ASSERT_TRUE(model.chooseFile(writeTestFile("plain.csv", "a,, b ,c,\r\n\r\nx\r\n")));
    model.enterSource();
    model.leaveSource(true, 1);
    model.leaveDelimiters(DelimiterComma, QString());
    StringGrid grid(1, 2);
    ASSERT_TRUE(model.runImport(grid).ok);
    EXPECT_EQ(rowsOfGrid(grid, 1),
              (std::vector<QStringList>{{"a", "", " b ", "c"}, {"", "", "", ""}, {"x", "", "", ""}}));
}

// A preview reads records a batch at a time as its view asks for more, its columns growing with the widest
// record read so far, so a large file is never split whole to be shown.
TEST(WizardPreviewTest, DelimitedPreviewReadsOnlyWhatItShows)
{
    QByteArray bytes;
    for (int line = 0; line < 1000; ++line)
        bytes += line == 600 ? "a;b;c;d;e\r\n" : (line % 10 == 9 ? "\r\n" : "x;y\r\n");
    const ImportTextFile file = decodeImportText(bytes, false);
    DelimitedPreviewModel preview;
    preview.setSource(file.text, 1, ";", false, ";");
    EXPECT_EQ(preview.rowCount(), DelimitedPreviewModel::FetchRecords);
    EXPECT_EQ(preview.columnCount(), 2);
    EXPECT_TRUE(preview.canFetchMore(QModelIndex()));
    while (preview.canFetchMore(QModelIndex()))
        preview.fetchMore(QModelIndex());
    EXPECT_EQ(preview.rowCount(), 900);   // the empty lines are left out
    EXPECT_EQ(preview.columnCount(), 5);
    EXPECT_EQ(preview.index(540, 4).data().toString(), "e");

    TextLinesModel lines;
    lines.setText(file.text);
    EXPECT_EQ(lines.rowCount(), 1000);
    EXPECT_EQ(lines.index(600, 1).data().toString(), "a;b;c;d;e");
    EXPECT_EQ(lines.index(600, 0).data().toInt(), 601);
}

// Other is taken when its box is set and the edit holds a character; an emptied edit keeps the last one.
TEST(WizardImportTest, OtherDelimiterIsTheEditsFirstCharacter)
{
    ImportWizardModel model;
    model.chooseFile(writeTestFile("pipes.txt", "a|b\r\n"));
    model.enterSource();
    model.leaveSource(true, 1);
    EXPECT_EQ(model.shownDelimiterBits(), int(DelimiterSemicolon));
    model.leaveDelimiters(DelimiterOther, "|");
    model.back();
    model.leaveDelimiters(DelimiterOther, "");
    EXPECT_EQ(model.otherDelimiter(), u'|');
    EXPECT_EQ(model.textCut().delimiters, "|");
}

}  // namespace
