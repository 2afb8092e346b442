// The list editor window: see list_editor_window.h.

#include "lists/db_maker_window.h"
#include "lists/list_editor_window.h"

#include "core/base/widget_factory.h"
#include "core/dialogs/grid_export.h"
#include "core/language/msg_language.h"
#include "core/dialogs/progress_window.h"
#include "core/base/text_helpers.h"
#include "core/base/tool_commands.h"
#include "core/base/window_host.h"
#include "lists/filter_window.h"
#include "lists/remove_duplicates_window.h"
#include "lists/replace_window.h"
#include "lists/tool_widgets.h"
#include "platform/message_box_flags.h"
#include "platform/widgets/form_units.h"
#include "platform/widgets/string_grid_view.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QVBoxLayout>

namespace {

enum EditorText {
    MsgEdit = 0,
    MsgLoad = 1,
    MsgSave = 2,
    MsgNew = 3,
    MsgNoSpreadsheet = 4,
    MsgAttention = 5,
    MsgColumnsHoldData = 6,
    MsgColumnHoldsData = 7,
    MsgCellsTaken = 8,   // extracted values flattened for the list
    MsgCellsSaved = 9,   // a save that wrote cells flattened
};

QStringList editorMessages()
{
    return {"Edit Address Book", "Load Address Book", "Save Address Book", "New Address Book", "Excel Not Found!",
            "Attention", "Columns %1-%2 hold data; remove them?", "Column %1 holds data; remove it?",
            FlattenedCellsImportedText, FlattenedCellsSavedText};
}

}  // namespace

T_EditAB::T_EditAB(StringGrid& caller, const QString& fileName, const QString& delimiter, QWidget* parent)
    : ToolDialog(parent),
      msl(new TMsgLanguage(this, editorMessages())),
      sg(new StringGridView(this)),
      eRz(new QLineEdit(delimiter, this)),
      udCol(new QSpinBox(this)),
      sbNew(makeButton("sbNew", tr("New"))),
      sbOpen(makeButton("sbOpen", tr("Open"))),
      sbsave(makeButton("sbsave", tr("Save"))),
      sbSaveAs(makeButton("sbSaveAs", tr("Save As"))),
      SpeedButton3(makeButton("SpeedButton3", tr("Add Record"))),
      SpeedButton1(makeButton("SpeedButton1", tr("Delete Record"))),
      SpeedButton10(makeButton("SpeedButton10", tr("Filter"))),
      SpeedButton9(makeButton("SpeedButton9", tr("Replace"))),
      SpeedButton4(makeButton("SpeedButton4", tr("DB Maker"))),
      SpeedButton2(makeButton("SpeedButton2", tr("Extract Data"))),
      SpeedButton11(makeButton("SpeedButton11", tr("Remove duplicates"))),
      SpeedButton5(makeButton("SpeedButton5", tr("Export to MS Excel"))),
      ExplorerButton1(makeExplorerButton(this, "ExplorerButton1", tr("Close"), "close")),
      OpDlg(makeFileDialog(this, "OpDlg", tr("Open"), QFileDialog::AcceptOpen, QStringLiteral("ALL (*)"))),
      sd(makeFileDialog(this, "sd", tr("Save Address Book As"), QFileDialog::AcceptSave, QStringLiteral("ALL (*)"))),
      m_caller(caller),
      m_model(fileName, delimiter)
{
    setObjectName(QStringLiteral("_EditAB"));
    eRz->setObjectName(QStringLiteral("eRz"));
    eRz->setMaxLength(1);
    udCol->setObjectName(QStringLiteral("eCol"));
    udCol->setRange(1, 16384);
    udCol->setKeyboardTracking(false);   // a count typed digit by digit is taken whole, not "1" on the way to "12"
    sg->setObjectName(QStringLiteral("sg"));
    sg->setEditing(true);
    sg->setDefaultColumnWidth(200);
    buildLayout();
    requestTranslation();
    setWindowTitle(msl->text(MsgEdit) + QStringLiteral(" (") + fileName + QStringLiteral(")"));
    m_model.copyIn(caller);
    sg->setGrid(&m_model.grid());
    showColumnSetting();

    connect(udCol, &QSpinBox::valueChanged, this, &T_EditAB::eColChange);
    connect(eRz, &QLineEdit::textChanged, this, [this](const QString& text) { m_model.setDelimiter(text); });
    connect(sg, &StringGridView::editStarted, this, [this] { m_model.markModified(); });
    connect(sbNew, &QPushButton::clicked, this, &T_EditAB::sbNewClick);
    connect(sbOpen, &QPushButton::clicked, this, &T_EditAB::sbOpenClick);
    connect(sbsave, &QPushButton::clicked, this, &T_EditAB::sbsaveClick);
    connect(sbSaveAs, &QPushButton::clicked, this, &T_EditAB::sbSaveAsClick);
    connect(SpeedButton3, &QPushButton::clicked, this, &T_EditAB::SpeedButton3Click);
    connect(SpeedButton1, &QPushButton::clicked, this, &T_EditAB::SpeedButton1Click);
    connect(SpeedButton10, &QPushButton::clicked, this, &T_EditAB::SpeedButton10Click);
    connect(SpeedButton9, &QPushButton::clicked, this, &T_EditAB::SpeedButton9Click);
    connect(SpeedButton11, &QPushButton::clicked, this, &T_EditAB::SpeedButton11Click);
    connect(SpeedButton5, &QPushButton::clicked, this, &T_EditAB::SpeedButton5Click);
    connect(SpeedButton4, &QPushButton::clicked, this, [this] { extractData(SpeedButton4); });
    connect(SpeedButton2, &QPushButton::clicked, this, [this] { extractData(SpeedButton2); });
    connect(ExplorerButton1, &TExplorerButton::clicked, this, &T_EditAB::close);
}

