// The attachment chooser: see attachments.h.

#include "core/project/attachments.h"

#include "core/dialogs/folder_places.h"
#include "core/dialogs/indented_item_delegate.h"
#include "core/dialogs/typed_path.h"
#include "core/project/attachment_icons.h"
#include "core/language/language_properties.h"
#include "core/base/window_host.h"
#include "core/language/msg_language.h"
#include "core/project/project_attachments.h"
#include "core/settings/ini_info.h"
#include "platform/widgets/message_box.h"

#include <QComboBox>
#include <QDir>
#include <QDropEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

enum AttachmentText { textFileNotFound = 4 };

// The folder the last chooser of this run showed when it closed.
QString& lastAttachmentFolder()
{
    static QString folder;
    return folder;
}

QStringList attachmentMessages()
{
    return {QStringLiteral("No application has been defined for MIME type"),
            QStringLiteral("It is suggested that you use the application below to view this document. You may "
                           "change this by pressing the Change button."),
            QStringLiteral("Please press the Change button to select a viewer application for this MIME type"),
            QStringLiteral("An error occured while launching the viewer application."),
            QStringLiteral("File not found")};
}

// Folder list item: the folder's name, drawn indented by its depth.
QListWidgetItem* folderItem(const QString& path, int depth)
{
    const QString name = path == QLatin1String("/") ? path : QDir(path).dirName();
    auto* item = new QListWidgetItem(name);
    item->setData(Qt::UserRole, path);
    item->setData(IndentedItemDelegate::IndentRole, depth);
    return item;
}

bool isEnterKey(const QEvent* event)
{
    if (event->type() != QEvent::KeyPress)
        return false;
    const int key = static_cast<const QKeyEvent*>(event)->key();
    return key == Qt::Key_Return || key == Qt::Key_Enter;
}

// "/", "/a", "/a/b" for "/a/b".
QStringList ancestorsAndSelf(const QString& folder)
{
    QStringList chain{QStringLiteral("/")};
    QString path;
    for (const QString& part : folder.split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
        path += QLatin1Char('/') + part;
        chain << path;
    }
    return chain;
}

}  // namespace

