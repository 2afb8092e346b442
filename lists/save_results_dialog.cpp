// The save-results dialog: see save_results_dialog.h.

#include "lists/save_results_dialog.h"

#include "core/base/widget_factory.h"

#include "core/dialogs/input_form.h"
#include "core/language/msg_language.h"
#include "core/dialogs/folder_places.h"
#include "core/sending/result_rows.h"
#include "core/base/text_helpers.h"
#include "core/base/window_host.h"
#include "core/base/tool_commands.h"
#include "lists/folder_entry_item.h"
#include "lists/folder_listing.h"
#include "lists/tool_widgets.h"
#include "platform/message_box_flags.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTreeWidget>
#include <QUrl>
#include <QVBoxLayout>

int SaveResultsOptions = 0;
QString SaveResultsFileName;   // the program folder + "save.txt" until the first "Save"

namespace {

enum SaveText { MsgCreateDirectory = 0, MsgNewDirectory = 1, MsgRename = 2, MsgNewName = 3, MsgRemove = 4, MsgAnd = 5,
                MsgFolders = 6, MsgAttention = 7 };

QStringList saveMessages()
{
    return {"Create Directory", "Enter new directory name", "Rename", "Enter new name",
            "Do you wish to remove file(s)", "and", "folder(es)", "Attention"};
}

QCheckBox* makeBox(QWidget* parent, const char* name, const QString& caption)
{
    auto* box = new QCheckBox(caption, parent);
    box->setObjectName(QLatin1String(name));
    return box;
}

}  // namespace

T_SaveForm::T_SaveForm(QWidget* parent)
    : ToolDialog(parent),
      msl(new TMsgLanguage(this, saveMessages())),
      cbSaveAll(makeBox(this, "cbSaveAll", tr("Save All"))),
      cbAllsent(makeBox(this, "cbAllsent", tr("All sent emails"))),
      cbDNSError(makeBox(this, "cbDNSError", tr("DNS error (domain does not work)"))),
      cbSMTPError(makeBox(this, "cbSMTPError", tr("SMTP error (user does not exist)"))),
      cbOther(makeBox(this, "cbOther", tr("Other SMTP error "))),
      cbEmail(makeBox(this, "cbEmail", tr("Save only email address field"))),
      cbMail(makeBox(this, "cbMail", tr("Save only mailing list fields "))),
      cbMailStatus(makeBox(this, "cbMailStatus", tr("Save email and all status fields"))),
      cbAll(makeBox(this, "cbAll", tr("Save all mailing list and status fields "))),
      eFN(new QLineEdit(this)),
      DriveComboBox2(new QComboBox(this)),
      dlbx(new QListWidget(this)),
      lvLoc(new QTreeWidget(this)),
      FilterComboBox1(new QComboBox(this)),
      SectionSymbol(new QComboBox(this)),
      sbMkd1(makeButton("sbMkd1", tr("Create Folder"))),
      sbRen1(makeButton("sbRen1", tr("Rename"))),
      sbDel1(makeButton("sbDel1", tr("Delete"))),
      sbView(makeButton("sbView", tr("View"))),
      sbRun(makeButton("sbRun", tr("Run"))),
      SpeedButton4(makeButton("SpeedButton4", tr("Up"))),
      SpeedButton1(makeButton("SpeedButton1", tr("Save"))),
      SpeedButton2(makeButton("SpeedButton2", tr("Cancel")))
{
    setObjectName(QStringLiteral("_SaveForm"));
    setWindowTitle(tr("Save dialog"));
    eFN->setObjectName(QStringLiteral("eFN"));
    dlbx->setObjectName(QStringLiteral("dlbx"));
    lvLoc->setObjectName(QStringLiteral("lvLoc"));
    lvLoc->setHeaderLabels({tr("Filename"), tr("Size"), tr("Date"), tr("Time")});
    lvLoc->setSelectionMode(QAbstractItemView::ExtendedSelection);
    lvLoc->setRootIsDecorated(false);
    lvLoc->setSortingEnabled(true);
    lvLoc->sortByColumn(0, Qt::AscendingOrder);   // the header's own default is descending
    DriveComboBox2->setObjectName(QStringLiteral("DriveComboBox2"));
    for (const FolderPlace& place : folderPlaces())
        DriveComboBox2->addItem(place.label, place.path);
    FilterComboBox1->setObjectName(QStringLiteral("FilterComboBox1"));
    FilterComboBox1->addItem(QStringLiteral("*.*"));
    FilterComboBox1->setEditable(true);
    SectionSymbol->setObjectName(QStringLiteral("SectionSymbol"));
    SectionSymbol->addItems(
        {",", ".", "/", "\\", "|", "+", "=", "-", ":", ";", "<", ">", "@", "!", "~", "#", "$", "%", "^", "&", "*", "(",
         ")", "{", "}", "Tab", "Space"});
    SectionSymbol->setCurrentIndex(9);
    buildLayout();
    requestTranslation();

    showOptions(normalizedSaveOptions(SaveResultsOptions));
    const std::pair<QCheckBox*, int> rowBoxes[] = {{cbSaveAll, saveAllRows}, {cbAllsent, saveSentRows},
                                                   {cbDNSError, saveDnsErrorRows}, {cbSMTPError, saveSmtpUserRows},
                                                   {cbOther, saveOtherErrorRows}};
    for (const auto& [box, rows] : rowBoxes)
        connect(box, &QCheckBox::clicked, this, [this, rows = rows] { chooseRows(rows); });
    for (QCheckBox* box : {cbEmail, cbMail, cbMailStatus, cbAll})
        connect(box, &QCheckBox::clicked, this, [this, box] { chooseFormat(box); });
    connect(DriveComboBox2, &QComboBox::activated, this,
            [this](int index) { setFolder(DriveComboBox2->itemData(index).toString()); });
    connect(dlbx, &QListWidget::itemActivated, this,
            [this](QListWidgetItem* item) { setFolder(QDir(m_folder).filePath(item->text())); });
    connect(SpeedButton4, &QPushButton::clicked, this, [this] {
        QDir up(m_folder);
        if (up.cdUp())
            setFolder(up.path());
    });
    connect(FilterComboBox1, &QComboBox::currentTextChanged, this, &T_SaveForm::fillFiles);
    connect(lvLoc, &QTreeWidget::itemSelectionChanged, this, &T_SaveForm::selectionChanged);
    connect(sbMkd1, &QPushButton::clicked, this, &T_SaveForm::sbMkd1Click);
    connect(sbRen1, &QPushButton::clicked, this, &T_SaveForm::sbRen1Click);
    connect(sbDel1, &QPushButton::clicked, this, &T_SaveForm::sbDel1Click);
    connect(sbView, &QPushButton::clicked, this, &T_SaveForm::sbViewClick);
    connect(sbRun, &QPushButton::clicked, this, &T_SaveForm::sbViewClick);   // opened, never run
    connect(SpeedButton1, &QPushButton::clicked, this, &T_SaveForm::SpeedButton1Click);
    connect(SpeedButton2, &QPushButton::clicked, this, &T_SaveForm::reject);

    if (SaveResultsFileName.isEmpty())
        SaveResultsFileName = ProgramFolder() + QStringLiteral("save.txt");
    eFN->setText(SaveResultsFileName);
    setFolder(QFileInfo(SaveResultsFileName).absolutePath());
}

