// The Edit menu's view of the focused text field: which commands each kind of field allows in which state,
// and the commands carried out on the field inside a spin box or combo box as on a line edit.

#include "platform/widgets/focused_editor.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTextEdit>

#include <functional>
#include <memory>

namespace {

using namespace FocusedEditor;

struct MaskCase {
    const char* name;
    std::function<QWidget*()> make;   // a field in the state the case names
    int mask;
};

QLineEdit* selectedLine(const QString& text)
{
    auto* edit = new QLineEdit(text);
    edit->selectAll();
    return edit;
}

class FocusedEditorMaskTest : public ::testing::TestWithParam<MaskCase> {};

TEST_P(FocusedEditorMaskTest, AnswersTheCommandsThatApplyNow)
{
    QApplication::clipboard()->setText("on the clipboard");
    std::unique_ptr<QWidget> field(GetParam().make());
    EXPECT_EQ(commandMask(field.get()), GetParam().mask);
}

INSTANTIATE_TEST_SUITE_P(
    Fields, FocusedEditorMaskTest,
    ::testing::Values(
        MaskCase{"line_without_selection", [] { return new QLineEdit("abc"); }, Paste},
        MaskCase{"line_with_selection", [] { return selectedLine("abc"); }, Cut | Copy | Paste | Delete},
        MaskCase{"read_only_line", [] {
                     QLineEdit* edit = selectedLine("abc");
                     edit->setReadOnly(true);
                     return edit;
                 }, Copy},
        MaskCase{"password_line", [] {   // its text never leaves through the clipboard
                     QLineEdit* edit = selectedLine("secret");
                     edit->setEchoMode(QLineEdit::Password);
                     return edit;
                 }, Paste | Delete},
        MaskCase{"line_after_typing", [] {
                     auto* edit = new QLineEdit;
                     edit->insert("typed");
                     return edit;
                 }, Paste | Undo},
        MaskCase{"spin_box", [] {
                     auto* spin = new QSpinBox;
                     spin->setValue(12);
                     spin->selectAll();
                     return spin;
                 }, Cut | Copy | Paste | Delete},
        MaskCase{"editable_combo", [] {
                     auto* combo = new QComboBox;
                     combo->setEditable(true);
                     return combo;
                 }, Paste},
        MaskCase{"plain_text_with_selection", [] {
                     auto* edit = new QPlainTextEdit("text");
                     edit->selectAll();
                     return edit;
                 }, Cut | Copy | Paste | Delete},
        MaskCase{"read_only_rich_text", [] {
                     auto* edit = new QTextEdit("text");
                     edit->selectAll();
                     edit->setReadOnly(true);
                     return edit;
                 }, Copy},
        MaskCase{"button", [] { return new QPushButton("OK"); }, 0},
        MaskCase{"fixed_combo", [] { return new QComboBox; }, 0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(FocusedEditorTest, CommandsActOnTheFieldInsideASpinBox)
{
    QSpinBox spin;
    spin.setRange(0, 99999);
    spin.setValue(123);
    spin.selectAll();
    ASSERT_TRUE(perform(&spin, Copy));
    EXPECT_EQ(QApplication::clipboard()->text(), "123");
    ASSERT_TRUE(perform(&spin, Delete));
    QApplication::clipboard()->setText("456");
    ASSERT_TRUE(perform(&spin, Paste));
    spin.interpretText();
    EXPECT_EQ(spin.value(), 456);
}

TEST(FocusedEditorTest, DeleteTakesOnlyTheSelection)
{
    QLineEdit edit("abcdef");
    edit.setCursorPosition(2);
    ASSERT_TRUE(perform(&edit, Delete));
    EXPECT_EQ(edit.text(), "abcdef");   // nothing selected: the character after the cursor stays
    edit.setSelection(1, 3);
    perform(&edit, Delete);
    EXPECT_EQ(edit.text(), "aef");
    perform(&edit, Undo);
    EXPECT_EQ(edit.text(), "abcdef");
}

TEST(FocusedEditorTest, NoFieldNoCommand)
{
    QPushButton button("OK");
    EXPECT_FALSE(perform(&button, Copy));
    EXPECT_FALSE(perform(nullptr, Copy));
    QLineEdit edit;
    EXPECT_FALSE(perform(&edit, Copy | Paste));   // one command at a time
}

}  // namespace