TAttachmentForm::TAttachmentForm(QWidget* parent)
    : QDialog(parent),
      msl(new TMsgLanguage(this, attachmentMessages())),
      DriveComboBox1(new QComboBox(this)),
      DirectoryListBox1(new QListWidget(this)),
      FileListBox1(new QListWidget(this)),
      PathEdit(new QLineEdit(this)),
      AttList(new QListWidget(this)),
      AddAttachmentBtn(new QPushButton(QStringLiteral("Add  >>"), this)),
      RemoveAttachmentBtn(new QPushButton(QStringLiteral("Remove <<"), this)),
      AttachBtn(new QPushButton(QStringLiteral("Attach"), this)),
      CancelBtn(new QPushButton(QStringLiteral("Cancel"), this))
{
    setObjectName(QStringLiteral("AttachmentForm"));
    setWindowTitle(QStringLiteral("Message Attachments"));
    DriveComboBox1->setObjectName(QStringLiteral("DriveComboBox1"));
    DirectoryListBox1->setObjectName(QStringLiteral("DirectoryListBox1"));
    FileListBox1->setObjectName(QStringLiteral("FileListBox1"));
    PathEdit->setObjectName(QStringLiteral("PathEdit"));
    AttList->setObjectName(QStringLiteral("AttList"));
    AddAttachmentBtn->setObjectName(QStringLiteral("AddAttachmentBtn"));
    RemoveAttachmentBtn->setObjectName(QStringLiteral("RemoveAttachmentBtn"));
    AttachBtn->setObjectName(QStringLiteral("AttachBtn"));
    CancelBtn->setObjectName(QStringLiteral("CancelBtn"));
    // No label stands beside the four lists: screen readers read these names.
    DriveComboBox1->setAccessibleName(tr("Drives"));
    DirectoryListBox1->setAccessibleName(tr("Folders"));
    FileListBox1->setAccessibleName(tr("Files"));
    AttList->setAccessibleName(tr("Attachments"));
    // Their lines are places, folders, files and attachments: no language file may rename them.
    for (QObject* list :
         std::initializer_list<QObject*>{DriveComboBox1, DirectoryListBox1, FileListBox1, PathEdit, AttList})
        keepOutOfLanguageFiles(list);
    DirectoryListBox1->setItemDelegate(new IndentedItemDelegate(DirectoryListBox1));
    DirectoryListBox1->installEventFilter(this);
    PathEdit->installEventFilter(this);

    FileListBox1->setDragEnabled(true);
    FileListBox1->setDragDropMode(QAbstractItemView::DragOnly);
    AttList->setAcceptDrops(true);
    AttList->viewport()->setAcceptDrops(true);
    AttList->viewport()->installEventFilter(this);
    AttList->setIconSize(QSize(16, 16));

    AttachBtn->setDefault(true);   // Enter attaches, Escape cancels
    connect(AttachBtn, &QPushButton::clicked, this, &QDialog::accept);
    connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
    connect(AddAttachmentBtn, &QPushButton::clicked, this, &TAttachmentForm::AddAttachmentBtnClick);
    connect(RemoveAttachmentBtn, &QPushButton::clicked, this, &TAttachmentForm::RemoveAttachmentBtnClick);
    connect(DriveComboBox1, &QComboBox::activated, this, &TAttachmentForm::DriveComboBox1Change);
    connect(DirectoryListBox1, &QListWidget::itemActivated, this, &TAttachmentForm::DirectoryListBox1DblClick);

    auto* pathLabel = new QLabel(QStringLiteral("&Path"), this);
    pathLabel->setObjectName(QStringLiteral("PathLabel"));
    pathLabel->setBuddy(PathEdit);
    auto* path = new QHBoxLayout;
    path->addWidget(pathLabel);
    path->addWidget(PathEdit, 1);
    auto* browse = new QVBoxLayout;
    browse->addLayout(path);
    browse->addWidget(DriveComboBox1);
    browse->addWidget(DirectoryListBox1);
    browse->addWidget(FileListBox1);
    auto* moves = new QVBoxLayout;
    moves->addStretch();
    moves->addWidget(AddAttachmentBtn);
    moves->addWidget(RemoveAttachmentBtn);
    moves->addStretch();
    auto* confirm = new QHBoxLayout;
    confirm->addStretch();
    confirm->addWidget(AttachBtn);
    confirm->addWidget(CancelBtn);
    auto* layout = new QGridLayout(this);
    layout->addLayout(browse, 0, 0);
    layout->addLayout(moves, 0, 1);
    layout->addWidget(AttList, 0, 2);
    layout->addLayout(confirm, 1, 0, 1, 3);
    resize(640, 400);

    fillPlaces();
    setDirectory(AttachmentStartFolder(lastAttachmentFolder(), ProjectIniInfo.PathPro));
}

void TAttachmentForm::setRecords(const QList<AttachmentRecord>& records)
{
    m_records.clear();
    AttList->clear();
    for (const AttachmentRecord& record : records)
        appendItem(record);
}

void TAttachmentForm::setDirectory(const QString& folder)
{
    m_directory = QDir::cleanPath(QDir(folder).absolutePath());
    DriveComboBox1->setCurrentIndex(placeOfFolder(m_places, m_directory));
    PathEdit->setText(m_directory);
    fillFolders();
    fillFiles();
}

QString TAttachmentForm::selectedFile() const
{
    const QListWidgetItem* item = FileListBox1->currentItem();
    if (!item || !item->isSelected())
        return {};
    return QDir(m_directory).filePath(item->text());
}

void TAttachmentForm::DriveComboBox1Change()
{
    setDirectory(DriveComboBox1->currentData().toString());
}

void TAttachmentForm::DirectoryListBox1DblClick()
{
    if (const QListWidgetItem* item = DirectoryListBox1->currentItem())
        setDirectory(item->data(Qt::UserRole).toString());
}

// A typed folder opens; a typed file opens its folder with the file selected.
void TAttachmentForm::PathEditReturn()
{
    const QString path = typedPath(PathEdit->text(), m_directory);
    if (path.isEmpty())
        return;
    const QFileInfo info(path);
    if (info.isDir()) {
        setDirectory(path);
    } else if (info.isFile()) {
        setDirectory(info.path());
        selectFileItem(info.fileName());
        PathEdit->setText(path);
    } else {
        messageBox(this, msl->text(textFileNotFound) + QStringLiteral(" : ") + path, windowTitle(),
                   MB_OK | MB_ICONWARNING);
    }
}

void TAttachmentForm::AddAttachmentBtnClick()
{
    const QString path = selectedFile();
    if (!path.isEmpty())
        addFile(path);
}

