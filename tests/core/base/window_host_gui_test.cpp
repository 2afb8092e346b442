// Shared helpers that need widgets: FindMdiChild over an MDI area and ShowMessageBox through the adaptor.

#include "core/base/window_host.h"

#include "platform/widgets/message_box.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTextEdit>

namespace {

TEST(FindMdiChildTest, FirstChildOfClassIgnoringCase)
{
    QMdiArea area;
    area.addSubWindow(new QTextEdit);
    area.addSubWindow(new QLabel("one"));
    area.addSubWindow(new QLabel("two"));
    area.subWindowList(QMdiArea::CreationOrder)[0]->setFocus();   // activation order does not count
    EXPECT_EQ(FindMdiChild(&area, "QTextEdit"), 0);
    EXPECT_EQ(FindMdiChild(&area, "qlabel"), 1);
    EXPECT_EQ(FindMdiChild(&area, "TNewMod2MessageForm"), -1);
    EXPECT_EQ(FindMdiChild(nullptr, "QLabel"), -1);

    delete area.subWindowList(QMdiArea::CreationOrder)[0];
    EXPECT_EQ(FindMdiChild(&area, "QLabel"), 0);
    EXPECT_EQ(FindMdiChild(&area, "QTextEdit"), -1);
}

TEST(ShowMessageBoxTest, AnswersTheButtonPressed)
{
    QString shown;
    unsigned shownFlags = 0;
    setMessageBoxResponder([&](const QString& text, const QString& caption, unsigned flags) {
        shown = caption + ": " + text;
        shownFlags = flags;
        return IDNO;
    });
    EXPECT_EQ(ShowMessageBox("Do you want to quit the program?", "Attention", MB_YESNO | MB_ICONQUESTION), IDNO);
    setMessageBoxResponder(nullptr);
    EXPECT_EQ(shown, "Attention: Do you want to quit the program?");
    EXPECT_EQ(shownFlags, MB_YESNO | MB_ICONQUESTION);
}

}  // namespace