void T_EditAB::buildLayout()
{
    // Two rows of commands, the file and the records above, the list tools below: one row of all twelve is
    // wider than the screen at 120 DPI.
    auto* fileTools = new QHBoxLayout;
    for (QWidget* button : {sbNew, sbOpen, sbsave, sbSaveAs, SpeedButton3, SpeedButton1})
        fileTools->addWidget(button);
    fileTools->addStretch();
    fileTools->addWidget(ExplorerButton1);
    auto* listTools = new QHBoxLayout;
    for (QWidget* button : {SpeedButton10, SpeedButton9, SpeedButton4, SpeedButton2, SpeedButton11, SpeedButton5})
        listTools->addWidget(button);
    listTools->addStretch();
    setWidthInCharacters(eRz, 4);
    auto* settings = new QHBoxLayout;
    settings->addWidget(makeFieldLabel(eRz, tr("Field delimiter")));
    settings->addWidget(eRz);
    settings->addWidget(makeFieldLabel(udCol, tr("Columns")));
    settings->addWidget(udCol);
    settings->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(fileTools);
    layout->addLayout(listTools);
    layout->addLayout(settings);
    layout->addWidget(sg);
}

// The control follows the model without running the column-count rule again.
void T_EditAB::showColumnSetting()
{
    const QSignalBlocker blocker(udCol);
    udCol->setValue(m_model.columnSetting());
    sg->setColumnWidth(0, formWidth(232, sg->fontMetrics()));
}

// The column-count rule, after asking when the new count would drop columns that hold data; No keeps the
// count in force.
void T_EditAB::eColChange(int count)
{
    const int holding = m_model.columnsHoldingData();
    if (count < holding) {
        const QString question = count + 1 == holding
                                     ? msl->text(MsgColumnHoldsData).arg(holding)
                                     : msl->text(MsgColumnsHoldData).arg(count + 1).arg(holding);
        if (ShowMessageBox(question, msl->text(MsgAttention), MB_YESNO | MB_ICONQUESTION) != IDYES) {
            showColumnSetting();
            return;
        }
    }
    m_model.setColumnCount(count);
}

bool T_EditAB::finish()
{
    return m_model.close(m_caller);
}

void T_EditAB::sbNewClick()
{
    m_model.newList();
    setWindowTitle(msl->text(MsgNew));
}

