// Checks shared by the tests of the windows with result grids: the e-mail column fits its longest address,
// the stretch column reaches the right edge, rows are one line of the font.
#pragma once

#include "platform/widgets/string_grid_view.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QHeaderView>

namespace sorvanta::test {

inline void expectResultGridLayout(const StringGridView& view, int emailColumn, const QString& longestAddress,
                                   int stretchColumn)
{
    QApplication::processEvents();   // the columns are fitted when the event loop is next free
    EXPECT_GE(view.columnWidth(emailColumn), view.fontMetrics().horizontalAdvance(longestAddress));
    const QHeaderView* header = view.horizontalHeader();
    EXPECT_EQ(header->sectionViewportPosition(stretchColumn) + header->sectionSize(stretchColumn),
              view.viewport()->width());
    EXPECT_LT(view.rowHeight(0), 2 * view.fontMetrics().height());
    EXPECT_FALSE(view.wordWrap());
}

}  // namespace sorvanta::test
