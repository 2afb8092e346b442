// Spreadsheet export: the workbook holds the titles and every cell as text, as a spreadsheet program reads it
// (checked with Python's zipfile and XML readers); writing or opening failures, also those that come after the
// opener started, show the caller's message with an error icon.

#include "core/dialogs/grid_export.h"

#include "platform/string_grid.h"
#include "platform/message_box_flags.h"
#include "tests/core/modal_dialogs.h"
#include "tests/support/desktop_sandbox.h"
#include "tests/support/full_disk.h"
#include "tests/support/test_home.h"
#include "tests/support/wait_until.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>

namespace {

using sorvanta::test::DesktopSandbox;
using sorvanta::test::EnvironmentScope;
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
        setSpreadsheetOpener([this, answer](const QString& path, const std::function<void()>& failedLater) {
            opened << path;
            this->failedLater = failedLater;
            return answer;
        });
    }
    ~OpenerRecorder() { setSpreadsheetOpener(nullptr); }
    QStringList opened;
    std::function<void()> failedLater;
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
    EXPECT_EQ(boxes.boxes[0].flags, unsigned(MB_OK | MB_ICONERROR));

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
    EXPECT_EQ(boxes.boxes[0].text, "failed\n\nString exceeds Excel's limit of 32,767 characters.");
    EXPECT_EQ(boxes.boxes[0].flags, unsigned(MB_OK | MB_ICONERROR));
}

// The program folder on a full disk (a small tmpfs): the message gives the workbook's path and the system's
// reason, and no part of the workbook stays behind.
TEST(GridExport, FullDiskNamesTheWorkbookAndTheSystemsReason)
{
    QList<QStringList> rows{{"Time", "Address"}};
    for (int row = 0; row < 2000; ++row)
        rows.append({QString::number(row), QStringLiteral("person%1@example.com").arg(row)});
    const QByteArray savedHome = qgetenv("SORVANTA_HOME");
    const sorvanta::test::FullDiskRun run = sorvanta::test::runOnFullDisk(
        [](const QString& folder) { QDir().mkpath(folder + "/logs"); },
        [&rows](const QString& folder) {
            qputenv("SORVANTA_HOME", QFile::encodeName(folder + "/"));
            OpenerRecorder opener(true);
            MessageBoxRecorder boxes;
            const bool exported = ExportToSpreadsheet(sheetRowsOf(rows), "failed", "Attention");
            QByteArray report = "exported=" + QByteArray::number(exported) + "\nopened="
                                + QByteArray::number(opener.opened.size()) + "\nlogs="
                                + QDir(folder + "/logs").entryList(QDir::Files | QDir::Hidden).join(',').toUtf8();
            for (const auto& box : boxes.boxes)
                report += "\nbox=" + box.text.toUtf8().replace(QFile::encodeName(folder), "DISK");
            return report;
        });
    qputenv("SORVANTA_HOME", savedHome);
    if (!run.mounted)
        GTEST_SKIP() << "no tmpfs here: " << run.refusal.toStdString();
    const QString report = QString::fromUtf8(run.report);
    static const QRegularExpression expected(
        "^exported=0\nopened=0\nlogs=\nbox=failed\n\nDISK/logs/export_[0-9_-]+\\.xlsx: No space left on device$");
    EXPECT_TRUE(expected.match(report).hasMatch()) << report.toStdString();
}

// An opener that started and fails afterwards gets the same message, with the workbook's path.
TEST(GridExport, OpenerThatFailsAfterStartingShowsTheMessageWithThePath)
{
    OpenerRecorder opener(true);
    MessageBoxRecorder boxes;
    EXPECT_TRUE(ExportToSpreadsheet(sheetRowsOf({{"Time"}}), "Excel Not Found!", "Attention"));
    EXPECT_TRUE(boxes.boxes.empty());
    ASSERT_TRUE(opener.failedLater);
    opener.failedLater();
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].text, "Excel Not Found!\n\nThe workbook was saved as " + opener.opened[0]);
    EXPECT_EQ(boxes.boxes[0].flags, unsigned(MB_OK | MB_ICONERROR));
}

struct DesktopCase {
    const char* name;
    int handlerExit;        // -1: no handler for the workbook's type
    bool withoutXdgOpen;    // xdg-open is not on PATH
    bool reported;
};

class DesktopOpenerTest : public ::testing::TestWithParam<DesktopCase> {};

// The desktop's opener (xdg-open, generic mode, in a desktop laid out in the test's folder): a workbook that
// nothing opens, or whose program fails, is reported once; one that opens is not.
TEST_P(DesktopOpenerTest, FailureIsReportedOnceWhateverStepFails)
{
    const DesktopCase& c = GetParam();
    DesktopSandbox desktop;
    EnvironmentScope environment;
    environment.set("DISPLAY", ":99");        // xdg-open asks for the default program only with a display
    environment.set("BROWSER", "/bin/false"); // and falls back to no browser of this machine
    if (c.withoutXdgOpen)
        environment.set("PATH", desktop.root());
    const QString workbook = testHome() + "probe.xlsx";
    ASSERT_TRUE(writeXlsxFile(workbook, sheetRowsOf({{"Time"}})));
    if (c.handlerExit >= 0) {
        QProcess query;
        query.start("xdg-mime", {"query", "filetype", workbook});
        ASSERT_TRUE(query.waitForFinished(10000));
        const QByteArray type = query.readAllStandardOutput().trimmed();
        if (type.isEmpty())
            GTEST_SKIP() << "xdg-mime names no type for a workbook here";
        const QString sheets = desktop.writeLoggingProgram("sheets.sh", c.handlerExit);
        desktop.writeEntry("data", "sheets.desktop", sheets.toUtf8() + " %f", type + ";");
        desktop.setDefault(QString::fromUtf8(type), "sheets.desktop");
    }
    MessageBoxRecorder boxes;
    ExportToSpreadsheet(sheetRowsOf({{"Time"}, {"09:00"}}), "Excel Not Found!", "Attention");
    ASSERT_TRUE(sorvanta::test::waitUntil([] { return qApp->findChildren<QProcess*>().isEmpty(); }, 20000));
    ASSERT_EQ(boxes.boxes.size(), c.reported ? 1u : 0u);
    if (c.reported)
        EXPECT_TRUE(boxes.boxes[0].text.startsWith("Excel Not Found!\n\nThe workbook was saved as " + testHome()));
    if (c.handlerExit >= 0) {
        const QStringList arguments = desktop.loggedArguments();
        ASSERT_EQ(arguments.size(), 1);
        EXPECT_TRUE(arguments[0].endsWith(".xlsx")) << arguments[0].toStdString();
    }
}

INSTANTIATE_TEST_SUITE_P(Desktops, DesktopOpenerTest, ::testing::Values(
    DesktopCase{"program_opens_it", 0, false, false},
    DesktopCase{"program_fails", 1, false, true},
    DesktopCase{"no_program_for_the_type", -1, false, true},
    DesktopCase{"no_xdg_open", -1, true, true}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
