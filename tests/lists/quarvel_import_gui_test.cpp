// The address-book import window's wiring: the start folder, the book tree, Import and Stop, the message on an
// unreadable book, and tool code 0 through the tool table.

#include "controls/explorer_button.h"
#include "controls/tree_list.h"
#include "core/dialogs/progress_window.h"
#include "core/base/tool_commands.h"
#include "lists/quarvel_import.h"
#include "platform/string_grid.h"
#include "tests/core/modal_dialogs.h"
#include "tests/lists/address_book_fixture.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QPushButton>
#include <QToolButton>
#include <QTimer>

namespace {

using namespace sorvanta::test;

QString booksFolder()
{
    const QString dir = testHome() + "books";
    writeLines(dir, "ListAB.lab",
               {bookListLine(1, "beta", "b"), bookListLine(2, "Alpha", "a"), bookListLine(3, "beta", "b2")});
    writeLines(dir, "a.abk", {contactLine(1, {{"HOMEEMAIL", "x@example.com"}}), contactLine(2)});
    return dir;
}

QStringList nodeTexts(const TTreeList* tree)
{
    QStringList texts;
    for (int i = 0; i < tree->topLevelItemCount(); ++i)
        texts << tree->topLevelItem(i)->text(0);
    return texts;
}

void selectBook(T_Quarvel& window, const QString& name)
{
    for (int i = 0; i < window.tlBox->topLevelItemCount(); ++i)
        if (window.tlBox->topLevelItem(i)->text(0) == name)
            window.tlBox->setCurrentItem(window.tlBox->topLevelItem(i));
}

class CurrentFolder {
public:
    explicit CurrentFolder(const QString& folder) : m_old(QDir::currentPath()) { QDir::setCurrent(folder); }
    ~CurrentFolder() { QDir::setCurrent(m_old); }

private:
    QString m_old;
};

TEST(QuarvelImportWindow, StartFolderWithBooksEnablesImport)
{
    const CurrentFolder current(booksFolder());
    T_Quarvel window;
    EXPECT_EQ(window.folder(), QDir::cleanPath(testHome() + "books"));
    EXPECT_EQ(nodeTexts(window.tlBox), QStringList({"Default", "Alpha", "beta", "beta"}));
    EXPECT_EQ(window.tlBox->currentItem(), window.tlBox->topLevelItem(0));
    EXPECT_TRUE(window.bbImport->isEnabled());
    EXPECT_EQ(window.tlBox->headerItem()->text(0), QStringLiteral("Mailing List Name / Address Book"));
}

TEST(QuarvelImportWindow, FolderWithoutListShowsNoBooks)
{
    const QString books = booksFolder();
    const QString empty = testHome() + "empty";
    QDir().mkpath(empty);
    T_Quarvel window;
    window.setFolder(books);
    EXPECT_TRUE(window.bbImport->isEnabled());
    window.setFolder(empty);
    EXPECT_EQ(window.tlBox->topLevelItemCount(), 0);
    EXPECT_FALSE(window.bbImport->isEnabled());
    EXPECT_FALSE(QFileInfo::exists(empty + "/ListAB.lab"));
}

TEST(QuarvelImportWindow, ChoosingAPlaceShowsItsFolder)
{
    const CurrentFolder current(booksFolder());
    T_Quarvel window;
    const int home = window.cbDriver->findData(QDir::cleanPath(QDir::homePath()));
    ASSERT_GE(home, 0);
    window.cbDriver->setCurrentIndex(home);
    emit window.cbDriver->activated(home);
    EXPECT_EQ(window.folder(), QDir::cleanPath(QDir::homePath()));
    window.setFolder(testHome() + "books");
    EXPECT_EQ(window.cbDriver->currentData().toString(), window.cbDriver->itemData(placeOfFolder(folderPlaces(),
                                                                                               window.folder())));
    EXPECT_TRUE(window.bbImport->isEnabled());
}

TEST(QuarvelImportWindow, ImportWritesTheChosenBook)
{
    StringGrid grid;
    T_Quarvel window;
    window.setTargetGrid(&grid);
    window.setFolder(booksFolder());
    selectBook(window, "Alpha");
    window.bbImport->click();
    EXPECT_TRUE(window.Imported);
    EXPECT_EQ(grid.rowCount(), 3);
    EXPECT_EQ(grid.columnCount(), 54);
    EXPECT_EQ(grid.cell(0, 1), QStringLiteral("x@example.com"));
    EXPECT_TRUE(window.isEnabled());
}

TEST(QuarvelImportWindow, StopBeforeTheFirstRowKeepsTheList)
{
    StringGrid grid(2, 3);
    grid.setCell(1, 2, QStringLiteral("kept"));
    T_Quarvel window;
    window.setTargetGrid(&grid);
    window.setFolder(booksFolder());
    selectBook(window, "Alpha");
    QTimer::singleShot(0, [] {
        for (QWidget* top : QApplication::topLevelWidgets())
            if (auto* progress = qobject_cast<TProgAddress*>(top); progress && progress->isVisible())
                progress->SpeedButton1->click();
    });
    window.bbImport->click();
    EXPECT_FALSE(window.Imported);
    EXPECT_EQ(grid.rowCount(), 3);
    EXPECT_EQ(grid.columnCount(), 2);
    EXPECT_EQ(grid.cell(1, 2), QStringLiteral("kept"));
}

TEST(QuarvelImportWindow, UnreadableBookIsReported)
{
    const QString dir = booksFolder();
    QFile::remove(dir + "/a.abk");
    QDir().mkpath(dir + "/a.abk");
    MessageBoxRecorder boxes;
    StringGrid grid;
    T_Quarvel window;
    window.setTargetGrid(&grid);
    window.setFolder(dir);
    selectBook(window, "Alpha");
    window.bbImport->click();
    EXPECT_FALSE(window.Imported);
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_TRUE(boxes.boxes[0].text.startsWith(QDir::cleanPath(dir + "/a.abk") + " : "));
    EXPECT_EQ(boxes.boxes[0].caption, QStringLiteral("Attention"));
}

TEST(QuarvelImportWindow, ToolCodeZeroRunsTheWindow)
{
    registerAddressBookImportTool();
    const QString dir = booksFolder();
    StringGrid grid;
    ToolRequest request;
    request.listGrid = &grid;
    onNextModal([dir](QWidget* modal) {
        auto* window = qobject_cast<T_Quarvel*>(modal);
        ASSERT_NE(window, nullptr);
        window->setFolder(dir);
        selectBook(*window, "Alpha");
        window->bbImport->click();
        window->bbClose->click();
    });
    EXPECT_TRUE(runTool(ToolImportAddressBook, request));
    EXPECT_EQ(grid.rowCount(), 3);
}

}  // namespace
