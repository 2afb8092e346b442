// TfFas and DbMakerExecute: see db_maker_window.h. Runs pump events through the engine's hook behind a busy
// guard; Stop sets the flag the engine reads; the unattended mode runs and closes through queued calls.

#include "lists/db_maker_window.h"

#include "controls/desktop_handler.h"
#include "core/dialogs/folder_places.h"
#include "core/base/widget_factory.h"
#include "core/base/window_host.h"
#include "core/dialogs/grid_export.h"
#include "core/dialogs/input_form.h"
#include "core/language/msg_language.h"
#include "lists/db_maker_field.h"
#include "platform/message_box_flags.h"
#include "platform/text_file.h"
#include "platform/widgets/form_units.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSplitter>
#include <QStackedWidget>
#include <QStandardItemModel>
#include <QStorageInfo>
#include <QTableWidget>
#include <QTreeView>
#include <QTreeWidget>
#include <QUrl>
#include <QVBoxLayout>

#include <algorithm>

namespace {

enum Message {
    MsgFieldName = 0,      // 0-8: the field grid's titles
    MsgFiles = 9,
    MsgNoFields = 10,
    MsgAdjustProject = 11,
    MsgCompleted = 12,
    MsgExtract = 13,
    MsgConditionFiles = 14,
    MsgAllFiles = 15,
    MsgColumn = 16,
    MsgFindNotEmpty = 17,
    MsgReplace = 18,
    MsgAttention = 19,
    MsgYes = 20,
    MsgCreateDirectory = 21,
    MsgNewDirectoryName = 22,
    MsgCannotRemove = 23,
    MsgRename = 24,
    MsgNewName = 25,
    MsgSureDelete = 26,
    MsgExcelNotFound = 27,
    MsgCannotStore = 28,
    MsgReplaceFile = 29,
    MsgNoTextViewer = 30,
    MsgFilesSkipped = 31,
    MsgValuesCut = 32,
};

QStringList dbMakerMessages()
{
    return {"Field Name", "Field begin", "Field end", "Identifier number", "Number of symbols", "Number of words",
            "Number of lines", "Line number", "Unique", "Files",
            "No field is defined: give at least one row of the field grid a name, then extract again.",
            "Adjust DB maker project", "Completed", "Extract", "Conditions files", "All files", "Column",
            "The Field \"Find\" is not empty.", "Replace", "Attention", "Yes", "Create Directory",
            "Enter new directory name", "Cannot remove directory", "Rename", "Enter new name",
            "Are you sure you want to delete", "Excel Not Found!",
            "These values cannot be kept as they are in the project file (a \"|\" is left out, blanks are lost):",
            "The file %s already exists. Replace it?",
            "No program is set to show text files (text/plain), so the file cannot be viewed.",
            "%d file(s) could not be read.",
            "%d value(s) in records too long to hold ran on past 1 MB and were cut there."};
}

constexpr unsigned InformationFlags = MB_TASKMODAL | MB_ICONINFORMATION;   // 8256
constexpr unsigned QuestionFlags = MB_TASKMODAL | MB_ICONQUESTION | MB_YESNO;  // 8228
constexpr int UniqueColumn = 8;
constexpr int FieldColumnWidths[DbMakerFieldCells] = {65, 74, 59, 84, 91, 85, 80, 63, 40};

TfFas::FileChooser& fileChooser()
{
    static TfFas::FileChooser chooser;
    return chooser;
}

TfFas::FileOpener& fileOpener()
{
    static TfFas::FileOpener opener;
    return opener;
}

QString fileFilter(const TMsgLanguage& msl)
{
    return msl.text(MsgConditionFiles) + " (*.txt);;" + msl.text(MsgAllFiles) + " (*.*)";
}

}  // namespace

void TfFas::setFileChooser(FileChooser chooser)
{
    fileChooser() = std::move(chooser);
}

void TfFas::setFileOpener(FileOpener opener)
{
    fileOpener() = std::move(opener);
}

TfFas::TfFas(QWidget* parent)
    : QDialog(parent), msl(new TMsgLanguage(this, dbMakerMessages()))
{
    setObjectName("fFas");
    setWindowTitle("DB Maker");
    setWindowFlag(Qt::WindowMaximizeButtonHint);
    pnlWait = named(new QWidget(this), "pnlWait");
    auto* waitLayout = new QHBoxLayout(pnlWait);
    waitLayout->addWidget(named(new QLabel("   Please wait ...", pnlWait), "lbWait"));
    sbWaitStop = makeButton(pnlWait, "sbWaitStop", "Stop");
    waitLayout->addWidget(sbWaitStop);
    connect(sbWaitStop, &QPushButton::clicked, this, &TfFas::sbStopClick);
    pnlWait->hide();

    auto* main = named(new QSplitter(Qt::Vertical, this), "spMain");
    auto* top = named(new QSplitter(Qt::Horizontal, main), "spTop");
    top->addWidget(buildFileManager());
    top->addWidget(buildSettings());
    main->addWidget(top);
    main->addWidget(buildResults());
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(pnlWait);
    layout->addWidget(main);
    resetFieldGrid({});
    setFolder(QDir::homePath());
    WindowHost::requestTranslation(this);
}

