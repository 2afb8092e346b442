// The window walk's checker finds what a user sees as broken and passes a window laid out by its layout.

#include "tests/app/layout_faults.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>

#include <functional>
#include <memory>

namespace {

using sorvanta::test::layoutFaults;

struct FaultCase {
    const char* name;
    std::function<void(QWidget* window)> build;   // on a 300x200 window without a layout
    QString fault;                                // the start of the one fault expected; empty for none
};

class LayoutFaultsTest : public ::testing::TestWithParam<FaultCase> {};

TEST_P(LayoutFaultsTest, FindsWhatIsCutOff)
{
    auto window = std::make_unique<QWidget>();
    window->resize(300, 200);
    GetParam().build(window.get());
    window->show();
    QCoreApplication::processEvents();
    const QStringList faults = layoutFaults(window.get());
    if (GetParam().fault.isEmpty()) {
        EXPECT_TRUE(faults.isEmpty()) << faults.join('\n').toStdString();
        return;
    }
    ASSERT_EQ(faults.size(), 1) << faults.join('\n').toStdString();
    EXPECT_TRUE(faults[0].startsWith(GetParam().fault)) << faults[0].toStdString();
}

QLabel* label(QWidget* parent, const QString& text, const QRect& at)
{
    auto* label = new QLabel(text, parent);
    label->setGeometry(at);
    return label;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, LayoutFaultsTest,
    ::testing::Values(
        FaultCase{"form_layout",
                  [](QWidget* window) {
                      auto* form = new QFormLayout(window);
                      form->addRow(QStringLiteral("Sender name"), new QLineEdit);
                      form->addRow(new QCheckBox(QStringLiteral("Create log file")));
                      form->addRow(new QPushButton(QStringLiteral("Save && Exit")));
                  },
                  {}},
        FaultCase{"past_the_bottom",
                  [](QWidget* window) { (new QLineEdit(window))->setGeometry(10, 190, 100, 30); },
                  "outside its parent"},
        FaultCase{"left_of_the_parent",
                  [](QWidget* window) { label(window, "x", QRect(-5, 10, 40, 20)); },
                  "outside its parent"},
        FaultCase{"label_too_narrow",
                  [](QWidget* window) { label(window, "Send mail through the server", QRect(10, 10, 40, 20)); },
                  "label text cut off"},
        FaultCase{"second_line_too_wide",
                  [](QWidget* window) { label(window, "ok\nand a much longer line", QRect(10, 10, 60, 80)); },
                  "label text cut off"},
        FaultCase{"rich_text_too_wide",
                  [](QWidget* window) { label(window, "<b>Total recipients here</b>", QRect(10, 10, 40, 20)); },
                  "label text cut off"},
        FaultCase{"lines_too_high",
                  [](QWidget* window) { label(window, "one\ntwo\nthree", QRect(10, 10, 200, 20)); },
                  "label text cut off"},
        FaultCase{"word_wrap_is_free",
                  [](QWidget* window) {
                      label(window, "a long text that wraps", QRect(10, 10, 60, 100))->setWordWrap(true);
                  },
                  {}},
        FaultCase{"button_narrower_than_its_caption",
                  [](QWidget* window) {
                      (new QPushButton(QStringLiteral("Delete unavailable from list"), window))
                          ->setGeometry(10, 10, 50, 30);
                  },
                  "squeezed"},
        FaultCase{"scrolled_content_may_leave_the_viewport",
                  [](QWidget* window) {
                      auto* area = new QScrollArea(window);
                      area->setGeometry(0, 0, 300, 200);
                      auto* content = new QWidget;
                      content->resize(600, 600);
                      area->setWidget(content);
                  },
                  {}}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
