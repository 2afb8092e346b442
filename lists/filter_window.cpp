// The keyword filter window: see filter_window.h.

#include "lists/filter_window.h"

#include "core/base/widget_factory.h"
#include "core/language/msg_language.h"
#include "core/dialogs/progress_window.h"
#include "core/base/text_helpers.h"
#include "core/base/tool_commands.h"
#include "core/base/window_host.h"
#include "lists/keyword_filter.h"
#include "lists/tool_widgets.h"
#include "platform/widgets/string_grid_view.h"
#include "platform/text_file.h"

#include <QComboBox>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {

enum FilterText { MsgFilter = 0, MsgOpen = 1, MsgSaveAs = 2, MsgFiltered = 3, MsgSaveRemoved = 4 };

QStringList filterMessages()
{
    return {"Filter", "Open Filter", "Save Filter as", "Filtered",
            "Filtered...Please enter file name to save removed addresses"};
}

// The project's folder: that of the main window's open-dialog file name (a project, or a folder's "*.eml"),
// the program folder when there is none or it has gone.
QString removedRowsFolder()
{
    const QString openFileName = WindowHost::openFileName();
    const QString folder = openFileName.left(openFileName.lastIndexOf(u'/') + 1);
    return !folder.isEmpty() && QFileInfo(folder).isDir() ? folder : ProgramFolder();
}

}  // namespace

TFilterForm1::TFilterForm1(StringGrid& listGrid, QWidget* parent)
    : ToolDialog(parent),
      msl(new TMsgLanguage(this, filterMessages())),
      sg1(new StringGridView(this)),
      ComboBox3(new QComboBox(this)),
      cbTo(new QComboBox(this)),
      rbExact(new QRadioButton(tr("Is equal exactly"), this)),
      rbExist(new QRadioButton(tr("Contains keywords"), this)),
      SectionSymbol(makeSectionSymbolBox(this)),
      OpFilterDlg(makeFileDialog(this, "OpFilterDlg", QString(), QFileDialog::AcceptOpen, QStringLiteral("All (*)"))),
      SaveFilter(makeFileDialog(this, "SaveFilter", QString(), QFileDialog::AcceptSave, QStringLiteral("All (*)"))),
      SpeedButton1(makeButton("SpeedButton1", tr("Load File"))),
      SpeedButton3(makeButton("SpeedButton3", tr("Save File As"))),
      SpeedButton5(makeButton("SpeedButton5", tr("Apply filter"))),
      SpeedButton2(makeButton("SpeedButton2", tr("Add  Keyword"))),
      SpeedButton4(makeButton("SpeedButton4", tr("Delete Keyword"))),
      ExplorerButton1(makeExplorerButton(this, "ExplorerButton1", tr("Close"), "close")),
      m_listGrid(listGrid)
{
    setObjectName(QStringLiteral("FilterForm1"));
    sg1->setObjectName(QStringLiteral("sg1"));
    sg1->setEditing(true);
    sg1->setDefaultColumnWidth(240);
    sg1->setGrid(&m_keywords);
    ComboBox3->setObjectName(QStringLiteral("ComboBox3"));
    cbTo->setObjectName(QStringLiteral("cbTo"));
    rbExact->setObjectName(QStringLiteral("rbExact"));
    rbExist->setObjectName(QStringLiteral("rbExist"));
    rbExact->setChecked(true);
    SpeedButton1->setToolTip(tr("Load a text file with keyword of filter"));
    SpeedButton3->setToolTip(tr("Save keywords as a text file"));
    SpeedButton5->setToolTip(tr("Filter the addressbook"));
    SpeedButton2->setToolTip(tr("Click to add keywords of filter"));
    SpeedButton4->setToolTip(tr("Click to delete keywords of filter"));
    buildLayout();
    requestTranslation();
    resize(792, 577);

    connect(sg1, &StringGridView::cellEdited, this, [this] { m_keywordsChanged = true; });
    connect(SectionSymbol, &QComboBox::currentIndexChanged, this, &TFilterForm1::ChangeSection);
    connect(SpeedButton1, &QPushButton::clicked, this, &TFilterForm1::SpeedButton1Click);
    connect(SpeedButton3, &QPushButton::clicked, this, &TFilterForm1::SpeedButton3Click);
    connect(SpeedButton5, &QPushButton::clicked, this, &TFilterForm1::Apply);
    connect(SpeedButton2, &QPushButton::clicked, this, &TFilterForm1::SpeedButton2Click);
    connect(SpeedButton4, &QPushButton::clicked, this, &TFilterForm1::SpeedButton4Click);
    connect(ExplorerButton1, &TExplorerButton::clicked, this, &TFilterForm1::close);
}

