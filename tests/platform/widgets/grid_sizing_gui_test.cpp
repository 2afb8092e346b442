// Result-list sizing of the string grid view: fitted columns as wide as their sampled texts, the stretch column
// filling the rest, one-line rows at the font's height, the whole text as tooltip, a bounded number of cells
// measured on 100,000 rows, a column the user resized left alone, every column fitted where the form asks,
// and the form's pixel sizes scaled with the font.

#include "platform/widgets/grid_sizing.h"
#include "platform/widgets/string_grid_view.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QHeaderView>
#include <QMouseEvent>
#include <QStyledItemDelegate>

#include <memory>

namespace {

enum Column { Email, State, Code, Comment, ColumnCount };

const QString longAddress = QStringLiteral("a.very.long.recipient.name.with.many.parts@subdomain.example.org");
const QString longComment = QStringLiteral("550 5.1.1 The email account that you tried to reach does not exist; "
                                           "please try double-checking the recipient's address for typos");

// rows record rows of short addresses, state "OK", code "250" and a short comment.
std::unique_ptr<StringGrid> resultGrid(int rows)
{
    auto grid = std::make_unique<StringGrid>(ColumnCount, rows + 1);
    grid->setRowCells(0, {"email", "state", "code", "comment"});
    for (int row = 1; row <= rows; ++row)
        grid->setRowCells(row, {QString("u%1@example.org").arg(row), "OK", "250", "sent"});
    return grid;
}

struct ShownGrid {
    std::unique_ptr<StringGrid> grid;
    std::unique_ptr<StringGridView> view;
};

ShownGrid showGrid(int rows, QStyledItemDelegate* delegate = nullptr)
{
    ShownGrid shown{resultGrid(rows), std::make_unique<StringGridView>()};
    shown.view->resize(900, 300);
    if (delegate)
        shown.view->setItemDelegate(delegate);
    shown.view->setGrid(shown.grid.get());
    shown.view->setFittedColumns({Email, State, Code}, Comment);
    shown.view->show();
    QApplication::processEvents();
    return shown;
}

int textWidth(const QWidget& view, const QString& text)
{
    return view.fontMetrics().horizontalAdvance(text);
}

TEST(GridSizingTest, ColumnsFitTheirTextsAndTheCommentTakesTheRest)
{
    ShownGrid shown = showGrid(50);
    shown.grid->setCell(Email, 7, longAddress);
    shown.grid->setCell(Comment, 9, longComment);
    QApplication::processEvents();
    const StringGridView& view = *shown.view;

    const int email = view.columnWidth(Email);
    EXPECT_GE(email, textWidth(view, longAddress));
    EXPECT_LE(email, textWidth(view, longAddress) + 24);
    for (Column shortColumn : {State, Code}) {
        EXPECT_GE(view.columnWidth(shortColumn), textWidth(view, view.model()->headerData(shortColumn, Qt::Horizontal)
                                                                     .toString()));
        EXPECT_LT(view.columnWidth(shortColumn), 4 * textWidth(view, "state")) << shortColumn;
    }
    const QHeaderView* header = view.horizontalHeader();
    EXPECT_EQ(header->sectionViewportPosition(Comment) + header->sectionSize(Comment), view.viewport()->width());

    EXPECT_FALSE(view.wordWrap());
    const int fontHeight = view.fontMetrics().height();
    EXPECT_GE(view.rowHeight(0), fontHeight);
    EXPECT_LE(view.rowHeight(0), fontHeight + 4);

    const QModelIndex comment = view.model()->index(8, Comment);   // grid row 9
    EXPECT_EQ(comment.data(Qt::ToolTipRole).toString(), longComment);
    shown.grid->setCell(Comment, 2, QString());
    EXPECT_FALSE(view.model()->index(1, Comment).data(Qt::ToolTipRole).isValid());   // no empty tooltip
}

struct SampleCase {
    const char* name;
    int longRow;        // grid row that holds the long address
    int scrollTo;       // grid row brought into sight, 0 for none
    bool scrollBack;    // then back to the top
    bool fitted;        // whether the e-mail column grows to the long address
};

class GridSizingSampleTest : public ::testing::TestWithParam<SampleCase> {};

TEST_P(GridSizingSampleTest, MeasuresTheFirstRowsAndThoseInSight)
{
    const SampleCase& c = GetParam();
    ShownGrid shown = showGrid(100000);
    shown.grid->setCell(Email, c.longRow, longAddress);
    if (c.scrollTo > 0)
        shown.view->setTopRow(c.scrollTo);
    QApplication::processEvents();
    if (c.scrollBack) {
        shown.view->setTopRow(1);
        QApplication::processEvents();
    }
    EXPECT_EQ(shown.view->columnWidth(Email) >= textWidth(*shown.view, longAddress), c.fitted);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, GridSizingSampleTest,
    ::testing::Values(SampleCase{"among_the_first_rows", 150, 0, false, true},
                      SampleCase{"scrolled_into_sight", 60000, 60000, false, true},
                      SampleCase{"far_out_of_sight", 90000, 0, false, false},
                      // Once measured, a width stays when the long text scrolls away again.
                      SampleCase{"scrolled_past", 60000, 60000, true, true}),
    [](const auto& info) { return std::string(info.param.name); });

// Counts the cells measured for a fit.
class CountingDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    mutable int measured = 0;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        ++measured;
        return QStyledItemDelegate::sizeHint(option, index);
    }
};