QWidget* TfFas::buildFileManager()
{
    auto* panel = named(new QWidget, "pnlFiles");
    auto* layout = new QVBoxLayout(panel);
    DriveComboBox1 = named(new QComboBox(panel), "DriveComboBox1");
    DriveComboBox1->setAccessibleName(tr("Drives"));   // the file manager's parts have no labels
    for (const FolderPlace& place : folderPlaces())
        DriveComboBox1->addItem(place.label, place.path);
    connect(DriveComboBox1, &QComboBox::activated, this,
            [this](int index) { setFolder(DriveComboBox1->itemData(index).toString()); });
    m_folders = new QFileSystemModel(this);
    m_folders->setFilter(QDir::Dirs | QDir::NoDotAndDotDot);
    m_folders->setRootPath("/");
    DirectoryListBox1 = named(new QTreeView(panel), "DirectoryListBox1");
    DirectoryListBox1->setModel(m_folders);
    for (int column = 1; column < m_folders->columnCount(); ++column)
        DirectoryListBox1->hideColumn(column);
    DirectoryListBox1->setHeaderHidden(true);
    DirectoryListBox1->setAccessibleName(tr("Folders"));
    connect(DirectoryListBox1, &QTreeView::clicked, this,
            [this](const QModelIndex& index) { setFolder(m_folders->filePath(index)); });

    m_entries = new QStandardItemModel(this);
    lvLoc = named(new QStackedWidget(panel), "lvLoc");
    m_entryIcons = named(new QListView(lvLoc), "lvLocIcons");
    m_entryIcons->setModel(m_entries);
    m_entryIcons->setAccessibleName(tr("Files"));
    m_entryIcons->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_entryIcons->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_entryDetails = named(new QTreeView(lvLoc), "lvLocDetails");
    m_entryDetails->setModel(m_entries);
    m_entryDetails->setAccessibleName(tr("Files"));
    m_entryDetails->setRootIsDecorated(false);
    m_entryDetails->setSelectionModel(m_entryIcons->selectionModel());
    m_entryDetails->setEditTriggers(QAbstractItemView::NoEditTriggers);
    lvLoc->addWidget(m_entryIcons);
    lvLoc->addWidget(m_entryDetails);
    const auto enter = [this](const QModelIndex& index) {
        const QStandardItem* item = m_entries->item(index.row(), 0);
        if (item && item->data(Qt::UserRole + 1).toBool())
            setFolder(item->data(Qt::UserRole).toString());
    };
    connect(m_entryIcons, &QListView::doubleClicked, this, enter);
    connect(m_entryDetails, &QTreeView::doubleClicked, this, enter);

    auto* buttons = new QGridLayout;
    sbMakeDir = makeButton(panel, "sbMakeDir", "MakeDir");
    sbRemoveDir = makeButton(panel, "sbRemoveDir", "Remove Dir");
    sbRename = makeButton(panel, "sbRename", "Rename");
    sbDelete = makeButton(panel, "sbDelete", "Delete");
    sbView = makeButton(panel, "sbView", "View");
    sbRun = makeButton(panel, "sbRun", "Run");
    sbViewStyle = makeButton(panel, "sbViewStyle", "Views");
    auto* views = named(new QMenu(sbViewStyle), "pmView");
    const char* const viewNames[] = {"Large icons", "Small icons", "List", "Details"};
    for (int tag = 0; tag < 4; ++tag)
        views->addAction(viewNames[tag], this, [this, tag] { setViewStyle(tag); });
    sbViewStyle->setMenu(views);
    const QList<QPushButton*> all{sbMakeDir, sbRemoveDir, sbRename, sbDelete, sbView, sbRun, sbViewStyle};
    for (int i = 0; i < all.size(); ++i)
        buttons->addWidget(all[i], i / 4, i % 4);
    connect(sbMakeDir, &QPushButton::clicked, this, &TfFas::sbMakeDirClick);
    connect(sbRemoveDir, &QPushButton::clicked, this, &TfFas::sbRemoveDirClick);
    connect(sbRename, &QPushButton::clicked, this, &TfFas::sbRenameClick);
    connect(sbDelete, &QPushButton::clicked, this, &TfFas::sbDeleteClick);
    connect(sbView, &QPushButton::clicked, this, &TfFas::sbViewClick);
    connect(sbRun, &QPushButton::clicked, this, &TfFas::sbRunClick);
    layout->addWidget(DriveComboBox1);
    layout->addWidget(DirectoryListBox1, 1);
    layout->addWidget(lvLoc, 1);
    layout->addLayout(buttons);
    setViewStyle(3);
    return panel;
}

