// TAttachmentForm ("Message Attachments"), the modal chooser of the project's attachments, run by
// AttachmentExecute on ProjectAttachments. Places (the root, the home folder, the mounted volumes) stand for
// drives; a folder list and a file list browse them, and a path field takes a typed or pasted folder (opened)
// or file (selected). Enter in the folder list or the path field opens, it does not attach. The chooser opens
// in the folder it showed when it last closed in this run, else the project's folder, else the home folder.
// A file is added by "Add  >>" or by dragging it from the file list onto the chosen list, once per full path;
// "Attach" replaces ProjectAttachments with the chosen list, "Cancel" leaves it as it was.
#pragma once

#include "core/dialogs/folder_places.h"
#include "transport/mime/attachment_record.h"

#include <QDialog>
#include <QList>

class QComboBox;
class QLineEdit;
class QListWidget;
class QPushButton;
class TMsgLanguage;

class TAttachmentForm : public QDialog {
    Q_OBJECT

public:
    explicit TAttachmentForm(QWidget* parent = nullptr);

    TMsgLanguage* msl;
    QComboBox* DriveComboBox1;         // places; each item's data is its folder
    QListWidget* DirectoryListBox1;    // the folder's ancestors, itself and its sub-folders; data: full path
    QListWidget* FileListBox1;         // the files of the folder
    QLineEdit* PathEdit;               // the folder shown; Enter opens a typed folder or selects a typed file
    QListWidget* AttList;              // the chosen attachments, one per record
    QPushButton* AddAttachmentBtn;     // "Add  >>"
    QPushButton* RemoveAttachmentBtn;  // "Remove <<"
    QPushButton* AttachBtn;            // "Attach"
    QPushButton* CancelBtn;            // "Cancel"

    // The chosen records in list order.
    const QList<AttachmentRecord>& records() const { return m_records; }
    void setRecords(const QList<AttachmentRecord>& records);

    QString directory() const { return m_directory; }
    void setDirectory(const QString& folder);
    // The full path of FileListBox1's selected file, or empty.
    QString selectedFile() const;

    void DriveComboBox1Change();
    void DirectoryListBox1DblClick();
    void PathEditReturn();
    void AddAttachmentBtnClick();
    void RemoveAttachmentBtnClick();
    // A drag over AttList is taken only from the file list; its drop adds the file list's selected file.
    bool AttListDragOver(const QObject* source) const;
    void AttListDragDrop(const QObject* source);

    void done(int result) override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool handleAttListDrag(QEvent* event);
    bool handleEnterKey(QObject* watched, QEvent* event);
    void selectFileItem(const QString& name);
    void fillPlaces();
    void fillFolders();
    void fillFiles();
    void addFile(const QString& path);
    void appendItem(const AttachmentRecord& record);

    QString m_directory;
    QList<FolderPlace> m_places;   // the items of DriveComboBox1
    QList<AttachmentRecord> m_records;
};

// Shows the chooser on ProjectAttachments; true when "Attach" replaced the list.
bool AttachmentExecute();

// The folder a chooser opens in: lastFolder when it is a folder, else projectFolder when it is one, else the
// home folder.
QString AttachmentStartFolder(const QString& lastFolder, const QString& projectFolder);