QString T_EditAB::chosenFile(QFileDialog* dialog)
{
    const bool listFileExists = QFileInfo(m_model.listFileName()).isFile();
    return runFileDialog(dialog, listFileExists ? m_model.listFileName() : QString());
}

void T_EditAB::sbOpenClick()
{
    const QString fileName = chosenFile(OpDlg);
    if (!fileName.isEmpty())
        loadFile(fileName);
}

void T_EditAB::loadFile(const QString& fileName)
{
    runBusy([&] {
        TProgAddress* progress = CreateProgressWindow();
        progress->setWindowTitle(msl->text(MsgLoad) + QStringLiteral(".. ") + fileName);
        progress->Gauge1->setRange(0, 0);
        const ListFileOutcome outcome = m_model.open(fileName, [&](int) {
            pumpEvents();
            return !progress->Stopped;
        });
        CloseProgressWindow(progress);
        showColumnSetting();
        reportFileError(fileName, outcome, MsgLoad);
    });
}

void T_EditAB::reportFileError(const QString& fileName, const ListFileOutcome& outcome, int captionText)
{
    if (!outcome.ok)
        reportFileProblem(fileName, outcome.error, msl->text(captionText));
}

void T_EditAB::sbsaveClick()
{
    m_model.save(m_caller);
}

void T_EditAB::sbSaveAsClick()
{
    const QString fileName = chosenFile(sd);
    if (fileName.isEmpty())
        return;
    ListFileOutcome outcome;
    runBusy([&] { outcome = m_model.saveAs(fileName); });
    reportFileError(fileName, outcome, MsgSave);
    reportFlattenedCells(outcome.cellsChanged, msl->text(MsgCellsSaved), msl->text(MsgAttention));
}

void T_EditAB::SpeedButton3Click()
{
    const int row = m_model.addRecord();
    sg->setCurrentCell(0, row);
    sg->setFocus();
}

void T_EditAB::SpeedButton1Click()
{
    m_model.deleteRecord(sg->currentRow());
}

void T_EditAB::SpeedButton10Click()
{
    if (FilterListExecute(m_model.grid(), this))
        m_model.markModified();
}

void T_EditAB::SpeedButton9Click()
{
    ReplaceDataExecute(m_model.grid(), this);
    m_model.markModified();
}

void T_EditAB::SpeedButton11Click()
{
    RemoveDuplicatesExecute(m_model.grid(), this);
    m_model.markModified();
}

void T_EditAB::SpeedButton5Click()
{
    SheetRows rows = sheetRowsOf(m_model.grid());
    rows.sheetName = QStringLiteral("Results");
    ExportToSpreadsheet(rows, msl->text(MsgNoSpreadsheet), msl->text(MsgAttention));
}

// DB Maker (shown) and Extract Data (unattended) run the project beside the list file (".cnd") and add the
// rows it hands back.
void T_EditAB::extractData(QPushButton* button)
{
    const QString listFile = m_model.listFileName();
    const qsizetype dot = listFile.lastIndexOf('.');
    const QString project = (dot < 0 ? listFile : listFile.left(dot)) + QStringLiteral(".cnd");
    QStringList rows;
    int columnCount = 0;
    if (!DbMakerExecute(project, rows, columnCount, /*unattended=*/button == SpeedButton2))
        return;
    const int cellsChanged = m_model.takeExtractedLines(rows, columnCount);
    showColumnSetting();
    reportFlattenedCells(cellsChanged, msl->text(MsgCellsTaken), msl->text(MsgAttention));
}

bool EditAddressBookExecute(StringGrid& grid, const QString& fileName, QString& delimiter, QWidget* parent)
{
    T_EditAB window(grid, fileName, delimiter, toolParent(parent));
    window.setWindowState(Qt::WindowMaximized);
    window.exec();
    const bool changed = window.finish();
    delimiter = window.eRz->text();
    return changed;
}

void registerListEditorTool()
{
    setToolFunction(ToolEditList, [](ToolRequest& request) {
        if (!request.listGrid || !request.delimiter)
            return false;
        return EditAddressBookExecute(*request.listGrid, request.listFileName, *request.delimiter, request.parent);
    });
}
