// The log viewer: the shortening rule of its cells, the selection colours of its cells on a light and a dark
// palette, the grid filled from the log, and the export of the four columns under the message texts' titles.

#include "core/logs/log_viewer.h"

#include "core/dialogs/grid_export.h"
#include "core/language/msg_language.h"
#include "platform/widgets/string_grid_view.h"
#include "tests/core/result_grid_checks.h"
#include "tests/core/modal_dialogs.h"
#include "tests/support/dark_palette.h"
#include "tests/support/test_files.h"
#include "tests/support/test_home.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QPushButton>
#include <QStandardItemModel>
#include <QStyle>

namespace {

using sorvanta::test::testHome;
using sorvanta::test::writeTestFile;

// Letters are 10 pixels wide, dots 2.
int narrowDots(const QString& text)
{
    return int(text.size() - text.count('.')) * 10 + int(text.count('.')) * 2;
}

struct ShortenCase {
    const char* name;
    QString text;
    int width;
    QString shown;
};

void PrintTo(const ShortenCase& c, std::ostream* os)
{
    *os << c.name;
}

class ShortenTest : public ::testing::TestWithParam<ShortenCase> {};

TEST_P(ShortenTest, CutsToFitTheCell)
{
    const ShortenCase& c = GetParam();
    EXPECT_EQ(shortenedCellText(c.text, c.width, narrowDots), c.shown);
}

INSTANTIATE_TEST_SUITE_P(Cells, ShortenTest, ::testing::Values(
    ShortenCase{"fits_with_margin", "abcdef", 61, "abcdef"},
    ShortenCase{"margin_counts_first_form_drops_two", "abcdef", 60, "abcd..."},
    ShortenCase{"drops_more_until_it_fits", "abcdefghij", 51, "abcd..."},
    ShortenCase{"one_letter_and_ellipsis", "abcdef", 17, "a..."},
    ShortenCase{"only_ellipsis_left", "abcdef", 12, "..."},
    ShortenCase{"too_narrow_even_for_ellipsis", "abcdef", 5, "..."},
    ShortenCase{"two_characters", "ab", 10, "..."},
    ShortenCase{"empty_text", "", 0, ""}),
    [](const auto& info) { return std::string(info.param.name); });

QString writeLog(const QByteArray& bytes)
{
    return writeTestFile("send_07-03-26_09-05-04.log", bytes);
}

struct CellColourCase {
    const char* name;
    bool darkPalette;
    QStyle::State state;
    QColor fixed;                        // the cell's own background; invalid: a colour of the palette
    QPalette::ColorRole paletteRole;     // that colour of the palette
};

class LogCellColourTest : public ::testing::TestWithParam<CellColourCase> {};

// The fixed colours of the focused cell and the selected row stay under the light palette's dark text; the
// dark palette's light text would not read on them, so its own selection colours take their place.
TEST_P(LogCellColourTest, SelectionColoursReadOnThePalette)
{
    const CellColourCase& c = GetParam();
    QStyleOptionViewItem option;
    option.palette = c.darkPalette ? sorvanta::test::darkDesktopPalette() : QApplication::style()->standardPalette();
    option.state = c.state | QStyle::State_Enabled;
    option.rect = QRect(0, 0, 60, 20);
    option.font = QApplication::font();
    QStandardItemModel model(1, 1);
    model.setData(model.index(0, 0), QStringLiteral("12:00"));
    QImage image(option.rect.size(), QImage::Format_RGB32);
    image.fill(Qt::magenta);
    QPainter painter(&image);
    LogCellDelegate().paint(&painter, option, model.index(0, 0));
    painter.end();
    const QColor expected = c.fixed.isValid() ? c.fixed : option.palette.color(c.paletteRole);
    EXPECT_EQ(image.pixelColor(option.rect.bottomRight() - QPoint(1, 1)), expected);
}

INSTANTIATE_TEST_SUITE_P(
    Palettes, LogCellColourTest,
    ::testing::Values(
        CellColourCase{"light_focused", false, QStyle::State_HasFocus, QColor(148, 200, 228), QPalette::NoRole},
        CellColourCase{"light_selected", false, QStyle::State_Selected, QColor(206, 211, 225), QPalette::NoRole},
        CellColourCase{"dark_focused", true, QStyle::State_HasFocus, QColor(), QPalette::Highlight},
        CellColourCase{"dark_selected", true, QStyle::State_Selected, QColor(), QPalette::Highlight},
        CellColourCase{"dark_plain", true, QStyle::State_None, QColor(), QPalette::Base}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(LogViewer, ShowsTheLogInTheGrid)
{
    const QString path = writeLog("09:05:04;a@x.org;Ok\r\n09:05:05;b@x.org;No;Failed: Invalid DNS\r\n"
                                  "xx;c@x.org;Oui;x\r\n");
    T_logs window(path, "Ok", "No");
    EXPECT_EQ(window.windowTitle(), "Log data (" + path + ")");
    const StringGrid& grid = window.grid();
    EXPECT_EQ(grid.rowCount(), 4);
    EXPECT_EQ(grid.rowCells(0), (QStringList{"Time", "Address", "Status", "Comment"}));
    EXPECT_EQ(grid.rowCells(1), (QStringList{"09:05:04", "a@x.org", "Ok", ""}));
    EXPECT_EQ(grid.rowCells(2), (QStringList{"09:05:05", "b@x.org", "No", "Failed: Invalid DNS"}));
    EXPECT_EQ(grid.rowCells(3), (QStringList{"00:00:00", "c@x.org", "", "x"}));
    EXPECT_EQ(window.sg->grid(), &grid);
    window.show();
    sorvanta::test::expectResultGridLayout(*window.sg, 1, "b@x.org", 3);

    window.resize(240, window.height());   // the comment no longer fits: drawn shortened
    window.sg->setCurrentCell(1, 2);
    window.show();
    EXPECT_FALSE(window.sg->grab().isNull());
}

TEST(LogViewer, MissingLogShowsOneEmptyRow)
{
    T_logs window(testHome() + "none.log", "Ok", "No");
    EXPECT_EQ(window.grid().rowCount(), 2);
    EXPECT_EQ(window.grid().rowCells(1), (QStringList{"", "", "", ""}));
}

TEST(LogViewer, ExportHandsTheColumnsToTheSpreadsheet)
{
    const QString path = writeLog("09:05:04;a@x.org;Ok\r\n");
    QString exported;
    setSpreadsheetOpener([&exported](const QString& workbook, const auto&) {
        exported = workbook;
        return false;   // no spreadsheet program: the viewer's own message
    });
    sorvanta::test::MessageBoxRecorder boxes;
    T_logs window(path, "Ok", "No");
    window.msl->setItems({"Achtung", "Fehler", "Zeit", "Adresse", "Status", "Kommentar"});
    window.sbXls->click();
    setSpreadsheetOpener(nullptr);
    EXPECT_FALSE(exported.isEmpty());
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].text, "Fehler\n\nThe workbook was saved as " + exported);   // kept for the user
    EXPECT_EQ(boxes.boxes[0].caption, "Achtung");
}

TEST(LogViewer, ExportedWorkbookHoldsTheTitlesAndTheItems)
{
    const QString path = writeLog("09:05:04;a@x.org;No;Failed\r\n");
    const QString copy = testHome() + "copy.xlsx";
    setSpreadsheetOpener([&copy](const QString& workbook, const auto&) {
        const bool copied = QFile::copy(workbook, copy);
        QFile::remove(workbook);   // the stand-in opener keeps no workbook in the temporary folder
        return copied;
    });
    T_logs window(path, "Ok", "No");
    window.sbXlsClick();
    setSpreadsheetOpener(nullptr);
    ASSERT_TRUE(QFile::exists(copy));

    QFile workbook(copy);
    ASSERT_TRUE(workbook.open(QIODevice::ReadOnly));
    EXPECT_TRUE(workbook.read(2) == "PK");   // a zip container; its cells are checked in grid_export_test
}

}  // namespace
