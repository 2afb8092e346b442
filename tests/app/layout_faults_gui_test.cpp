// The window walk's checker finds what a user sees as broken (a window the desktop cannot hold, a widget cut
// off, a field a screen reader cannot name, text too faint to read, a frame listed that is never shown) and
// passes a window laid out by its layout.

#include "tests/app/window_faults.h"

#include <gtest/gtest.h>

#include <QAccessible>
#include <QAccessibleObject>
#include <QApplication>
#include <QCheckBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QSpinBox>
#include <QTableWidget>
#include <QWindow>

#include <functional>
#include <memory>

namespace {

using sorvanta::test::framesNeverShown;
using sorvanta::test::shownWindowFaults;

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
    const QStringList faults = shownWindowFaults(window.get());
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

// A field named by its accessible name, at at.
template <typename Field>
Field* namedField(QWidget* parent, const QString& name, const QRect& at)
{
    auto* field = new Field(parent);
    field->setAccessibleName(name);
    field->setGeometry(at);
    return field;
}

void setColour(QWidget* widget, QPalette::ColorRole role, const QColor& colour)
{
    QPalette palette = widget->palette();
    palette.setColor(role, colour);
    widget->setPalette(palette);
}

// A grid of accounts over the whole window whose first title is longer than the form's 100 pixels.
QTableWidget* accountGrid(QWidget* window)
{
    auto* grid = namedField<QTableWidget>(window, "Accounts", QRect(0, 0, 300, 200));
    grid->setColumnCount(1);
    grid->setRowCount(1);
    grid->setHorizontalHeaderLabels({QStringLiteral("Return Address of the account")});
    grid->setItem(0, 0, new QTableWidgetItem(QStringLiteral("sender@origin.test")));
    return grid;
}

// The account grid at a large font, its columns as wide as their texts.
QTableWidget* largeFontAccountGrid(QWidget* window)
{
    QTableWidget* grid = accountGrid(window);
    grid->setFont(QFont(grid->font().family(), 20));
    grid->resizeColumnsToContents();
    return grid;
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
                  [](QWidget* window) { namedField<QLineEdit>(window, "Port", QRect(10, 190, 100, 30)); },
                  "outside its parent"},
        FaultCase{"wider_than_the_desktop",
                  [](QWidget* window) { window->resize(window->screen()->availableGeometry().width(), 200); },
                  "larger than the screen"},
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
        FaultCase{"buddy_names_the_field",
                  [](QWidget* window) {
                      auto* form = new QFormLayout(window);
                      auto* caption = new QLabel(QStringLiteral("&Rows"));
                      auto* rows = new QSpinBox;
                      caption->setBuddy(rows);
                      form->addRow(caption, rows);
                  },
                  {}},
        FaultCase{"edit_without_a_label",
                  [](QWidget* window) { (new QLineEdit(window))->setGeometry(10, 10, 100, 30); },
                  "no accessible name"},
        FaultCase{"label_beside_but_not_its_buddy",
                  [](QWidget* window) {
                      auto* form = new QFormLayout(window);
                      form->addRow(new QLabel(QStringLiteral("Charset")), new QComboBox);
                  },
                  "no accessible name"},
        FaultCase{"group_title_names_no_field",
                  [](QWidget* window) {
                      auto* group = new QGroupBox(QStringLiteral("Tabel Parameters"), window);
                      group->setGeometry(0, 0, 300, 200);
                      (new QFormLayout(group))->addRow(new QLabel(QStringLiteral("Rows")), new QSpinBox);
                  },
                  "no accessible name"},
        FaultCase{"two_fields_one_name",
                  [](QWidget* window) {
                      namedField<QLineEdit>(window, "Port", QRect(10, 10, 100, 30));
                      namedField<QLineEdit>(window, "Port", QRect(10, 50, 100, 30));
                  },
                  "accessible name \"Port\" also names"},
        FaultCase{"navy_label_on_dark_grey",
                  [](QWidget* window) {
                      setColour(window, QPalette::Window, QColor(53, 53, 53));
                      setColour(label(window, "Ok", QRect(10, 10, 100, 30)), QPalette::WindowText, QColor(0, 0, 128));
                  },
                  "text hard to read"},
        FaultCase{"white_on_silver_edit",
                  [](QWidget* window) {
                      auto* edit = namedField<QLineEdit>(window, "Project path", QRect(10, 10, 200, 30));
                      edit->setText(QStringLiteral("/home/ann/Mailing/"));
                      setColour(edit, QPalette::Base, QColor(192, 192, 192));
                      setColour(edit, QPalette::Text, QColor(230, 230, 230));
                  },
                  "text hard to read"},
        FaultCase{"silver_row_of_a_grid",
                  [](QWidget* window) {
                      auto* grid = namedField<QTableWidget>(window, "Results", QRect(0, 0, 300, 200));
                      grid->setRowCount(2);
                      grid->setColumnCount(1);
                      grid->setItem(0, 0, new QTableWidgetItem(QStringLiteral("ann@example.test")));
                      grid->setItem(1, 0, new QTableWidgetItem(QStringLiteral("no address")));
                      grid->item(1, 0)->setForeground(QColor(192, 192, 192));
                  },
                  "text hard to read"},
        FaultCase{"disabled_text_may_be_faint",
                  [](QWidget* window) {
                      QLabel* faint = label(window, "Au Name", QRect(10, 10, 100, 30));
                      setColour(faint, QPalette::WindowText, QColor(200, 200, 200));
                      faint->setEnabled(false);
                  },
                  {}},
        FaultCase{"grid_title_cut_at_a_fixed_width",
                  [](QWidget* window) {
                      QTableWidget* grid = accountGrid(window);
                      grid->horizontalHeader()->resizeSection(0, 100);
                  },
                  "column title cut off"},
        FaultCase{"grid_rows_lower_than_a_line",
                  [](QWidget* window) {
                      QTableWidget* grid = largeFontAccountGrid(window);
                      grid->verticalHeader()->setMinimumSectionSize(1);
                      grid->verticalHeader()->setDefaultSectionSize(17);
                  },
                  "row 0 lower than a line"},
        FaultCase{"grid_fitted_to_its_font",
                  [](QWidget* window) { largeFontAccountGrid(window)->resizeRowsToContents(); },
                  {}},
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

// A window that a widget draws through, never shown, with an accessible frame of its own: what a web page's
// engine makes.
class DrawingWindow : public QWindow {
public:
    QAccessibleInterface* accessibleRoot() const override
    {
        return QAccessible::queryAccessibleInterface(const_cast<DrawingWindow*>(this));
    }
};

class DrawingWindowFrame : public QAccessibleObject {
public:
    explicit DrawingWindowFrame(QWindow* window) : QAccessibleObject(window) {}
    QWindow* window() const override { return static_cast<QWindow*>(object()); }
    QAccessibleInterface* parent() const override { return QAccessible::queryAccessibleInterface(qApp); }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QString text(QAccessible::Text t) const override { return t == QAccessible::Name ? window()->title() : QString(); }
    QAccessible::Role role() const override { return QAccessible::Window; }
    QAccessible::State state() const override { return {}; }
};

QAccessibleInterface* drawingWindowFrames(const QString&, QObject* object)
{
    auto* window = qobject_cast<QWindow*>(object);
    return window && window->objectName() == QLatin1String("drawing") ? new DrawingWindowFrame(window) : nullptr;
}

TEST(FramesNeverShownTest, ListsAWindowThatWasNeverPutOnTheScreen)
{
    QAccessible::installFactory(drawingWindowFrames);
    {
        DrawingWindow stray;
        stray.setObjectName(QStringLiteral("drawing"));
        stray.setTitle(QStringLiteral("Offscreen"));
        EXPECT_TRUE(framesNeverShown().join(' ').contains(QLatin1String("\"Offscreen\""))) << "never shown";
        stray.show();
        EXPECT_FALSE(framesNeverShown().join(' ').contains(QLatin1String("\"Offscreen\""))) << "shown";
    }
    QAccessible::removeFactory(drawingWindowFrames);
}

}  // namespace
