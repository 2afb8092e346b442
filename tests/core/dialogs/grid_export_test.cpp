// Spreadsheet export: the workbook holds the titles and every cell as text, as a spreadsheet program reads it
// (checked with Python's zipfile and XML readers); writing or opening failures show the caller's message.

#include "core/dialogs/grid_export.h"

#include "platform/string_grid.h"
#include "tests/core/modal_dialogs.h"
#include "tests/support/test_home.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>

namespace {

using sorvanta::test::MessageBoxRecorder;
using sorvanta::test::sourcePath;
using sorvanta::test::testHome;

// The sheet's cells as tests/core/data/xlsx_cells.py reads them back: a line per row of
// "reference=text[number format]" joined by " | ".
std::string sheetCells(const QString& path)
{
    QProcess python;
    python.start("/usr/bin/python3", {sourcePath("core/data/xlsx_cells.py"), path});
    python.waitForFinished(30000);
    EXPECT_EQ(python.exitCode(), 0) << python.readAllStandardError().toStdString();
    return QString::fromUtf8(python.readAllStandardOutput()).toStdString();
}

class OpenerRecorder {
public:
    explicit OpenerRecorder(bool answer)
    {
        setSpreadsheetOpener([this, answer](const QString& path, const auto&) {
            opened << path;
            return answer;
        });
    }
    ~OpenerRecorder() { setSpreadsheetOpener(nullptr); }
    QStringList opened;
};

TEST(GridExport, WorkbookHoldsTitlesAndTextCells)
{
    const QList<QStringList> rows{{"Time", "Address", "Status", "Comment"},
                                  {"09:05:04", "ann@example.com", "Ok", ""},
                                  {"0012", "=1+1", "Zoë; <b>&amp;</b>", "1/2"}};
    const QString path = testHome() + "out.xlsx";
    QString error;
    ASSERT_TRUE(writeXlsxFile(path, sheetRowsOf(rows), &error)) << error.toStdString();

    EXPECT_EQ(sheetCells(path),
              "A1=Time[General] | B1=Address[General] | C1=Status[General] | D1=Comment[General]\n"
              "A2=09:05:04[@] | B2=ann@example.com[@] | C2=Ok[@] | D2=[@]\n"
              "A3=0012[@] | B3==1+1[@] | C3=Zoë; <b>&amp;</b>[@] | D3=1/2[@]\n");
}

TEST(GridExport, StringGridGoesWholeWithItsTitleRow)
{
    StringGrid grid(2, 3);
    grid.setRowCells(0, {"Column#1", "Column#2"});
    grid.setRowCells(1, {"a", "b"});
    grid.setRowCells(2, {"c", "d"});
    const QString path = testHome() + "grid.xlsx";
    ASSERT_TRUE(writeXlsxFile(path, sheetRowsOf(grid)));
    EXPECT_EQ(sheetCells(path), "A1=Column#1[General] | B1=Column#2[General]\n"
                                "A2=a[@] | B2=b[@]\n"
                                "A3=c[@] | B3=d[@]\n");
}

TEST(GridExport, UnwritablePlaceFails)
{
    QString error;
    EXPECT_FALSE(writeXlsxFile(testHome() + "missing/out.xlsx", sheetRowsOf({{"a"}}), &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_FALSE(QFile::exists(testHome() + "missing/out.xlsx"));
}

TEST(GridExport, ExportOpensTheWrittenWorkbook)
{
    OpenerRecorder opener(true);
    MessageBoxRecorder boxes;
    const QList<QStringList> rows{{"Time"}, {"x"}};
    EXPECT_TRUE(ExportToSpreadsheet(sheetRowsOf(rows), "MS Excel initialization error", "Attention"));
    ASSERT_EQ(opener.opened.size(), 1);
    EXPECT_TRUE(opener.opened[0].endsWith(".xlsx"));
    EXPECT_EQ(sheetCells(opener.opened[0]), "A1=Time[General]\nA2=x[@]\n");
    EXPECT_TRUE(boxes.boxes.empty());
    QFile::remove(opener.opened[0]);
}

TEST(GridExport, NoProgramToOpenItKeepsTheWorkbookAndSaysWhere)
{
    OpenerRecorder opener(false);
    MessageBoxRecorder boxes;
    EXPECT_FALSE(ExportToSpreadsheet(sheetRowsOf({{"Time"}, {"x"}}), "MS Excel initialization error", "Attention"));
    ASSERT_EQ(opener.opened.size(), 1);
    const QString path = opener.opened[0];
    EXPECT_TRUE(path.startsWith(testHome() + "logs/export_")) << path.toStdString();
    EXPECT_EQ(sheetCells(path), "A1=Time[General]\nA2=x[@]\n");
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].text, "MS Excel initialization error\n\nThe workbook was saved as " + path);
    EXPECT_EQ(boxes.boxes[0].caption, "Attention");

    // A second export in the same second gets a name of its own.
    EXPECT_FALSE(ExportToSpreadsheet(sheetRowsOf({{"Time"}}), "MS Excel initialization error", "Attention"));
    ASSERT_EQ(opener.opened.size(), 2);
    EXPECT_NE(opener.opened[1], path);
    EXPECT_TRUE(QFile::exists(path));
}

TEST(GridExport, WorkbookThatCannotBeWrittenShowsTheMessageAndOpensNothing)
{
    OpenerRecorder opener(true);
    MessageBoxRecorder boxes;
    const QList<QStringList> rows{{"Comment"}, {QString(32768, 'x')}};   // past the format's cell limit
    EXPECT_FALSE(ExportToSpreadsheet(sheetRowsOf(rows), "failed", "Attention"));
    EXPECT_TRUE(opener.opened.isEmpty());
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].text, "failed");
}

}  // namespace