QWidget* TfFas::buildSettings()
{
    auto* panel = named(new QWidget, "pnlSettings");
    auto* layout = new QVBoxLayout(panel);
    auto* markers = new QGridLayout;
    eMask = named(new QLineEdit("*.*", panel), "eMask");
    eBegin = named(new QLineEdit(panel), "eBegin");
    eEnd = named(new QLineEdit(panel), "eEnd");
    cbL = named(new QCheckBox("Maximal Record Length (bytes)", panel), "cbL");
    eL = named(new QLineEdit("1000000", panel), "eL");
    setWidthInCharacters(eMask, 20);
    setWidthInCharacters(eL, 10);
    markers->setColumnStretch(1, 1);
    markers->addWidget(makeFieldLabel(eMask, "File mask", "lbMask"), 0, 0);
    markers->addWidget(eMask, 0, 1, Qt::AlignLeft);
    markers->addWidget(makeFieldLabel(eBegin, "Record begin", "lbBegin"), 1, 0);
    markers->addWidget(eBegin, 1, 1);
    markers->addWidget(makeFieldLabel(eEnd, "Record end", "lbEnd"), 2, 0);
    markers->addWidget(eEnd, 2, 1);
    markers->addWidget(cbL, 3, 0);
    markers->addWidget(eL, 3, 1, Qt::AlignLeft);
    eL->hide();
    // Values whose caption is their check box or radio button, which cannot be a buddy.
    eL->setAccessibleName(cbL->text());
    connect(cbL, &QCheckBox::toggled, eL, &QWidget::setVisible);
    layout->addLayout(markers);

    cbIn = named(new QCheckBox("Search table inside record", panel), "cbIn");
    layout->addWidget(cbIn);
    pnlIn = named(new QWidget(panel), "pnlIn");
    auto* table = new QGridLayout(pnlIn);
    rbT = named(new QRadioButton("Find HTML Table Number", pnlIn), "rbT");
    eT = named(new QLineEdit("1", pnlIn), "eT");
    rbD = named(new QRadioButton("Find Text Delimited Data", pnlIn), "rbD");
    eD = named(new QLineEdit(";", pnlIn), "eD");
    eD->setMaxLength(1);
    cb2_1 = named(new QCheckBox("Apply several delimiters as single", pnlIn), "cb2_1");
    rbSplit = named(new QCheckBox("Do not split fields if there are symbols in \"..\"", pnlIn), "rbSplit");
    rbSplit->hide();
    rbT->setChecked(true);
    setWidthInCharacters(eT, 5);
    setWidthInCharacters(eD, 3);
    eT->setAccessibleName(rbT->text());
    eD->setAccessibleName(rbD->text());
    table->setColumnStretch(2, 1);   // the short values keep short boxes
    table->addWidget(rbT, 0, 0);
    table->addWidget(eT, 0, 1);
    table->addWidget(rbD, 1, 0);
    table->addWidget(eD, 1, 1);
    table->addWidget(cb2_1, 2, 0, 1, 2);
    table->addWidget(rbSplit, 3, 0, 1, 2);
    layout->addWidget(pnlIn);

    pnlF = named(new QWidget(panel), "pnlF");
    auto* fields = new QVBoxLayout(pnlF);
    sgItem = named(new QTableWidget(0, DbMakerFieldCells, pnlF), "sgItem");
    for (int column = 0; column < DbMakerFieldCells; ++column) {
        sgItem->setHorizontalHeaderItem(column, new QTableWidgetItem(msl->text(MsgFieldName + column)));
    }
    // The form's widths, widened where a title needs more (a larger font, a longer translation).
    for (int column = 0; column < DbMakerFieldCells; ++column)
        sgItem->setColumnWidth(column,
                               std::max(formWidth(FieldColumnWidths[column], sgItem->fontMetrics()),
                                        sgItem->horizontalHeader()->sectionSizeHint(column)));
    sgItem->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(sgItem, &QTableWidget::cellDoubleClicked, this, &TfFas::sgItemToggleUnique);
    buildFieldMenu();
    auto* rowButtons = new QHBoxLayout;
    sbAddRow = makeButton(pnlF, "sbAddRow", "Add row (field)");
    sbDeleteRow = makeButton(pnlF, "sbDeleteRow", "Delete row (field)");
    connect(sbAddRow, &QPushButton::clicked, this, &TfFas::sbAddRowClick);
    connect(sbDeleteRow, &QPushButton::clicked, this, &TfFas::sbDeleteRowClick);
    rowButtons->addWidget(sbAddRow);
    rowButtons->addWidget(sbDeleteRow);
    fields->addWidget(sgItem);
    fields->addLayout(rowButtons);
    layout->addWidget(pnlF, 1);
    pnlIn->hide();
    connect(cbIn, &QCheckBox::toggled, this, [this](bool on) {
        pnlIn->setVisible(on);
        pnlF->setVisible(!on);
    });
    return panel;
}