void TAttachmentForm::RemoveAttachmentBtnClick()
{
    const int row = AttList->currentRow();
    if (row < 0 || !AttList->item(row)->isSelected())
        return;
    delete AttList->takeItem(row);
    m_records.removeAt(row);
}

bool TAttachmentForm::AttListDragOver(const QObject* source) const
{
    return source == FileListBox1;
}

void TAttachmentForm::AttListDragDrop(const QObject* source)
{
    if (AttListDragOver(source))
        AddAttachmentBtnClick();
}

void TAttachmentForm::done(int result)
{
    lastAttachmentFolder() = m_directory;
    QDialog::done(result);
}

bool TAttachmentForm::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == AttList->viewport())
        return handleAttListDrag(event) || QDialog::eventFilter(watched, event);
    return handleEnterKey(watched, event) || QDialog::eventFilter(watched, event);
}

// Enter in the folder list or the path field opens; the dialog's default button must not see it.
bool TAttachmentForm::handleEnterKey(QObject* watched, QEvent* event)
{
    if (!isEnterKey(event))
        return false;
    if (watched == DirectoryListBox1)
        DirectoryListBox1DblClick();
    else if (watched == PathEdit)
        PathEditReturn();
    else
        return false;
    return true;
}

bool TAttachmentForm::handleAttListDrag(QEvent* event)
{
    const QEvent::Type type = event->type();
    if (type != QEvent::DragEnter && type != QEvent::DragMove && type != QEvent::Drop)
        return false;
    auto* drag = static_cast<QDropEvent*>(event);   // QDragEnterEvent and QDragMoveEvent are drop events
    if (!AttListDragOver(drag->source())) {
        drag->ignore();
        return true;
    }
    // A copy: a move would make the file list drop the dragged item.
    drag->setDropAction(Qt::CopyAction);
    drag->accept();
    if (type == QEvent::Drop)
        AttListDragDrop(drag->source());
    return true;
}

void TAttachmentForm::fillPlaces()
{
    m_places = folderPlaces();
    for (const FolderPlace& place : std::as_const(m_places))
        DriveComboBox1->addItem(place.label, place.path);
}

void TAttachmentForm::fillFolders()
{
    DirectoryListBox1->clear();
    const QStringList chain = ancestorsAndSelf(m_directory);
    for (int depth = 0; depth < chain.size(); ++depth)
        DirectoryListBox1->addItem(folderItem(chain.at(depth), depth));
    DirectoryListBox1->setCurrentRow(int(chain.size()) - 1);
    const QDir folder(m_directory);
    const QStringList children =
        folder.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase);
    for (const QString& child : children)
        DirectoryListBox1->addItem(folderItem(folder.filePath(child), int(chain.size())));
}

void TAttachmentForm::fillFiles()
{
    FileListBox1->clear();
    FileListBox1->addItems(QDir(m_directory).entryList(QDir::Files, QDir::Name | QDir::IgnoreCase));
}

void TAttachmentForm::selectFileItem(const QString& name)
{
    const QList<QListWidgetItem*> found = FileListBox1->findItems(name, Qt::MatchExactly);
    if (found.isEmpty())
        return;
    FileListBox1->setCurrentItem(found.constFirst());
    FileListBox1->scrollToItem(found.constFirst());
}

void TAttachmentForm::addFile(const QString& path)
{
    for (const AttachmentRecord& record : std::as_const(m_records)) {
        if (record.filePath == path)
            return;   // already chosen
    }
    appendItem(attachmentForFile(path));
    AttList->setCurrentRow(AttList->count() - 1);
}

void TAttachmentForm::appendItem(const AttachmentRecord& record)
{
    m_records.append(record);
    AttList->addItem(new QListWidgetItem(attachmentIcon(record.mimeType), record.displayName));
}

bool AttachmentExecute()
{
    TAttachmentForm form(WindowHost::mainWindow());
    WindowHost::requestTranslation(&form);
    form.setRecords(ProjectAttachments);
    if (form.exec() != QDialog::Accepted)
        return false;
    ProjectAttachments = form.records();
    return true;
}

QString AttachmentStartFolder(const QString& lastFolder, const QString& projectFolder)
{
    for (const QString& folder : {lastFolder, projectFolder}) {
        if (!folder.isEmpty() && QFileInfo(folder).isDir())
            return folder;
    }
    return QDir::homePath();
}
