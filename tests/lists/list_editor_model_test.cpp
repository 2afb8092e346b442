// The list editor's working copy: loading text files, the flags through New, Open, Save, Save As, tools and
// Close (and whether the caller's grid was written), Delete Record and the extraction's comma text.

#include "lists/list_editor_model.h"

#include "tests/lists/list_grids.h"
#include "tests/support/test_files.h"

#include <gtest/gtest.h>

namespace {

using namespace sorvanta::test;

StringGrid callerList()
{
    return gridOfRows({{"Column#1", "Column#2"}, {"a@x", "Ann"}, {"b@x", "Bob"}});
}

TEST(ListEditorLoadTest, EmptyLinesTakeNoRowAndTheWidestLineGivesTheColumns)
{
    const QString wide = writeTestFile("wide.txt", "a;1\r\n\r\nb;2;3;4\n\nc\r\n");
    const QString narrow = writeTestFile("narrow.txt", "x;y\r\n");
    ListEditorModel model(wide, ";");
    ASSERT_TRUE(model.open(wide).ok);
    EXPECT_EQ(rowsOfGrid(model.grid()), (std::vector<QStringList>{{"Column 1", "Column 2", "Column 3", "Column 4"},
                                                                  {"a", "1", "", ""},
                                                                  {"b", "2", "3", "4"},
                                                                  {"c", "", "", ""}}));
    EXPECT_EQ(model.columnSetting(), 4);
    ASSERT_TRUE(model.open(narrow).ok);   // narrow after wide: the narrow file's columns, every field kept
    EXPECT_EQ(rowsOfGrid(model.grid()), (std::vector<QStringList>{{"Column 1", "Column 2"}, {"x", "y"}}));

    const QString empty = writeTestFile("empty.txt", "\r\n\r\n");
    ASSERT_TRUE(model.open(empty).ok);
    EXPECT_EQ(model.grid().rowCount(), 2);
}

TEST(ListEditorLoadTest, UnreadableFileKeepsTheCopyAndSaysWhy)
{
    ListEditorModel model("list.txt", ";");
    StringGrid caller = callerList();
    model.copyIn(caller);
    const ListFileOutcome outcome = model.open(unreadableFilePath());
    EXPECT_FALSE(outcome.ok);
    EXPECT_FALSE(outcome.error.isEmpty());
    EXPECT_EQ(model.grid().cell(0, 1), "a@x");
}

enum class Step { New, OpenOwn, OpenOther, OpenMissing, Save, SaveAsOwn, SaveAsOther, Tool, Columns };

struct FlagCase {
    const char* name;
    std::vector<Step> steps;
    bool modifiedAfter;
    bool changed;         // Close answers Changed
    bool callerWritten;   // the caller's grid differs from what it was
};

class ListEditorFlagsTest : public ::testing::TestWithParam<FlagCase> {};

TEST_P(ListEditorFlagsTest, CloseWritesBackWhatIsModified)
{
    const QString own = writeTestFile("list.txt", "own@x;Own\r\n");
    const QString other = writeTestFile("other.txt", "other@x\r\n");
    ListEditorModel model(own, ";");
    StringGrid caller = callerList();
    model.copyIn(caller);
    EXPECT_FALSE(model.modified());   // titling the copy is not an edit
    for (Step step : GetParam().steps) {
        switch (step) {
        case Step::New: model.newList(); break;
        case Step::OpenOwn: ASSERT_TRUE(model.open(own).ok); break;
        case Step::OpenOther: ASSERT_TRUE(model.open(other).ok); break;
        case Step::OpenMissing: ASSERT_TRUE(model.open(testHome() + "none.txt").ok); break;
        case Step::Save: model.save(caller); break;
        case Step::SaveAsOwn: ASSERT_TRUE(model.saveAs(own).ok); break;
        case Step::SaveAsOther: ASSERT_TRUE(model.saveAs(testHome() + "copy.txt").ok); break;
        case Step::Tool:
            model.grid().setCell(0, 1, "tool@x");
            model.markModified();
            break;
        case Step::Columns: model.setColumnCount(3); break;
        }
    }
    EXPECT_EQ(model.modified(), GetParam().modifiedAfter);
    const std::vector<QStringList> before = rowsOfGrid(callerList(), 1);
    EXPECT_EQ(model.close(caller), GetParam().changed);
    EXPECT_EQ(rowsOfGrid(caller, 1) != before, GetParam().callerWritten);
    EXPECT_EQ(caller.cell(0, 0), "Column#1");   // its titles are its own
    if (GetParam().changed) {
        EXPECT_EQ(rowsOfGrid(caller, 1), rowsOfGrid(model.grid(), 1));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Steps, ListEditorFlagsTest,
    ::testing::Values(FlagCase{"nothing", {}, false, false, false},
                      FlagCase{"new_blanks_the_list", {Step::New}, true, true, true},
                      FlagCase{"open_own_file", {Step::OpenOwn}, false, false, false},
                      FlagCase{"open_other_file", {Step::OpenOther}, true, true, true},
                      FlagCase{"open_missing_is_new", {Step::OpenMissing}, true, true, true},
                      FlagCase{"save_writes_now", {Step::Tool, Step::Save}, false, true, true},
                      FlagCase{"save_unmodified_writes_nothing", {Step::Save}, false, false, false},
                      FlagCase{"save_as_own_name_keeps_modified", {Step::Tool, Step::SaveAsOwn}, true, true, true},
                      FlagCase{"save_as_other_name_keeps_modified", {Step::Tool, Step::SaveAsOther}, true, true, true},
                      FlagCase{"column_count_widens_the_caller", {Step::Columns}, true, true, true},
                      FlagCase{"tool_then_open_own", {Step::Tool, Step::OpenOwn}, false, false, false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ListEditorModelTest, NewAndMissingFileBlankRowOneToo)
{
    ListEditorModel model("list.txt", ";");
    model.copyIn(callerList());
    model.newList();
    EXPECT_EQ(rowsOfGrid(model.grid()), (std::vector<QStringList>{{"", ""}, {"", ""}}));
    model.copyIn(callerList());
    model.open(testHome() + "none.txt");
    EXPECT_EQ(rowsOfGrid(model.grid(), 1), (std::vector<QStringList>{{"", ""}}));
}

// The titles of row 0 are not data; a cell set and emptied again is none either.
TEST(ListEditorModelTest, ColumnsHoldingDataReachTheLastNonEmptyCellOfAnyRecord)
{
    ListEditorModel model("list.txt", ";");
    model.copyIn(gridOfRows({{"Column#1", "Column#2", "Column#3", "Column#4"},
                             {"a@x", "", "", ""},
                             {"b@x", "", "Oslo", ""},
                             {"", "", "", ""}}));
    EXPECT_EQ(model.columnsHoldingData(), 3);
    model.grid().setCell(2, 2, "");
    EXPECT_EQ(model.columnsHoldingData(), 1);
    model.newList();
    model.grid().setCell(0, 1, "");
    EXPECT_EQ(model.columnsHoldingData(), 0);
}

TEST(ListEditorModelTest, SaveAsWritesTheRecordsWithTheDelimiter)
{
    ListEditorModel model("list.txt", "|");
    model.copyIn(callerList());
    const QString path = testHome() + "out.txt";
    ASSERT_TRUE(model.saveAs(path).ok);
    EXPECT_EQ(readExistingFileBytes(path), "a@x|Ann\r\nb@x|Bob\r\n");
    const ListFileOutcome failed = model.saveAs(testHome() + "no/such/folder/out.txt");
    EXPECT_FALSE(failed.ok);
    EXPECT_FALSE(failed.error.isEmpty());
}

TEST(ListEditorModelTest, DeleteRecordMovesRowsUpAndBlanksTheOnlyOne)
{
    ListEditorModel model("list.txt", ";");
    model.copyIn(gridOfRows({{"t", "t"}, {"1", "a"}, {"2", "b"}, {"3", "c"}}));
    model.deleteRecord(2);
    EXPECT_EQ(rowsOfGrid(model.grid(), 1), (std::vector<QStringList>{{"1", "a"}, {"3", "c"}}));
    model.deleteRecord(1);
    model.deleteRecord(1);
    EXPECT_EQ(rowsOfGrid(model.grid(), 1), (std::vector<QStringList>{{"", ""}}));
    EXPECT_TRUE(model.modified());
    EXPECT_EQ(model.addRecord(), 2);
}

TEST(ListEditorModelTest, ExtractedLinesAreCommaTextFillingAnEmptyListFirst)
{
    ListEditorModel model("list.txt", ";");
    model.copyIn(StringGrid(1, 2));
    model.takeExtractedLines({R"(a@x,"Ann, Lee")", R"(b@x "Bob ""B""" 3 4)"}, 2);
    EXPECT_EQ(rowsOfGrid(model.grid()), (std::vector<QStringList>{{"Column 1", "Column 2", "Column 3", "Column 4"},
                                                                  {"a@x", "Ann, Lee", "", ""},
                                                                  {"b@x", "Bob \"B\"", "3", "4"}}));
    model.takeExtractedLines({"c@x"}, 0);   // a list with records: the line adds a row
    EXPECT_EQ(model.grid().rowCount(), 4);
    EXPECT_TRUE(model.modified());

    // Extracted values with a line break or the editor's delimiter keep their record on one line.
    EXPECT_EQ(model.takeExtractedLines({"\"Line one\r\nLine two\",\"Lee; Jr.\",\"x\ny\""}, 0), 3);
    EXPECT_EQ(model.grid().rowCells(4), (QStringList{"Line one Line two", "Lee  Jr.", "x y", ""}));
}

}  // namespace