TEST(GridSizingTest, AHundredThousandRowsCostOnlyTheSample)
{
    auto* delegate = new CountingDelegate;
    ShownGrid shown = showGrid(100000, delegate);
    delegate->setParent(shown.view.get());
    EXPECT_GT(delegate->measured, 0);
    EXPECT_LE(delegate->measured, 3 * 2 * GridSizing::sampleRows);   // three fitted columns, two samples at most
    delegate->measured = 0;
    shown.grid->setCell(Comment, 1, "changed");   // a run writing results refits from the sample again
    QApplication::processEvents();
    EXPECT_LE(delegate->measured, 3 * 2 * GridSizing::sampleRows);
}

TEST(GridSizingTest, AColumnTheUserResizedKeepsItsWidth)
{
    ShownGrid shown = showGrid(20);
    QWidget* headerViewport = shown.view->horizontalHeader()->viewport();
    const QPointF at(2, 2);
    QMouseEvent press(QEvent::MouseButtonPress, at, headerViewport->mapToGlobal(at), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(headerViewport, &press);
    shown.view->setColumnWidth(Email, 40);
    QMouseEvent release(QEvent::MouseButtonRelease, at, headerViewport->mapToGlobal(at), Qt::LeftButton,
                        Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(headerViewport, &release);

    shown.grid->setCell(Email, 3, longAddress);
    shown.grid->setCell(Code, 3, "a code wider than before");
    QApplication::processEvents();
    EXPECT_EQ(shown.view->columnWidth(Email), 40);
    EXPECT_GE(shown.view->columnWidth(Code), textWidth(*shown.view, "a code wider than before"));
}

TEST(GridSizingTest, RowsFollowTheFont)
{
    ShownGrid shown = showGrid(5);
    QFont larger = shown.view->font();
    larger.setPointSize(larger.pointSize() * 2);
    shown.view->setFont(larger);
    QApplication::processEvents();
    EXPECT_EQ(shown.view->rowHeight(0), QFontMetrics(larger).height() + 2);
}

// A grid whose columns are all fitted (the account grid): every title whole, at the form's font and at a
// larger one, and none stretched.
TEST(GridSizingTest, EveryColumnFitsItsTitleAtAnyFont)
{
    StringGrid grid(3, 2);
    grid.setRowCells(0, {"Return Address", "Mail Domain", "POP3 Password"});
    grid.setRowCells(1, {"a@b", "b", ""});
    StringGridView view;
    view.resize(300, 200);
    view.setGrid(&grid);
    view.setFittedColumns({GridSizing::everyColumn}, -1);
    view.show();
    for (const int scale : {1, 2}) {
        QFont font = QApplication::font();
        font.setPointSize(font.pointSize() * scale);
        view.setFont(font);
        QApplication::processEvents();
        for (int column = 0; column < 3; ++column)
            EXPECT_GE(view.columnWidth(column), view.horizontalHeader()->sectionSizeHint(column))
                << "column " << column << " at scale " << scale;
        EXPECT_EQ(view.horizontalHeader()->sectionResizeMode(2), QHeaderView::Interactive);
    }
}

// The sizes a form gives in its pixels grow with the font: a 100-pixel column and a 17-pixel row at twice the
// font are wider and higher than the text they hold.
TEST(GridSizingTest, FormSizesFollowTheFont)
{
    StringGrid grid(2, 3);
    grid.setRowCells(0, {"Return Address", "Mail Domain"});
    StringGridView view;
    view.setGrid(&grid);
    view.setDefaultColumnWidth(100);
    view.setDefaultRowHeight(17);
    const int smallWidth = view.horizontalHeader()->defaultSectionSize();
    QFont larger = view.font();
    larger.setPointSize(larger.pointSize() * 2);
    view.setFont(larger);
    EXPECT_GT(view.horizontalHeader()->defaultSectionSize(), smallWidth * 3 / 2);
    EXPECT_GE(view.verticalHeader()->defaultSectionSize(), QFontMetrics(larger).height());
    EXPECT_GE(view.horizontalHeader()->defaultSectionSize(), QFontMetrics(larger).horizontalAdvance("Return Addres"));
}

}  // namespace