void T_SaveForm::buildLayout()
{
    // The file chooser's parts have no label beside them: screen readers read these names.
    DriveComboBox2->setAccessibleName(tr("Drives"));
    dlbx->setAccessibleName(tr("Folders"));
    eFN->setAccessibleName(tr("File name"));
    auto* rows = new QVBoxLayout;
    for (QWidget* box : {cbSaveAll, cbAllsent, cbDNSError, cbSMTPError, cbOther})
        rows->addWidget(box);
    auto* formats = new QVBoxLayout;
    for (QWidget* box : {cbEmail, cbMail, cbMailStatus, cbAll})
        formats->addWidget(box);
    auto* fileButtons = new QHBoxLayout;
    for (QWidget* button : {SpeedButton4, sbMkd1, sbRen1, sbDel1, sbView, sbRun})
        fileButtons->addWidget(button);
    auto* browser = new QGridLayout;
    browser->addWidget(DriveComboBox2, 0, 0);
    browser->addLayout(fileButtons, 0, 1);
    browser->addWidget(dlbx, 1, 0);
    browser->addWidget(lvLoc, 1, 1);
    browser->addWidget(makeFieldLabel(FilterComboBox1, tr("File types")), 2, 0);
    browser->addWidget(FilterComboBox1, 2, 1);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(makeFieldLabel(SectionSymbol, tr("Field delimiter")));
    bottom->addWidget(SectionSymbol);
    bottom->addStretch();
    bottom->addWidget(SpeedButton1);
    bottom->addWidget(SpeedButton2);
    auto* choices = new QHBoxLayout;
    choices->addLayout(rows);
    choices->addLayout(formats);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(choices);
    layout->addLayout(browser);
    layout->addWidget(eFN);
    layout->addLayout(bottom);
}

void T_SaveForm::showOptions(int options)
{
    chooseRows(options & saveAllRows);
    cbEmail->setChecked(options & saveAddressOnly);
    cbMail->setChecked(options & saveListFields);
    cbMailStatus->setChecked(options & saveResultFields);
    cbAll->setChecked(options & saveListAndResultFields);
}

void T_SaveForm::chooseRows(int rows)
{
    const std::pair<QCheckBox*, int> boxes[] = {{cbSaveAll, saveAllRows}, {cbAllsent, saveSentRows},
                                                {cbDNSError, saveDnsErrorRows}, {cbSMTPError, saveSmtpUserRows},
                                                {cbOther, saveOtherErrorRows}};
    for (const auto& [box, value] : boxes)
        box->setChecked((value & rows) == value);
}