void TfFas::buildFieldMenu()
{
    pmField = named(new QMenu(sgItem), "pmField");
    const char* const edits[] = {"Add", "Insert", "Delete", "Clear all"};
    for (int tag = 0; tag < 4; ++tag)
        pmField->addAction(edits[tag], this, [this, tag] { pmFieldEditClick(tag); });
    pmField->addSeparator();
    const char* const finds[] = {"Find E-Mail", "Find URL", "Find Domain"};
    QList<QAction*> findActions;
    for (int tag = 1; tag <= 3; ++tag)
        findActions << pmField->addAction(finds[tag - 1], this, [this, tag] { pmFieldFindClick(tag); });
    connect(sgItem, &QWidget::customContextMenuRequested, this, [this, findActions](const QPoint& at) {
        const bool beginColumn = sgItem->currentColumn() == 1;
        for (QAction* action : findActions)
            action->setEnabled(beginColumn);
        pmField->popup(sgItem->viewport()->mapToGlobal(at));
    });
}

QWidget* TfFas::buildResults()
{
    auto* panel = named(new QWidget, "pnlResults");
    auto* layout = new QVBoxLayout(panel);
    lvRes = named(new QTreeWidget(panel), "lvRes");
    lvRes->setRootIsDecorated(false);
    lvRes->setUniformRowHeights(true);
    clearResults();
    auto* buttons = new QHBoxLayout;
    sbFas = makeButton(panel, "sbFas", "Extract Data");
    sbStop = makeButton(panel, "sbStop", "Stop");
    sbStop->setEnabled(false);
    sbExcel = makeButton(panel, "sbExcel", "Export to MS Excel");
    sbApply = makeButton(panel, "sbApply", "Apply && Exit");
    sbLoadProject = makeButton(panel, "sbLoadProject", "Load project");
    sbSaveProject = makeButton(panel, "sbSaveProject", "Save project as...");
    sbSaveResults = makeButton(panel, "sbSaveResults", "Save results");
    ExplorerButton1 = makeExplorerButton(panel, "ExplorerButton1", "Close", "close");
    eRz = named(new QLineEdit(";", panel), "eRz");
    eRz->setMaxLength(1);
    setWidthInCharacters(eRz, 3);   // one character
    eRz->setAccessibleName(tr("Field delimiter"));   // among the buttons, without a label
    connect(sbFas, &QPushButton::clicked, this, [this] { sbFasClick(0); });
    connect(sbStop, &QPushButton::clicked, this, &TfFas::sbStopClick);
    connect(sbExcel, &QPushButton::clicked, this, &TfFas::sbExcelClick);
    connect(sbApply, &QPushButton::clicked, this, &TfFas::sbApplyClick);
    connect(sbLoadProject, &QPushButton::clicked, this, &TfFas::sbLoadProjectClick);
    connect(sbSaveProject, &QPushButton::clicked, this, &TfFas::sbSaveProjectClick);
    connect(sbSaveResults, &QPushButton::clicked, this, &TfFas::sbSaveResultsClick);
    connect(ExplorerButton1, &TExplorerButton::clicked, this, &QDialog::reject);
    for (QWidget* widget : QList<QWidget*>{sbFas, sbStop, sbExcel, sbApply, sbLoadProject, sbSaveProject,
                                           sbSaveResults, eRz, ExplorerButton1})
        buttons->addWidget(widget);
    layout->addWidget(lvRes, 1);
    layout->addLayout(buttons);
    return panel;
}

// ---- modes ------------------------------------------------------------------------------------------------

void TfFas::startInteractive(const QString& projectFileName)
{
    m_projectFileName = m_resultFileName = projectFileName;
    LoadProject();
    setWindowState(Qt::WindowMaximized);
}

void TfFas::startUnattended(const QString& projectFileName)
{
    m_unattended = true;
    m_projectFileName = m_resultFileName = projectFileName;
    LoadProject();
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    for (QWidget* child : findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly))
        child->setVisible(child == pnlWait);
    pnlWait->show();
    adjustSize();
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    QMetaObject::invokeMethod(this, [this] { sbFasClick(1); }, Qt::QueuedConnection);
}

// ---- runs -------------------------------------------------------------------------------------------------

