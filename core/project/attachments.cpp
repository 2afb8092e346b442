// The attachment chooser: see attachments.h.

#include "core/project/attachments.h"

#include "core/dialogs/folder_places.h"
#include "core/project/attachment_icons.h"
#include "core/language/language_properties.h"
#include "core/base/window_host.h"
#include "core/language/msg_language.h"
#include "core/project/project_attachments.h"

#include <QComboBox>
#include <QDir>
#include <QDropEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

QStringList attachmentMessages()
{
    return {QStringLiteral("No application has been defined for MIME type"),
            QStringLiteral("It is suggested that you use the application below to view this document. You may "
                           "change this by pressing the Change button."),
            QStringLiteral("Please press the Change button to select a viewer application for this MIME type"),
            QStringLiteral("An error occured while launching the viewer application.")};
}

// Folder list text: the folder's name indented by its depth.
QListWidgetItem* folderItem(const QString& path, int depth)
{
    const QString name = path == QLatin1String("/") ? path : QDir(path).dirName();
    auto* item = new QListWidgetItem(QString(depth * 2, QLatin1Char(' ')) + name);
    item->setData(Qt::UserRole, path);
    return item;
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
    for (QObject* list : std::initializer_list<QObject*>{DriveComboBox1, DirectoryListBox1, FileListBox1, AttList})
        keepOutOfLanguageFiles(list);

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

    auto* browse = new QVBoxLayout;
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
    setDirectory(QDir::homePath());
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

bool TAttachmentForm::eventFilter(QObject* watched, QEvent* event)
{
    const QEvent::Type type = event->type();
    const bool dragEvent = type == QEvent::DragEnter || type == QEvent::DragMove || type == QEvent::Drop;
    if (watched != AttList->viewport() || !dragEvent)
        return QDialog::eventFilter(watched, event);
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
