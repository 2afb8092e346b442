// The progress window: stepping within the gauge's range, Stop, and the close button and Escape acting
// as Stop while the loop still holds the window.

#include "core/dialogs/progress_window.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>

namespace {

TEST(ProgressWindow, IsCreatedShownAndEmpty)
{
    TProgAddress* window = CreateProgressWindow();
    EXPECT_TRUE(window->isVisible());
    EXPECT_FALSE(window->Stopped);
    EXPECT_EQ(window->windowTitle(), "Open Address Book");
    EXPECT_EQ(window->Gauge1->value(), 0);
    EXPECT_EQ(window->Gauge1->maximum(), 100);
    EXPECT_EQ(window->SpeedButton1->text(), "Stop");
    CloseProgressWindow(window);
}

TEST(ProgressWindow, StepsStayWithinTheGaugeRange)
{
    TProgAddress* window = CreateProgressWindow();
    window->Gauge1->setMaximum(2);
    ProgressStepBack(window);
    EXPECT_EQ(window->Gauge1->value(), 0);
    for (int i = 0; i < 3; ++i)
        ProgressStep(window);
    EXPECT_EQ(window->Gauge1->value(), 2);
    ProgressStepBack(window);
    EXPECT_EQ(window->Gauge1->value(), 1);
    CloseProgressWindow(window);
}

TEST(ProgressWindow, StopPressedTwiceStaysStoppedAndLeavesTheGauge)
{
    TProgAddress* window = CreateProgressWindow();
    ProgressStep(window);
    window->SpeedButton1->click();
    window->SpeedButton1->click();
    EXPECT_TRUE(window->Stopped);
    EXPECT_EQ(window->Gauge1->value(), 1);
    EXPECT_TRUE(window->isVisible());
    CloseProgressWindow(window);
}

TEST(ProgressWindow, CloseButtonAndEscapeOnlyStopTheLoop)
{
    TProgAddress* window = CreateProgressWindow();
    EXPECT_FALSE(window->close());
    EXPECT_TRUE(window->Stopped);
    EXPECT_TRUE(window->isVisible());

    window->Stopped = false;
    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(window, &escape);
    EXPECT_TRUE(window->Stopped);
    EXPECT_TRUE(window->isVisible());
    CloseProgressWindow(window);
}

TEST(ProgressWindow, CloseProgressWindowFreesIt)
{
    QPointer<TProgAddress> window = CreateProgressWindow();
    CloseProgressWindow(window);
    EXPECT_FALSE(window->isVisible());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(window.isNull());
}

}  // namespace
