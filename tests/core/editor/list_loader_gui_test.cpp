// Loading the list with the progress window: its caption and gauge, Stop pressed before or while the rows are
// read, the window gone afterwards, a missing file that shows no window and an unreadable one that is reported.

#include "core/editor/list_loader.h"

#include "core/dialogs/progress_window.h"
#include "platform/widgets/message_box.h"
#include "platform/string_grid.h"
#include "tests/support/test_files.h"
#include "tests/support/test_home.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>

namespace {

using sorvanta::test::testHome;
using sorvanta::test::writeTestFile;

TProgAddress* shownProgressWindow()
{
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (auto* window = qobject_cast<TProgAddress*>(widget); window && window->isVisible())
            return window;
    return nullptr;
}

QString writeList(int lines)
{
    QByteArray bytes;
    for (int i = 0; i < lines; ++i)
        bytes += "user" + QByteArray::number(i) + "@example.com;Name " + QByteArray::number(i) + "\r\n";
    return writeTestFile("list.txt", bytes);
}

TEST(LoadListIntoGrid, StopPressedWhileLoadingKeepsTheRowsReadSoFar)
{
    const QString path = writeList(200000);
    QString caption;
    int gaugeMaximum = 0;
    QTimer::singleShot(0, [&] {
        TProgAddress* window = shownProgressWindow();
        ASSERT_NE(window, nullptr);
        caption = window->windowTitle();
        gaugeMaximum = window->Gauge1->maximum();
        window->SpeedButton1->click();
    });
    StringGrid grid;
    const ListLoadResult result = ListLoader().load(grid, path, ";", "Load Address Book");
    EXPECT_EQ(caption, "Load Address Book.. " + path);
    EXPECT_EQ(gaugeMaximum, 200000);
    EXPECT_TRUE(result.stopped);
    EXPECT_GT(result.records, 0);
    EXPECT_LT(result.records, 200000);
    EXPECT_EQ(grid.rowCount(), result.records + 1);
    EXPECT_EQ(grid.cell(1, result.records), QStringLiteral("Name %1").arg(result.records - 1));
    QApplication::processEvents();
    EXPECT_EQ(shownProgressWindow(), nullptr);
}

// Stop arrives as a queued click, as a user's press does: the load sees it at its next pump of events, long
// before the end of the file.
TEST(LoadListIntoGrid, StopPressedInTheMiddleEndsTheLoadAtOnce)
{
    const QString path = writeList(400000);
    bool stopRequested = false;
    QTimer::singleShot(0, [&] {
        TProgAddress* window = shownProgressWindow();
        ASSERT_NE(window, nullptr);
        QObject::connect(window->Gauge1, &QProgressBar::valueChanged, window, [&, window](int linesRead) {
            if (linesRead < 100000 || stopRequested)
                return;
            stopRequested = true;
            QMetaObject::invokeMethod(window->SpeedButton1, &QPushButton::click, Qt::QueuedConnection);
        });
    });
    StringGrid grid;
    const ListLoadResult result = ListLoader().load(grid, path, ";", "Load Address Book");
    EXPECT_TRUE(stopRequested);
    EXPECT_TRUE(result.stopped);
    EXPECT_GE(result.records, 100000);
    EXPECT_LT(result.records, 300000);
    EXPECT_EQ(grid.rowCount(), result.records + 1);
}

TEST(LoadListIntoGrid, WholeFileWhenNotStopped)
{
    const QString path = writeList(10000);
    StringGrid grid;
    const ListLoadResult result = ListLoader().load(grid, path, ";", "Load Address Book");
    EXPECT_FALSE(result.stopped);
    EXPECT_EQ(result.records, 10000);
    EXPECT_EQ(grid.columnCount(), 2);
    EXPECT_EQ(grid.cell(1, 0), "Column#2");
}

TEST(LoadListIntoGrid, MissingFileShowsNoWindowAndGivesTheEmptyList)
{
    bool windowShown = false;
    QTimer::singleShot(0, [&] { windowShown = shownProgressWindow() != nullptr; });
    StringGrid grid(3, 5);
    const ListLoadResult result = ListLoader().load(grid, testHome() + "absent.txt", ";", "Load Address Book");
    QApplication::processEvents();
    EXPECT_FALSE(windowShown);
    EXPECT_FALSE(result.fileFound);
    EXPECT_EQ(grid.rowCount(), 2);
    EXPECT_EQ(grid.columnCount(), 1);
}

TEST(LoadListIntoGrid, UnreadableFileIsReported)
{
    QStringList shown;
    setMessageBoxResponder([&](const QString& text, const QString& caption, unsigned flags) {
        shown << caption + " | " + text.section(" : ", 0, 0) + " | " + QString::number(flags);
        return IDOK;
    });
    StringGrid grid;
    const ListLoadResult result = ListLoader().load(grid, "/proc/self/mem", ";", "Load Address Book");
    setMessageBoxResponder(nullptr);
    EXPECT_FALSE(result.fileFound);
    EXPECT_EQ(shown, QStringList{"Load Address Book | /proc/self/mem | 48"});
}

}  // namespace
