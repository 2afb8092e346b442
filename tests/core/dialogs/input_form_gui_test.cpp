// InputFormExecute: the prompt, the mask check box, the length cut, and Enter and Escape acting when the
// key goes down.

#include "core/dialogs/input_form.h"
#include "tests/core/modal_dialogs.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {

using sorvanta::test::onNextModal;

TInputForm* asInputForm(QWidget* modal)
{
    auto* form = qobject_cast<TInputForm*>(modal);
    EXPECT_NE(form, nullptr);
    return form;
}

void pressKey(QWidget* target, Qt::Key key)
{
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(target, &press);
}

TEST(InputForm, ShowsCaptionPromptAndValuePlainlyWithoutMask)
{
    QString seenCaption, seenPrompt, seenText;
    bool maskVisible = true;
    QLineEdit::EchoMode echo = QLineEdit::Password;
    onNextModal([&](QWidget* modal) {
        TInputForm* form = asInputForm(modal);
        seenCaption = form->windowTitle();
        seenPrompt = form->Prompt->text();
        seenText = form->Input->text();
        maskVisible = form->chbMask->isVisible();
        echo = form->Input->echoMode();
        form->Button2->click();
    });
    QString value = "old";
    EXPECT_FALSE(InputFormExecute("Title", "Enter a name", value, 10, false));
    EXPECT_EQ(seenCaption, "Title");
    EXPECT_EQ(seenPrompt, "Enter a name");
    EXPECT_EQ(seenText, "old");
    EXPECT_FALSE(maskVisible);
    EXPECT_EQ(echo, QLineEdit::Normal);
    EXPECT_EQ(value, "old");
}

TEST(InputForm, OkCutsTheEntryToTheMaximumLength)
{
    onNextModal([](QWidget* modal) {
        TInputForm* form = asInputForm(modal);
        form->Input->setText("abcdef");
        form->Button1->click();
    });
    QString value;
    EXPECT_TRUE(InputFormExecute("c", "p", value, 3, false));
    EXPECT_EQ(value, "abc");
}

TEST(InputForm, MaskTicksTheBoxAndUntickingShowsTheText)
{
    QLineEdit::EchoMode masked = QLineEdit::Normal, unmasked = QLineEdit::Password;
    bool visible = false, ticked = false;
    onNextModal([&](QWidget* modal) {
        TInputForm* form = asInputForm(modal);
        visible = form->chbMask->isVisible();
        ticked = form->chbMask->isChecked();
        masked = form->Input->echoMode();
        form->chbMask->click();
        unmasked = form->Input->echoMode();
        form->Button1->click();
    });
    QString value = "secret";
    EXPECT_TRUE(InputFormExecute("Password", "p", value, 255, true));
    EXPECT_TRUE(visible);
    EXPECT_TRUE(ticked);
    EXPECT_EQ(masked, QLineEdit::Password);
    EXPECT_EQ(unmasked, QLineEdit::Normal);
    EXPECT_EQ(value, "secret");
}

TEST(InputForm, ReleasesOfKeysPressedElsewhereDoNothing)
{
    bool stillOpen = false;
    onNextModal([&](QWidget* modal) {
        TInputForm* form = asInputForm(modal);
        form->Input->setText("typed");
        // The Enter that opened the dialog from another window goes up here: it must not answer it.
        for (Qt::Key key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape}) {
            QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier);
            QApplication::sendEvent(form->Input, &release);
        }
        stillOpen = form->isVisible() && form->result() == 0;
        form->Button2->click();
    });
    QString value = "before";
    EXPECT_FALSE(InputFormExecute("c", "p", value, 20, false));
    EXPECT_TRUE(stillOpen);
    EXPECT_EQ(value, "before");
}

TEST(InputForm, EnterPressAcceptsAndEscapePressCancels)
{
    onNextModal([](QWidget* modal) {
        TInputForm* form = asInputForm(modal);
        form->Input->setText("typed");
        pressKey(form->Input, Qt::Key_Return);
    });
    QString value = "before";
    EXPECT_TRUE(InputFormExecute("c", "p", value, 20, false));
    EXPECT_EQ(value, "typed");

    onNextModal([](QWidget* modal) {
        TInputForm* form = asInputForm(modal);
        form->Input->setText("discarded");
        pressKey(form->Input, Qt::Key_Escape);
    });
    EXPECT_FALSE(InputFormExecute("c", "p", value, 20, false));
    EXPECT_EQ(value, "typed");
}

}  // namespace