void TfFas::sbFasClick(int runTag)
{
    if (m_running)
        return;   // a click arriving while events are pumped
    m_running = true;
    m_stop = false;
    sbFas->setEnabled(false);
    sbApply->setEnabled(false);
    sbStop->setEnabled(true);
    const DbMakerSettings settings = currentSettings();
    QStringList fieldNames;
    for (const DbMakerField& field : fieldsFromRows(settings.fieldRows))
        fieldNames << field.name;
    clearResults();
    DbMakerCallbacks callbacks;
    const bool handBackRows = m_unattended && !settings.searchTable;
    callbacks.row = [&](const DbMakerRow& row) {
        if (handBackRows)
            m_handBack.add(row.values);
        else
            addResultRow(row, settings.searchTable ? QStringList() : fieldNames);
    };
    callbacks.pump = [] { QCoreApplication::processEvents(); };
    callbacks.stop = &m_stop;
    const DbMakerRunResult result = runDbMaker(settings, callbacks);
    if (result.noFields) {
        if (m_unattended)
            hide();
        ShowMessageBox(msl->text(MsgNoFields), msl->text(MsgAdjustProject), InformationFlags);
        m_stop = true;
    }
    finishRun(result, runTag);
}

// "Completed", and below it what the run could not take whole: files it could not read, values it cut.
QString TfFas::completedText(const DbMakerRunResult& result) const
{
    QString text = msl->text(MsgCompleted);
    if (result.filesSkipped > 0)
        text += "\n\n" + msl->text(MsgFilesSkipped).replace("%d", QString::number(result.filesSkipped));
    if (result.valuesCut > 0)
        text += "\n\n" + msl->text(MsgValuesCut).replace("%d", QString::number(result.valuesCut));
    return text;
}

void TfFas::finishRun(const DbMakerRunResult& result, int runTag)
{
    const bool stopped = result.stopped || result.noFields;
    sbFas->setEnabled(true);
    sbApply->setEnabled(true);
    sbStop->setEnabled(false);
    m_running = false;
    if (!stopped && runTag == 0)
        ShowMessageBox(completedText(result), msl->text(MsgExtract), InformationFlags);
    m_stop = false;
    if (m_unattended || m_closeAfterRun)
        QMetaObject::invokeMethod(this, [this] { done(m_unattended ? QDialog::Accepted : QDialog::Rejected); },
                                  Qt::QueuedConnection);
}

void TfFas::sbStopClick()
{
    m_stop = true;
    QCoreApplication::processEvents();
}

void TfFas::addResultRow(const DbMakerRow& row, const QStringList& fieldNames)
{
    while (lvRes->columnCount() < row.values.size() + 1) {
        const int column = lvRes->columnCount();
        const QString caption = fieldNames.value(column - 1, QString::number(column));
        QTreeWidgetItem* header = lvRes->headerItem();
        lvRes->setColumnCount(column + 1);
        header->setText(column, caption);
    }
    auto* item = new QTreeWidgetItem(lvRes);
    item->setText(0, row.fileName);
    item->setData(0, Qt::UserRole, int(row.values.size()));
    for (int i = 0; i < row.values.size(); ++i)
        item->setText(i + 1, row.values[i]);
}

QList<QStringList> TfFas::resultRows() const
{
    QList<QStringList> rows;
    for (int i = 0; i < lvRes->topLevelItemCount(); ++i) {
        const QTreeWidgetItem* item = lvRes->topLevelItem(i);
        QStringList row{item->text(0)};
        const int count = item->data(0, Qt::UserRole).toInt();
        for (int column = 1; column <= count; ++column)
            row << item->text(column);
        rows << row;
    }
    return rows;
}

void TfFas::clearResults()
{
    lvRes->clear();
    lvRes->setColumnCount(1);
    lvRes->setHeaderLabels({msl->text(MsgFiles)});
}

// ---- results ----------------------------------------------------------------------------------------------

void TfFas::sbApplyClick()
{
    m_handBack = DbMakerHandBack();
    for (const QStringList& row : resultRows())
        m_handBack.add(row.mid(1));
    accept();
}

void TfFas::sbExcelClick()
{
    QList<QStringList> rows;
    QStringList captions;
    for (int column = 0; column < lvRes->columnCount(); ++column)
        captions << lvRes->headerItem()->text(column);
    rows << captions << resultRows();
    SheetRows sheet = sheetRowsOf(rows);
    sheet.sheetName = QStringLiteral("Results");
    ExportToSpreadsheet(sheet, msl->text(MsgExcelNotFound), msl->text(MsgExtract));
}

void TfFas::sbSaveResultsClick()
{
    const QString chosen = chooseFile(true, defaultResultFileName(m_resultFileName));
    if (chosen.isEmpty())
        return;
    m_resultFileName = withDefaultExtension(chosen, QStringLiteral(".txt"));
    const QList<QStringList> rows = resultRows();
    if (rows.isEmpty() || !mayWrite(m_resultFileName))
        return;
    const QString delimiter = eRz->text();
    QString error;
    if (!writeTextLines(m_resultFileName, dbMakerResultLines(rows, delimiter.isEmpty() ? QChar(';') : delimiter[0]),
                        &error))
        ShowMessageBox(m_resultFileName + " : " + error, msl->text(MsgAttention), MB_OK | MB_ICONERROR);
}

