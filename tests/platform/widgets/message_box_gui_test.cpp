// The message-box adaptor shown for real: the buttons, icon and default button each flag value asks for, and
// the ID answered for a click and for Escape, and the style's own pictures for the icons.

#include "platform/widgets/message_box.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPushButton>
#include <QStyle>
#include <QTimer>

#include <functional>

namespace {

using Buttons = QMessageBox::StandardButtons;

struct ShownBox {
    Buttons buttons;
    QMessageBox::StandardButton defaultButton = QMessageBox::NoButton;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QString text;
    QString caption;
    QImage iconImage;
};

// Shows a box with flags; once it runs, records what it shows and lets act answer it.
int showBox(unsigned flags, const std::function<void(QMessageBox*)>& act, ShownBox* shown)
{
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box)
            return;
        poll.stop();
        *shown = {box->standardButtons(), box->standardButton(box->defaultButton()), box->icon(), box->text(),
                  box->windowTitle(), box->iconPixmap().toImage()};
        act(box);
    });
    poll.start(5);
    return messageBox(nullptr, QStringLiteral("Text"), QStringLiteral("Caption"), flags);
}

void pressEscape(QMessageBox* box)
{
    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(box, &escape);
}

struct FlagCase {
    const char* name;
    unsigned flags;
    Buttons buttons;
    QMessageBox::StandardButton defaultButton;
    QMessageBox::Icon icon;
    int escapeAnswer;
};

class MessageBoxFlagsTest : public ::testing::TestWithParam<FlagCase> {};

TEST_P(MessageBoxFlagsTest, ShowsTheAskedButtonsAndAnswersEscape)
{
    const FlagCase& c = GetParam();
    ShownBox shown;
    EXPECT_EQ(showBox(c.flags, pressEscape, &shown), c.escapeAnswer);
    EXPECT_EQ(shown.buttons, c.buttons);
    EXPECT_EQ(shown.defaultButton, c.defaultButton);
    EXPECT_EQ(shown.icon, c.icon);
    EXPECT_EQ(shown.text, "Text");
    EXPECT_EQ(shown.caption, "Caption");
}

using B = QMessageBox;
INSTANTIATE_TEST_SUITE_P(
    Flags, MessageBoxFlagsTest,
    ::testing::Values(
        FlagCase{"ok", MB_OK, B::Ok, B::Ok, B::NoIcon, IDOK},
        FlagCase{"ok_information", MB_OK | MB_ICONINFORMATION, B::Ok, B::Ok, B::Information, IDOK},
        FlagCase{"ok_cancel_error", MB_OKCANCEL | MB_ICONERROR, B::Ok | B::Cancel, B::Ok, B::Critical, IDCANCEL},
        FlagCase{"yes_no_question", MB_YESNO | MB_ICONQUESTION | MB_TASKMODAL, B::Yes | B::No, B::Yes,
                 B::Question, IDNO},
        FlagCase{"yes_no_cancel_second_default", MB_YESNOCANCEL | MB_ICONWARNING | MB_DEFBUTTON2,
                 B::Yes | B::No | B::Cancel, B::No, B::Warning, IDCANCEL},
        FlagCase{"retry_cancel_second_default", MB_RETRYCANCEL | MB_DEFBUTTON2, B::Retry | B::Cancel, B::Cancel,
                 B::NoIcon, IDCANCEL},
        // A default button beyond the box's buttons leaves the first one the default.
        FlagCase{"ok_third_default", MB_OK | MB_DEFBUTTON3, B::Ok, B::Ok, B::NoIcon, IDOK}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(MessageBoxTest, AClickedButtonGivesItsId)
{
    const struct {
        unsigned flags;
        QMessageBox::StandardButton click;
        int answer;
    } cases[] = {
        {MB_YESNO, B::Yes, IDYES},         {MB_YESNO, B::No, IDNO},
        {MB_ABORTRETRYIGNORE, B::Abort, IDABORT}, {MB_ABORTRETRYIGNORE, B::Retry, IDRETRY},
        {MB_ABORTRETRYIGNORE, B::Ignore, IDIGNORE}, {MB_OKCANCEL, B::Ok, IDOK},
    };
    for (const auto& c : cases) {
        ShownBox shown;
        const int answer = showBox(c.flags, [&](QMessageBox* box) { box->button(c.click)->click(); }, &shown);
        EXPECT_EQ(answer, c.answer) << "flags " << c.flags << ", button " << c.click;
    }
}

TEST(MessageBoxTest, IconsAreTheStylesStandardPictures)
{
    const struct {
        const char* name;
        unsigned flags;
        QStyle::StandardPixmap picture;
    } cases[] = {
        {"error", MB_OK | MB_ICONERROR, QStyle::SP_MessageBoxCritical},
        {"question", MB_YESNO | MB_ICONQUESTION | MB_TASKMODAL, QStyle::SP_MessageBoxQuestion},
        {"warning", MB_OKCANCEL | MB_ICONWARNING | MB_DEFBUTTON2, QStyle::SP_MessageBoxWarning},
        {"information", MB_ICONINFORMATION, QStyle::SP_MessageBoxInformation},
    };
    QStyle* style = QApplication::style();
    const int size = style->pixelMetric(QStyle::PM_MessageBoxIconSize);
    for (const auto& c : cases) {
        ShownBox shown;
        showBox(c.flags, pressEscape, &shown);
        const QImage expected = style->standardIcon(c.picture).pixmap(QSize(size, size)).toImage();
        EXPECT_FALSE(expected.isNull()) << c.name;
        EXPECT_EQ(shown.iconImage, expected) << c.name;
    }
    ShownBox plain;
    showBox(MB_OK, pressEscape, &plain);
    EXPECT_TRUE(plain.iconImage.isNull());
}

TEST(MessageBoxTest, AResponderAnswersInsteadOfTheBox)
{
    QString seenText, seenCaption;
    unsigned seenFlags = 0;
    setMessageBoxResponder([&](const QString& text, const QString& caption, unsigned flags) {
        seenText = text;
        seenCaption = caption;
        seenFlags = flags;
        return IDYES;
    });
    EXPECT_EQ(messageBox(nullptr, "Quit?", "Attention", MB_YESNO | MB_ICONQUESTION), IDYES);
    setMessageBoxResponder(nullptr);
    EXPECT_EQ(seenText, "Quit?");
    EXPECT_EQ(seenCaption, "Attention");
    EXPECT_EQ(seenFlags, MB_YESNO | MB_ICONQUESTION);

    ShownBox shown;   // without a responder the real box shows again
    EXPECT_EQ(showBox(MB_OK, pressEscape, &shown), IDOK);
    EXPECT_EQ(shown.caption, "Caption");
}

}  // namespace
