// The attachment chooser: ProjectAttachments in and out (Attach replaces it, Cancel keeps it), a file added
// once by button or drop, drops taken only from the file list, removal, long paths, browsing folders, Enter and
// type-ahead in the folder list, the path field, and the folder a chooser starts in.

#include "core/project/attachments.h"

#include "core/project/project_attachments.h"
#include "tests/core/modal_dialogs.h"
#include "tests/support/test_home.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QDragEnterEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QMimeData>
#include <QPushButton>

namespace {

using sorvanta::test::onNextModal;
using sorvanta::test::testHome;

QString makeFile(const QString& path)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("x");
    return path;
}

QStringList itemTexts(const QListWidget* list)
{
    QStringList texts;
    for (int i = 0; i < list->count(); ++i)
        texts << list->item(i)->text();
    return texts;
}

QStringList paths(const QList<AttachmentRecord>& records)
{
    QStringList result;
    for (const AttachmentRecord& record : records)
        result << record.filePath;
    return result;
}

void selectFile(TAttachmentForm* form, const QString& name)
{
    const QList<QListWidgetItem*> found = form->FileListBox1->findItems(name, Qt::MatchExactly);
    ASSERT_EQ(found.size(), 1) << name.toStdString();
    form->FileListBox1->setCurrentItem(found[0]);
}

// Keys as the user types them, to the focused widget: unanswered ones go on to its parents, the dialog too.
void typeKeys(QWidget* widget, const QString& text)
{
    for (const QChar c : text) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key(c.toUpper().unicode()), Qt::NoModifier, QString(c));
        QApplication::sendEvent(widget, &press);
    }
}

void pressEnter(QWidget* widget)
{
    QKeyEvent press(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QApplication::sendEvent(widget, &press);
}

class AttachmentChooserTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        folder = testHome() + "files";
        makeFile(folder + "/b.txt");
        makeFile(folder + "/A.gif");
        ProjectAttachments.clear();
        AttachmentRecord logo = attachmentForFile("/srv/logo.gif");
        logo.mimeType = "image/gif";
        logo.description = "our logo";
        ProjectAttachments << logo << attachmentForFile("/srv/price list.pdf");
    }
    void TearDown() override { ProjectAttachments.clear(); }

    QString folder;
};

TEST_F(AttachmentChooserTest, AttachReplacesTheListInItsOrder)
{
    QStringList shown;
    onNextModal([&](QWidget* modal) {
        auto* form = qobject_cast<TAttachmentForm*>(modal);
        ASSERT_NE(form, nullptr);
        shown = itemTexts(form->AttList);
        form->setDirectory(folder);
        selectFile(form, "b.txt");
        form->AddAttachmentBtn->click();
        form->AddAttachmentBtn->click();                  // the same file again: ignored
        form->AttListDragDrop(form->FileListBox1);        // and by drop: ignored too
        selectFile(form, "A.gif");
        form->AttListDragDrop(form->FileListBox1);
        form->AttachBtn->click();
    });
    EXPECT_TRUE(AttachmentExecute());
    EXPECT_EQ(shown, (QStringList{"logo.gif", "price list.pdf"}));
    EXPECT_EQ(paths(ProjectAttachments),
              (QStringList{"/srv/logo.gif", "/srv/price list.pdf", folder + "/b.txt", folder + "/A.gif"}));
    EXPECT_EQ(ProjectAttachments[0].description, "our logo");   // chosen records are copied whole
    EXPECT_EQ(ProjectAttachments[0].mimeType, "image/gif");
    EXPECT_EQ(ProjectAttachments[3].displayName, "A.gif");
}

TEST_F(AttachmentChooserTest, CancelAfterRemovingKeepsTheList)
{
    onNextModal([](QWidget* modal) {
        auto* form = qobject_cast<TAttachmentForm*>(modal);
        form->AttList->setCurrentRow(0);
        form->RemoveAttachmentBtn->click();
        EXPECT_EQ(itemTexts(form->AttList), QStringList{"price list.pdf"});
        form->CancelBtn->click();
    });
    EXPECT_FALSE(AttachmentExecute());
    EXPECT_EQ(paths(ProjectAttachments), (QStringList{"/srv/logo.gif", "/srv/price list.pdf"}));
}