// True when path does not exist yet or the user agrees to replace it.
bool TfFas::mayWrite(const QString& path)
{
    if (!QFileInfo::exists(path))
        return true;
    return ShowMessageBox(msl->text(MsgReplaceFile).replace("%s", path), msl->text(MsgAttention), QuestionFlags)
           == IDYES;
}

QString TfFas::chooseFile(bool save, const QString& start)
{
    const QString filter = fileFilter(*msl);
    if (fileChooser())
        return fileChooser()(save, start, filter);
    // Replacing is asked by mayWrite, the same for every file the window writes.
    return save ? QFileDialog::getSaveFileName(this, QString(), start, filter, nullptr,
                                               QFileDialog::DontConfirmOverwrite)
                : QFileDialog::getOpenFileName(this, QString(), start, filter);
}

// ---- projects ---------------------------------------------------------------------------------------------

DbMakerSettings TfFas::currentSettings() const
{
    DbMakerSettings settings;
    settings.folder = m_folder;
    settings.mask = eMask->text();
    settings.beginMarker = eBegin->text();
    settings.endMarker = eEnd->text();
    settings.limitLength = cbL->isChecked();
    settings.maxLength = eL->text();
    settings.searchTable = cbIn->isChecked();
    settings.tableMode = rbT->isChecked();
    settings.tableNumber = eT->text();
    settings.delimitedMode = rbD->isChecked();
    settings.delimiter = eD->text();
    settings.splitQuoted = rbSplit->isChecked();
    settings.severalAsOne = cb2_1->isChecked();
    settings.fieldRows = fieldGridRows();
    return settings;
}

void TfFas::applySettings(const DbMakerSettings& settings)
{
    if (!settings.folder.isEmpty())
        setFolder(settings.folder);
    eMask->setText(settings.mask);
    eBegin->setText(settings.beginMarker);
    eEnd->setText(settings.endMarker);
    cbL->setChecked(settings.limitLength);
    eL->setVisible(settings.limitLength);
    eL->setText(settings.maxLength);
    cbIn->setChecked(settings.searchTable);
    rbT->setAutoExclusive(false);   // a project may choose neither
    rbD->setAutoExclusive(false);
    rbT->setChecked(settings.tableMode);
    rbD->setChecked(settings.delimitedMode && !settings.tableMode);
    rbT->setAutoExclusive(true);
    rbD->setAutoExclusive(true);
    eT->setText(settings.tableNumber);
    eD->setText(settings.delimiter);
    rbSplit->setChecked(settings.splitQuoted);
    cb2_1->setChecked(settings.severalAsOne);
    resetFieldGrid(settings.fieldRows);
}

void TfFas::LoadProject()
{
    DbMakerSettings settings = currentSettings();
    if (loadDbMakerProject(m_projectFileName, settings))
        applySettings(settings);
}

void TfFas::SaveProject()
{
    const DbMakerSettings settings = currentSettings();
    QStringList settingNames{"Folder", eMask->objectName(), eBegin->objectName(), eEnd->objectName(), "",
                             cbL->text(), "", "", rbT->text(), "", rbD->text()};
    QStringList titles;
    for (int column = 0; column < DbMakerFieldCells; ++column)
        titles << msl->text(MsgFieldName + column);
    const QStringList lost = unstorableProjectValues(settings, settingNames, titles);
    if (!lost.isEmpty())
        ShowMessageBox(msl->text(MsgCannotStore) + "\n" + lost.join("\n"), msl->text(MsgAttention),
                       MB_OK | MB_ICONWARNING);
    QString error;
    if (!saveDbMakerProject(m_projectFileName, settings, &error))
        ShowMessageBox(m_projectFileName + " : " + error, msl->text(MsgAttention), MB_OK | MB_ICONERROR);
    QCoreApplication::processEvents();
}

void TfFas::sbLoadProjectClick()
{
    const QString chosen = chooseFile(false, m_projectFileName);
    if (chosen.isEmpty())
        return;
    DbMakerSettings settings = currentSettings();
    if (loadDbMakerProject(chosen, settings))
        applySettings(settings);   // the caller's project file name stays
    clearResults();
}

void TfFas::sbSaveProjectClick()
{
    const QString chosen = chooseFile(true, m_projectFileName);
    if (chosen.isEmpty())
        return;
    const QString path = withDefaultExtension(chosen, QStringLiteral(".cnd"));
    if (path != m_projectFileName && !mayWrite(path))
        return;
    m_projectFileName = path;
    SaveProject();
}

