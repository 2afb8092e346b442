// The save-results dialog's file list: it opens with the folders first, then the files, by name without
// regard to case; sorting by any column keeps the folders first in both directions, and Size and Date sort
// by value, not as text.

#include "lists/save_results_dialog.h"

#include "tests/support/test_files.h"
#include "tests/support/test_home.h"

#include <gtest/gtest.h>

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QTreeWidget>

namespace {

using sorvanta::test::testHome;
using sorvanta::test::writeFileBytes;

QStringList shownNames(const QTreeWidget* list)
{
    QStringList names;
    for (int row = 0; row < list->topLevelItemCount(); ++row)
        names << list->topLevelItem(row)->text(0);
    return names;
}

void writeFile(const QString& path, int size, const QDateTime& modified)
{
    writeFileBytes(path, QByteArray(size, 'x'));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    ASSERT_TRUE(file.setFileTime(modified, QFileDevice::FileModificationTime));
}

TEST(SaveResultsDialogFiles, FoldersFirstThenNamesWithoutCaseAndValuesSortAsValues)
{
    const QString folder = testHome() + "results/";
    QDir().mkpath(folder + "Zeta");
    QDir().mkpath(folder + "alpha");
    const QDateTime day(QDate(2024, 3, 9), QTime(10, 0));
    writeFile(folder + "b.txt", 100, day.addDays(2));                  // 11/03/2024 10:00
    writeFile(folder + "A.txt", 20, day.addDays(-40).addSecs(3600));   // 29/01/2024 11:00
    writeFile(folder + "c.TXT", 3, day.addDays(10).addSecs(-7200));    // 19/03/2024 08:00

    T_SaveForm dialog;
    dialog.setFolder(folder);
    QTreeWidget* list = dialog.lvLoc;
    EXPECT_EQ(shownNames(list), (QStringList{"alpha", "Zeta", "A.txt", "b.txt", "c.TXT"}));

    struct Sorted {
        int column;
        Qt::SortOrder order;
        QStringList names;
    };
    const Sorted sorts[] = {
        {0, Qt::DescendingOrder, {"Zeta", "alpha", "c.TXT", "b.txt", "A.txt"}},
        {1, Qt::AscendingOrder, {"alpha", "Zeta", "c.TXT", "A.txt", "b.txt"}},   // 3, 20, 100 bytes
        {1, Qt::DescendingOrder, {"Zeta", "alpha", "b.txt", "A.txt", "c.TXT"}},
        {2, Qt::AscendingOrder, {"alpha", "Zeta", "A.txt", "b.txt", "c.TXT"}},   // January before March
        {3, Qt::AscendingOrder, {"alpha", "Zeta", "c.TXT", "b.txt", "A.txt"}},   // 08:00, 10:00, 11:00
    };
    for (const Sorted& sorted : sorts) {
        list->sortByColumn(sorted.column, sorted.order);
        EXPECT_EQ(shownNames(list), sorted.names) << "column " << sorted.column << " order " << sorted.order;
    }
}

}  // namespace