TEST_F(AttachmentChooserTest, AttachingAnEmptyListEmptiesTheProject)
{
    onNextModal([](QWidget* modal) {
        auto* form = qobject_cast<TAttachmentForm*>(modal);
        for (int i = 0; i < 2; ++i) {
            form->AttList->setCurrentRow(0);
            form->RemoveAttachmentBtn->click();
        }
        form->RemoveAttachmentBtn->click();   // nothing left to remove
        form->AttachBtn->click();
    });
    EXPECT_TRUE(AttachmentExecute());
    EXPECT_TRUE(ProjectAttachments.isEmpty());
}

TEST_F(AttachmentChooserTest, DropsComeOnlyFromTheFileList)
{
    TAttachmentForm form;
    form.setDirectory(folder);
    selectFile(&form, "b.txt");
    EXPECT_TRUE(form.AttListDragOver(form.FileListBox1));
    EXPECT_FALSE(form.AttListDragOver(form.DirectoryListBox1));
    EXPECT_FALSE(form.AttListDragOver(nullptr));
    form.AttListDragDrop(form.DirectoryListBox1);
    EXPECT_TRUE(form.records().isEmpty());

    // A file dragged in from another program has no source here: refused.
    QMimeData files;
    files.setUrls({QUrl::fromLocalFile(folder + "/b.txt")});
    const QPoint inside = form.AttList->viewport()->rect().center();
    QDragEnterEvent enter(inside, Qt::CopyAction, &files, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(form.AttList->viewport(), &enter);
    EXPECT_FALSE(enter.isAccepted());
    QDropEvent drop(QPointF(inside), Qt::CopyAction, &files, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(form.AttList->viewport(), &drop);
    EXPECT_TRUE(form.records().isEmpty());

    form.FileListBox1->clearSelection();
    form.AddAttachmentBtnClick();   // no file selected
    EXPECT_TRUE(form.records().isEmpty());
}

TEST_F(AttachmentChooserTest, AddedFileIsSelectedAndKeepsItsLongPath)
{
    QString deep = testHome();
    while (deep.size() < 300)
        deep += QString(60, 'd') + "/";
    makeFile(deep + "report.pdf");
    TAttachmentForm form;
    form.setDirectory(deep);
    selectFile(&form, "report.pdf");
    form.AddAttachmentBtnClick();
    ASSERT_EQ(form.records().size(), 1);
    EXPECT_EQ(form.records()[0].filePath, QDir::cleanPath(deep + "report.pdf"));
    EXPECT_EQ(form.AttList->currentRow(), 0);
    EXPECT_TRUE(form.AttList->item(0)->isSelected());
}

TEST_F(AttachmentChooserTest, BrowsesPlacesAndFolders)
{
    makeFile(folder + "/inner/c.doc");
    TAttachmentForm form;
    EXPECT_EQ(form.DriveComboBox1->itemData(0).toString(), "/");
    EXPECT_EQ(form.DriveComboBox1->itemData(1).toString(), QDir::cleanPath(QDir::homePath()));

    form.setDirectory(folder);
    EXPECT_EQ(itemTexts(form.FileListBox1), (QStringList{"A.gif", "b.txt"}));
    const QList<QListWidgetItem*> inner = form.DirectoryListBox1->findItems("inner", Qt::MatchExactly);
    ASSERT_EQ(inner.size(), 1);
    form.DirectoryListBox1->setCurrentItem(inner[0]);
    form.DirectoryListBox1DblClick();
    EXPECT_EQ(form.directory(), QDir::cleanPath(folder + "/inner"));
    EXPECT_EQ(itemTexts(form.FileListBox1), QStringList{"c.doc"});

    form.DirectoryListBox1->setCurrentRow(0);   // the root, first of the folder chain
    form.DirectoryListBox1DblClick();
    EXPECT_EQ(form.directory(), "/");
    EXPECT_EQ(form.DriveComboBox1->currentIndex(), 0);
}

TEST_F(AttachmentChooserTest, EnterOnAFolderOpensItAndTypingFindsAFolderByName)
{
    makeFile(folder + "/inner/c.doc");
    QDir().mkpath(folder + "/other");
    bool stayedOpen = false;
    QString opened;
    QString found;
    onNextModal([&](QWidget* modal) {
        auto* form = qobject_cast<TAttachmentForm*>(modal);
        form->setDirectory(folder);
        form->DirectoryListBox1->setFocus();
        typeKeys(form->DirectoryListBox1, "inn");
        found = form->DirectoryListBox1->currentItem()->text();
        pressEnter(form->DirectoryListBox1);
        stayedOpen = form->isVisible();
        opened = form->directory();
        form->CancelBtn->click();
    });
    EXPECT_FALSE(AttachmentExecute());
    EXPECT_EQ(found, "inner");
    EXPECT_TRUE(stayedOpen);
    EXPECT_EQ(opened, folder + "/inner");
}

// Enter in the path field opens what it names and never attaches: a folder, a pasted file address (selected
// in its folder), a name relative to the folder shown; a missing path is named in a message.
TEST_F(AttachmentChooserTest, ThePathFieldOpensFoldersAndSelectsFiles)
{
    makeFile(folder + "/inner/Отчёт 2024.pdf");
    sorvanta::test::MessageBoxRecorder boxes;
    QStringList directories;
    QString selected;
    bool stayedOpen = false;
    onNextModal([&](QWidget* modal) {
        auto* form = qobject_cast<TAttachmentForm*>(modal);
        const auto enterPath = [&](const QString& text) {
            form->PathEdit->setFocus();
            form->PathEdit->setText(text);
            pressEnter(form->PathEdit);
            directories << form->directory();
        };
        enterPath(folder);
        enterPath(QUrl::fromLocalFile(folder + "/inner/Отчёт 2024.pdf").toString());
        selected = form->selectedFile();
        enterPath("..");
        enterPath("no such folder");
        stayedOpen = form->isVisible();
        form->CancelBtn->click();
    });
    EXPECT_FALSE(AttachmentExecute());
    EXPECT_TRUE(stayedOpen);
    EXPECT_EQ(directories, (QStringList{folder, folder + "/inner", folder, folder}));
    EXPECT_EQ(selected, folder + "/inner/Отчёт 2024.pdf");
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].text, "File not found : " + folder + "/no such folder");
}