// ---- field grid -------------------------------------------------------------------------------------------

void TfFas::resetFieldGrid(const QList<QStringList>& rows)
{
    sgItem->setRowCount(0);
    sgItem->setRowCount(int(qMax<qsizetype>(1, rows.size())));
    for (int row = 0; row < rows.size(); ++row)
        for (int column = 0; column < DbMakerFieldCells; ++column)
            sgItem->setItem(row, column, new QTableWidgetItem(rows[row].value(column)));
}

QList<QStringList> TfFas::fieldGridRows() const
{
    QList<QStringList> rows;
    for (int row = 0; row < sgItem->rowCount(); ++row) {
        QStringList cells;
        for (int column = 0; column < DbMakerFieldCells; ++column)
            cells << (sgItem->item(row, column) ? sgItem->item(row, column)->text() : QString());
        if (!cells.join(QString()).isEmpty())
            rows << cells;
    }
    return rows;
}

int TfFas::selectedFieldRow() const
{
    return qMax(0, sgItem->currentRow());
}

void TfFas::sbAddRowClick()
{
    int row = sgItem->rowCount() - 1;
    const bool blankOnly = sgItem->rowCount() == 1 && fieldGridRows().isEmpty();
    if (!blankOnly)
        sgItem->setRowCount(++row + 1);
    sgItem->setItem(row, 0, new QTableWidgetItem(msl->text(MsgColumn) + " " + QString::number(row + 1)));
    sgItem->setCurrentCell(row, 0);
}

void TfFas::sbDeleteRowClick()
{
    pmFieldEditClick(2);
}

void TfFas::pmFieldEditClick(int tag)
{
    const int row = selectedFieldRow();
    switch (tag) {
    case 0:   // Add
        sgItem->setRowCount(sgItem->rowCount() + 1);
        sgItem->setCurrentCell(sgItem->rowCount() - 1, 0);
        break;
    case 1:   // Insert after the selected row
        sgItem->insertRow(row + 1);
        sgItem->setCurrentCell(row + 1, 0);
        break;
    case 2:   // Delete; the only row is blanked
        if (sgItem->rowCount() > 1)
            sgItem->removeRow(row);
        else
            resetFieldGrid({});
        break;
    case 3:   // Clear all
        resetFieldGrid({});
        break;
    }
}

void TfFas::pmFieldFindClick(int tag)
{
    static const char* const keywords[] = {"", "^Find@", "^FindUrl", "^FindDomain"};
    if (tag < 1 || tag > 3)
        return;
    const int row = selectedFieldRow();
    const QTableWidgetItem* cell = sgItem->item(row, 1);
    if (cell && !cell->text().isEmpty()
        && ShowMessageBox(msl->text(MsgFindNotEmpty) + "\n\r" + msl->text(MsgReplace), msl->text(MsgAttention),
                          QuestionFlags)
               != IDYES)
        return;
    sgItem->setItem(row, 1, new QTableWidgetItem(keywords[tag]));
}

void TfFas::sgItemToggleUnique(int row, int column)
{
    if (column != UniqueColumn || row < 0)
        return;
    const QTableWidgetItem* cell = sgItem->item(row, column);
    const bool marked = cell && !cell->text().isEmpty();
    sgItem->setItem(row, column, new QTableWidgetItem(marked ? QString() : msl->text(MsgYes)));
}

// ---- file manager -----------------------------------------------------------------------------------------

void TfFas::setFolder(const QString& folder)
{
    m_folder = QDir::cleanPath(folder);
    const QModelIndex index = m_folders->index(m_folder);
    if (index.isValid()) {
        DirectoryListBox1->setCurrentIndex(index);
        DirectoryListBox1->scrollTo(index);
    }
    listFolder();
}

void TfFas::listFolder()
{
    m_entries->clear();
    m_entries->setHorizontalHeaderLabels({"Name", "Size", "Date"});
    const QDir dir(m_folder);
    const QFileInfoList entries =
        dir.entryInfoList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System,
                          QDir::DirsFirst | QDir::Name | QDir::IgnoreCase);
    const QIcon folderIcon = style()->standardIcon(QStyle::SP_DirIcon);
    const QIcon fileIcon = style()->standardIcon(QStyle::SP_FileIcon);
    for (const QFileInfo& entry : entries) {
        auto* name = new QStandardItem(entry.isDir() ? folderIcon : fileIcon, entry.fileName());
        name->setData(entry.filePath(), Qt::UserRole);
        name->setData(entry.isDir(), Qt::UserRole + 1);
        QList<QStandardItem*> row{name};
        if (!entry.isDir())
            row << new QStandardItem(QString::number(entry.size()))
                << new QStandardItem(entry.lastModified().toString("dd/MM/yyyy"));
        m_entries->appendRow(row);
    }
}