void TFilterForm1::buildLayout()
{
    auto* options = new QGridLayout;
    options->addWidget(makeFieldLabel(ComboBox3, tr("Use keywords from field")), 0, 0);
    options->addWidget(ComboBox3, 0, 1);
    options->addWidget(new QLabel(tr("to filter mailing list"), this), 0, 2);
    options->addWidget(makeFieldLabel(cbTo, tr("Apply filter to")), 1, 0);
    options->addWidget(cbTo, 1, 1);
    options->addWidget(new QLabel(tr("The value "), this), 2, 0);
    options->addWidget(rbExact, 2, 1);
    options->addWidget(rbExist, 2, 2);
    options->addWidget(makeFieldLabel(SectionSymbol, tr("Field delimiter")), 3, 0);
    options->addWidget(SectionSymbol, 3, 1);
    auto* buttons = new QHBoxLayout;
    for (QWidget* button : {SpeedButton1, SpeedButton3, SpeedButton5, SpeedButton2, SpeedButton4})
        buttons->addWidget(button);
    buttons->addStretch();
    buttons->addWidget(ExplorerButton1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(buttons);
    layout->addLayout(options);
    layout->addWidget(sg1);
}

void TFilterForm1::Opening()
{
    const QStringList titles = m_listGrid.rowCells(0);   // one pass over row 0, not one per column
    for (int column = 0; column < titles.size(); ++column)
        cbTo->addItem(titles[column].isEmpty() ? QStringLiteral("Column#%1").arg(column + 1) : titles[column]);
    cbTo->setCurrentIndex(m_listGrid.columnCount() > 0 ? 0 : -1);
    m_keywordsChanged = false;
    m_keywordFile = ProgramFolder() + QStringLiteral("filter.txt");
    if (!QFileInfo::exists(m_keywordFile)) {
        QString error;
        if (!writeFileAtomically(m_keywordFile, QByteArray(), &error))
            reportFileProblem(m_keywordFile, error, msl->text(MsgFilter));
    }
    LoadKeywordFile(m_keywordFile);
    captionWithFile(m_keywordFile);
}

void TFilterForm1::captionWithFile(const QString& fileName)
{
    setWindowTitle(msl->text(MsgFilter) + QStringLiteral(" - ") + QFileInfo(fileName).fileName());
}

void TFilterForm1::LoadKeywordFile(const QString& fileName)
{
    const KeywordFileResult result = loadKeywordFile(m_keywords, fileName, sectionSymbol(SectionSymbol));
    if (!result.ok)
        reportFileProblem(fileName, result.error, msl->text(MsgOpen));
    ComboBox3->clear();
    for (int column = 0; column < m_keywords.columnCount(); ++column)
        ComboBox3->addItem(m_keywords.cell(column, 0));
    ComboBox3->setCurrentIndex(0);
}

void TFilterForm1::SpeedButton1Click()
{
    OpFilterDlg->setWindowTitle(msl->text(MsgOpen));
    const QString fileName = runFileDialog(OpFilterDlg);
    if (fileName.isEmpty())
        return;
    m_keywordFile = fileName;
    LoadKeywordFile(fileName);
    captionWithFile(fileName);
}

void TFilterForm1::ChangeSection()
{
    LoadKeywordFile(m_keywordFile);
}

void TFilterForm1::SpeedButton3Click()
{
    if (m_keywordFile.isEmpty() && !m_keywordsChanged)
        return;
    SaveFilter->setWindowTitle(msl->text(MsgSaveAs));
    const QString chosen = runFileDialog(SaveFilter);
    if (chosen.isEmpty())
        return;
    const QString fileName = keywordFileSaveName(chosen);
    QString error;
    if (!writeFileAtomically(fileName, keywordFileBytes(m_keywords), &error)) {
        reportFileProblem(fileName, error, msl->text(MsgSaveAs));
        return;
    }
    captionWithFile(fileName);
}

void TFilterForm1::SpeedButton2Click()
{
    sg1->setFocus();
    m_keywords.setRowCount(m_keywords.rowCount() + 1);
    sg1->setCurrentCell(std::max(ComboBox3->currentIndex(), 0), m_keywords.rowCount() - 1);
}

// The only keyword row is blanked, as the pair grid's is: a grid never loses its last row.
void TFilterForm1::SpeedButton4Click()
{
    sg1->setFocus();
    const int row = sg1->currentRow();
    if (row < 1 || row >= m_keywords.rowCount())
        return;
    if (m_keywords.rowCount() == 2)
        m_keywords.setRowCells(1, QStringList(m_keywords.columnCount(), QString()));
    else
        m_keywords.removeRows(row);
    sg1->setCurrentCell(std::max(ComboBox3->currentIndex(), 0), m_keywords.rowCount() - 1);
}

void TFilterForm1::Apply()
{
    if (cbTo->currentIndex() < 0 || ComboBox3->currentIndex() < 0)
        return;
    runBusy([&] {
        TProgAddress* progress = CreateProgressWindow();
        progress->setWindowTitle(msl->text(MsgFiltered) + QStringLiteral(".."));
        progress->Gauge1->setRange(0, m_listGrid.rowCount());
        const KeywordMatcher matcher(m_keywords, ComboBox3->currentIndex(),
                                     rbExist->isChecked() ? KeywordMatch::Contains : KeywordMatch::Exact);
        const std::vector<bool> marked = matchingRows(m_listGrid, cbTo->currentIndex(), matcher, [&](int rowsDone) {
            progress->Gauge1->setValue(rowsDone);
            pumpEvents();
        });
        CloseProgressWindow(progress);
        if (std::find(marked.begin(), marked.end(), true) == marked.end())
            return;
        const StringGrid removed = takeMarkedRows(m_listGrid, marked);
        m_listChanged = true;
        saveRemovedRows(removed);
    });
}

void TFilterForm1::saveRemovedRows(const StringGrid& removed)
{
    SaveFilter->setWindowTitle(msl->text(MsgSaveRemoved));
    SaveFilter->setDirectory(removedRowsFolder());
    const QString chosen = runFileDialog(SaveFilter);
    if (chosen.isEmpty())
        return;
    const QString fileName = removedRowsFileName(chosen);
    QString error;
    if (!writeFileAtomically(fileName, removedRowsBytes(removed), &error))
        reportFileProblem(fileName, error, msl->text(MsgFiltered));
}

bool FilterListExecute(StringGrid& grid, QWidget* parent)
{
    TFilterForm1 window(grid, toolParent(parent));
    window.Opening();
    window.exec();
    return window.listChanged();
}

void registerFilterListTool()
{
    setToolFunction(ToolFilterList, [](ToolRequest& request) {
        return request.listGrid && FilterListExecute(*request.listGrid, request.parent);
    });
}