TEST_F(AttachmentChooserTest, StartsInTheFolderTheLastChooserShowed)
{
    QDir().mkpath(folder + "/inner");
    onNextModal([&](QWidget* modal) {
        auto* form = qobject_cast<TAttachmentForm*>(modal);
        form->setDirectory(folder + "/inner");
        form->CancelBtn->click();
    });
    AttachmentExecute();
    QString started;
    onNextModal([&](QWidget* modal) {
        started = qobject_cast<TAttachmentForm*>(modal)->directory();
        qobject_cast<TAttachmentForm*>(modal)->CancelBtn->click();
    });
    AttachmentExecute();
    EXPECT_EQ(started, folder + "/inner");
}

TEST(AttachmentStartFolder, LastFolderThenProjectFolderThenHome)
{
    const QString home = QDir::homePath();
    const QString existing = testHome();
    const QString gone = testHome() + "gone";
    EXPECT_EQ(AttachmentStartFolder(existing, home), existing);
    EXPECT_EQ(AttachmentStartFolder(gone, existing), existing);
    EXPECT_EQ(AttachmentStartFolder("", existing), existing);
    EXPECT_EQ(AttachmentStartFolder(gone, ""), home);
    EXPECT_EQ(AttachmentStartFolder("", gone), home);
}

}  // namespace