void T_SaveForm::chooseFormat(QCheckBox* box)
{
    for (QCheckBox* other : {cbEmail, cbMail, cbMailStatus, cbAll})
        other->setChecked(other == box);
}

int T_SaveForm::checkedOptions() const
{
    int options = 0;
    if (cbSaveAll->isChecked()) {
        options = saveAllRows;
    } else {
        options |= cbAllsent->isChecked() ? saveSentRows : 0;
        options |= cbDNSError->isChecked() ? saveDnsErrorRows : 0;
        options |= cbSMTPError->isChecked() ? saveSmtpUserRows : 0;
        options |= cbOther->isChecked() ? saveOtherErrorRows : 0;
    }
    const std::pair<QCheckBox*, int> formats[] = {{cbEmail, saveAddressOnly}, {cbMail, saveListFields},
                                                  {cbMailStatus, saveResultFields}, {cbAll, saveListAndResultFields}};
    for (const auto& [box, value] : formats)
        if (box->isChecked())
            return options + value;
    return options;
}

void T_SaveForm::setFolder(const QString& folder)
{
    m_folder = QDir(folder).absolutePath();
    dlbx->clear();
    for (const FolderEntry& entry : folderEntries(m_folder, QStringLiteral("*")))
        if (entry.folder)
            dlbx->addItem(entry.name);
    fillFiles();
    if (!eFN->text().isEmpty())
        eFN->setText(QDir(m_folder).filePath(QFileInfo(eFN->text()).fileName()));
}

void T_SaveForm::fillFiles()
{
    lvLoc->clear();
    lvLoc->setSortingEnabled(false);   // one sort after the last item, not one per item
    for (const FolderEntry& entry : folderEntries(m_folder, FilterComboBox1->currentText()))
        new FolderEntryItem(lvLoc, entry);
    lvLoc->setSortingEnabled(true);
    selectionChanged();
}

void T_SaveForm::selectionChanged()
{
    QTreeWidgetItem* current = lvLoc->currentItem();
    const auto* entry = dynamic_cast<const FolderEntryItem*>(current);
    const bool file = entry && entry->isSelected() && !entry->entry().folder;
    for (QPushButton* button : {sbRen1, sbDel1, sbView, sbRun})
        button->setEnabled(file);
    if (file)
        eFN->setText(QDir(m_folder).filePath(current->text(0)));
}

QStringList T_SaveForm::selectedPaths() const
{
    QStringList paths;
    for (QTreeWidgetItem* item : lvLoc->selectedItems())
        paths.append(QDir(m_folder).filePath(item->text(0)));
    return paths;
}

void T_SaveForm::sbMkd1Click()
{
    QString name;
    if (!InputFormExecute(msl->text(MsgCreateDirectory), msl->text(MsgNewDirectory) + u':', name, 255, false)
        || name.isEmpty())
        return;
    const QString path = QDir(m_folder).filePath(name);
    if (QDir().mkpath(path))
        setFolder(path);
}

void T_SaveForm::sbRen1Click()
{
    QTreeWidgetItem* current = lvLoc->currentItem();
    QString name;
    if (!current || !InputFormExecute(msl->text(MsgRename), msl->text(MsgNewName) + u':', name, 255, false)
        || name.isEmpty())
        return;
    if (QDir(m_folder).rename(current->text(0), name))
        fillFiles();
}

void T_SaveForm::sbDel1Click()
{
    const QStringList paths = selectedPaths();
    int files = 0, folders = 0;
    countEntries(paths, files, folders);
    QString question = msl->text(MsgRemove) + QStringLiteral(" : ") + QString::number(files);
    if (folders > 0)
        question += u' ' + msl->text(MsgAnd) + u' ' + QString::number(folders) + msl->text(MsgFolders);
    if (ShowMessageBox(question, msl->text(MsgAttention), MB_YESNO | MB_ICONQUESTION) != IDYES)
        return;
    QString error;
    if (!removeEntries(paths, &error))
        ShowMessageBox(error, msl->text(MsgAttention), MB_ICONWARNING);
    setFolder(m_folder);
}

void T_SaveForm::sbViewClick()
{
    const QStringList paths = selectedPaths();
    if (!paths.isEmpty())
        QDesktopServices::openUrl(QUrl::fromLocalFile(paths.constFirst()));
}

void T_SaveForm::SpeedButton1Click()
{
    SaveResultsOptions = checkedOptions();
    SaveResultsFileName = resultFileName(eFN->text());
    accept();
}

bool SaveResultsDialogExecute(QWidget* parent)
{
    T_SaveForm dialog(toolParent(parent));
    return dialog.exec() == QDialog::Accepted;
}

void registerSaveResultsTool()
{
    setToolFunction(ToolSaveResults, [](ToolRequest& request) {
        if (!SaveResultsDialogExecute(request.parent))
            return false;
        request.resultChoice = SaveResultsOptions;
        request.resultFileName = SaveResultsFileName;
        return true;
    });
}