void TfFas::setViewStyle(int tag)
{
    if (tag == 3) {
        lvLoc->setCurrentWidget(m_entryDetails);
        return;
    }
    lvLoc->setCurrentWidget(m_entryIcons);
    m_entryIcons->setViewMode(tag == 2 ? QListView::ListMode : QListView::IconMode);
    m_entryIcons->setIconSize(tag == 0 ? QSize(32, 32) : QSize(16, 16));
    m_entryIcons->setWrapping(true);
}

QStringList TfFas::chosenEntries() const
{
    QStringList paths;
    for (const QModelIndex& index : m_entryIcons->selectionModel()->selectedRows(0))
        paths << m_entries->item(index.row(), 0)->data(Qt::UserRole).toString();
    return paths;
}

void TfFas::sbMakeDirClick()
{
    QString name;
    if (!InputFormExecute(msl->text(MsgCreateDirectory), msl->text(MsgNewDirectoryName), name, 255, false)
        || name.trimmed().isEmpty())
        return;
    QDir(m_folder).mkdir(name.trimmed());
    m_folders->setRootPath("/");
    listFolder();
}

void TfFas::sbRemoveDirClick()
{
    const QStringList chosen = chosenEntries();
    const QString folder = chosen.isEmpty() ? QString() : chosen.first();
    if (folder.isEmpty() || !QFileInfo(folder).isDir() || !QDir().rmdir(folder))
        ShowMessageBox(msl->text(MsgCannotRemove), msl->text(MsgAttention), MB_OK | MB_ICONERROR);
    listFolder();
}

void TfFas::sbRenameClick()
{
    const QStringList chosen = chosenEntries();
    if (chosen.isEmpty())
        return;
    QString name = QFileInfo(chosen.first()).fileName();
    if (!InputFormExecute(msl->text(MsgRename), msl->text(MsgNewName), name, 255, false) || name.isEmpty()
        || name.contains('/'))
        return;
    const QString target = QDir(m_folder).filePath(name);
    if (target != chosen.first() && !QFileInfo::exists(target))   // never over another file
        QFile::rename(chosen.first(), target);
    listFolder();
}

void TfFas::sbDeleteClick()
{
    QStringList files;
    for (const QString& path : chosenEntries())
        if (!QFileInfo(path).isDir())
            files << path;
    if (files.isEmpty()
        || ShowMessageBox(msl->text(MsgSureDelete) + " " + files.join(", ") + "?", msl->text(MsgAttention),
                          QuestionFlags)
               != IDYES)
        return;
    for (const QString& path : files)
        QFile::remove(path);
    listFolder();
}

// The file as text, in the desktop's program for text/plain: an .html file shows its source.
void TfFas::sbViewClick()
{
    const QStringList chosen = chosenEntries();
    if (chosen.isEmpty())
        return;
    const HandlerOpenResult opened = openWithDefaultHandler(QStringLiteral("text/plain"), chosen.first());
    switch (opened.result) {
    case HandlerOpen::Opened:
        return;
    case HandlerOpen::NoHandler:
        ShowMessageBox(msl->text(MsgNoTextViewer), msl->text(MsgAttention), MB_OK | MB_ICONWARNING);
        return;
    case HandlerOpen::Failed:
        ShowMessageBox(opened.error, msl->text(MsgAttention), MB_OK | MB_ICONWARNING);
        return;
    }
}

void TfFas::sbRunClick()
{
    const QStringList chosen = chosenEntries();
    if (chosen.isEmpty())
        return;
    // The path reaches the desktop as one argument, never through a shell.
    if (fileOpener())
        fileOpener()(chosen.first());
    else
        QDesktopServices::openUrl(QUrl::fromLocalFile(chosen.first()));
}

// ---- closing ----------------------------------------------------------------------------------------------

void TfFas::closeEvent(QCloseEvent* event)
{
    if (m_running) {   // the run stops first; the window closes when it has
        m_stop = true;
        m_closeAfterRun = true;
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

void TfFas::reject()
{
    if (m_running) {
        m_stop = true;
        m_closeAfterRun = true;
        return;
    }
    QDialog::reject();
}

void TfFas::done(int result)
{
    if (!m_unattended)
        SaveProject();
    QDialog::done(result);
}

bool DbMakerExecute(const QString& projectFileName, QStringList& results, int& columnCount, bool unattended)
{
    TfFas window(WindowHost::mainWindow());
    QCoreApplication::processEvents();
    if (unattended)
        window.startUnattended(projectFileName);
    else
        window.startInteractive(projectFileName);
    const int answer = window.exec();
    if (unattended)
        window.SaveProject();
    if (!unattended && answer != QDialog::Accepted)
        return false;
    results = window.handBack().commaTexts;
    columnCount = window.handBack().columnCount;
    return !results.isEmpty();
}
