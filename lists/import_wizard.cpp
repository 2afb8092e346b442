// The import wizard's window: see import_wizard.h.

#include "lists/import_wizard.h"

#include "core/base/text_helpers.h"
#include "core/base/tool_commands.h"
#include "core/base/widget_factory.h"
#include "core/base/window_host.h"
#include "core/language/msg_language.h"
#include "dbase/dbf_table_model.h"
#include "lists/fixed_width_ruler.h"
#include "lists/import_preview_models.h"
#include "lists/import_splitters.h"
#include "lists/tool_widgets.h"
#include "platform/string_grid.h"
#include "platform/message_box_flags.h"
#include "platform/window_message.h"
#include "platform/widgets/grid_sizing.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QStackedWidget>
#include <QTableView>
#include <QVBoxLayout>

namespace {

enum WizardText { MsgStep = 0, MsgCaption = 1, MsgImported = 2, MsgCellsFlattened = 3 };

QStringList wizardMessages()
{
    return {"Import Wizard:  Step", "Import Wizard", "%1 records imported.",
            FlattenedCellsImportedText};
}

QTableView* makeGridView(QWidget* parent, const char* name)
{
    auto* view = new QTableView(parent);
    view->setObjectName(QLatin1String(name));
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->verticalHeader()->hide();
    return view;
}

QCheckBox* makeCheckBox(QWidget* parent, const char* name, const QString& caption)
{
    auto* box = new QCheckBox(caption, parent);
    box->setObjectName(QLatin1String(name));
    return box;
}

QRadioButton* makeRadioButton(QWidget* parent, const char* name, const QString& caption)
{
    auto* button = new QRadioButton(caption, parent);
    button->setObjectName(QLatin1String(name));
    return button;
}

}  // namespace

T_ImpVznLoad::T_ImpVznLoad(StringGrid& grid, const QString& listDelimiter, QWidget* parent)
    : ToolDialog(parent),
      msl(new TMsgLanguage(this, wizardMessages())),
      pcWizard(new QStackedWidget(this)),
      eFile(new QLineEdit(this)),
      SpeedButton5(makeButton("SpeedButton5", QStringLiteral("..."))),
      opDlg(makeFileDialog(this, "opDlg", tr("Define file name for import"), QFileDialog::AcceptOpen, QString())),
      lFileName(new QLabel(this)),
      rbDB(makeRadioButton(this, "rbDB", tr("DBF File"))),
      rbRzd(makeRadioButton(this, "rbRzd", tr("Delimited"))),
      rbFix(makeRadioButton(this, "rbFix", tr("Fixed width"))),
      udLine(new QSpinBox(this)),
      cbFF(new QComboBox(this)),
      pcPreview(new QStackedWidget(this)),
      sg1(makeGridView(this, "sg1")),
      dbg(makeGridView(this, "dbg")),
      sgFix(makeGridView(this, "sgFix")),
      cbDC(makeCheckBox(this, "cbDC", tr("Semicolon"))),
      cbC(makeCheckBox(this, "cbC", tr("Comma"))),
      cbTab(makeCheckBox(this, "cbTab", tr("Tab"))),
      cbSpace(makeCheckBox(this, "cbSpace", tr("Space"))),
      cbOther(makeCheckBox(this, "cbOther", tr("Other"))),
      eS(new QLineEdit(this)),
      cbOne(makeCheckBox(this, "cbOne", tr("Treat consecutive delimiters as one"))),
      sgRzd(makeGridView(this, "sgRzd")),
      lResult(new QLabel(this)),
      bbBack(makeButton("bbBack", tr("< Back"))),
      bbNext(makeButton("bbNext", tr("Next >"))),
      bbExit(makeButton("bbExit", tr("Exit"))),
      m_grid(grid),
      m_linesModel(new TextLinesModel(this)),
      m_tableModel(new DbfTableModel(this)),
      m_fixedModel(new FixedWidthModel(this)),
      m_delimitedModel(new DelimitedPreviewModel(this))
{
    setObjectName(QStringLiteral("ImpVznLoad"));
    m_model.setListDelimiter(listDelimiter);
    setWindowTitle(tr("Addressbook Import Wizard"));
    opDlg->setNameFilters({tr("All files (*)"), tr("Text files (*.txt)"), tr("CSV files (*.csv)"),
                           tr("DBase files (*.dbf)"), tr("Address book files (*.abk)")});
    eFile->setObjectName(QStringLiteral("eFile"));
    udLine->setObjectName(QStringLiteral("udLine"));
    cbFF->setObjectName(QStringLiteral("cbFF"));
    cbFF->addItems({tr("Windows (ANSI)"), tr("Dos")});
    eS->setObjectName(QStringLiteral("eS"));
    eS->setMaxLength(1);
    cbSpace->setChecked(true);
    sg1->setModel(m_linesModel);
    dbg->setModel(m_tableModel);
    sgFix->setModel(m_fixedModel);
    sgFix->setItemDelegate(new FixedWidthRulerDelegate(sgFix));
    sgFix->setShowGrid(false);
    sgFix->horizontalHeader()->hide();
    sgFix->horizontalHeader()->setMinimumSectionSize(1);
    sgFix->horizontalHeader()->setDefaultSectionSize(sgFix->fontMetrics().horizontalAdvance(u'W'));
    sgRzd->setModel(m_delimitedModel);
    // Rows one line of the font high; the previews' columns as wide as their texts (a text file's whole line).
    new GridSizing(sg1, {0, 1}, -1);
    new GridSizing(dbg, {GridSizing::everyColumn}, -1);
    new GridSizing(sgRzd, {GridSizing::everyColumn}, -1);
    new GridSizing(sgFix, {}, -1);
    buildPages();
    requestTranslation();
    resize(640, 480);

    connect(SpeedButton5, &QPushButton::clicked, this, &T_ImpVznLoad::SpeedButton5Click);
    connect(bbNext, &QPushButton::clicked, this, &T_ImpVznLoad::bbNextClick);
    connect(bbBack, &QPushButton::clicked, this, &T_ImpVznLoad::bbBackClick);
    connect(bbExit, &QPushButton::clicked, this, &T_ImpVznLoad::accept);
    connect(cbFF, &QComboBox::currentIndexChanged, this, &T_ImpVznLoad::cbFFChange);
    for (QCheckBox* box : {cbDC, cbC, cbTab, cbSpace, cbOther, cbOne})
        connect(box, &QCheckBox::toggled, this, &T_ImpVznLoad::DelimiterChange);
    connect(eS, &QLineEdit::textChanged, this, &T_ImpVznLoad::DelimiterChange);
    connect(sgFix, &QTableView::clicked, this, [this](const QModelIndex& index) { sgFixClick(index.column()); });
}

T_ImpVznLoad::~T_ImpVznLoad()
{
    detachPreviewTable();
}

void T_ImpVznLoad::buildPages()
{
    tsFile = buildFilePage();
    ts2 = buildSourcePage();
    tsFix = buildFixedWidthPage();
    tsRzd = buildDelimitedPage();
    tsImport = buildImportPage();
    // In the order of ImportPage.
    for (QWidget* page : {tsFile, ts2, tsFix, tsRzd, tsImport})
        pcWizard->addWidget(page);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    for (QWidget* button : {bbBack, bbNext, bbExit})
        buttons->addWidget(button);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(pcWizard);
    layout->addLayout(buttons);
}

QWidget* T_ImpVznLoad::buildFilePage()
{
    auto* page = named(new QWidget(this), "tsFile");
    auto* row = new QHBoxLayout;
    row->addWidget(eFile);
    row->addWidget(SpeedButton5);
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(makeFieldLabel(eFile, tr("File name")));
    layout->addLayout(row);
    layout->addStretch();
    return page;
}

QWidget* T_ImpVznLoad::buildSourcePage()
{
    auto* page = named(new QWidget(this), "ts2");
    pcPreview->addWidget(sg1);
    pcPreview->addWidget(dbg);
    auto* options = new QGridLayout;
    options->addWidget(rbDB, 0, 0);
    options->addWidget(rbRzd, 0, 1);
    options->addWidget(rbFix, 0, 2);
    options->addWidget(makeFieldLabel(udLine, tr("Start import at row")), 1, 0);
    options->addWidget(udLine, 1, 1);
    options->addWidget(makeFieldLabel(cbFF, tr("File origin")), 2, 0);
    options->addWidget(cbFF, 2, 1);
    options->setColumnStretch(3, 1);   // the room the window has beyond the options stays empty
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(lFileName);
    layout->addLayout(options);
    layout->addWidget(pcPreview);
    return page;
}

QWidget* T_ImpVznLoad::buildFixedWidthPage()
{
    auto* page = named(new QWidget(this), "tsFix");
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(new QLabel(tr("Click on the ruler or the text to set or clear a column break"), page));
    layout->addWidget(sgFix);
    return page;
}

QWidget* T_ImpVznLoad::buildDelimitedPage()
{
    auto* page = named(new QWidget(this), "tsRzd");
    setWidthInCharacters(eS, 3);   // one character
    eS->setAccessibleName(cbOther->text());   // the "Other" delimiter, named after its box
    auto* boxes = new QHBoxLayout;
    for (QWidget* box : std::initializer_list<QWidget*>{cbDC, cbC, cbTab, cbSpace, cbOther, eS})
        boxes->addWidget(box);
    boxes->addStretch();
    auto* layout = new QVBoxLayout(page);
    layout->addLayout(boxes);
    layout->addWidget(cbOne);
    layout->addWidget(sgRzd);
    return page;
}

QWidget* T_ImpVznLoad::buildImportPage()
{
    auto* page = named(new QWidget(this), "tsImport");
    lResult->setObjectName(QStringLiteral("lResult"));
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(lResult);
    layout->addStretch();
    return page;
}

int T_ImpVznLoad::Run()
{
    postStep();
    const int result = exec();
    detachPreviewTable();
    m_model.previewTable().Close();
    return result;
}

bool T_ImpVznLoad::event(QEvent* event)
{
    if (const WindowMessage* message = WindowMessage::from(event); message && message->msg == WM_SHOWSTEP) {
        WMShowStep();
        return true;
    }
    return ToolDialog::event(event);
}

void T_ImpVznLoad::postStep()
{
    WindowMessage::post(this, WM_SHOWSTEP);
}

void T_ImpVznLoad::WMShowStep()
{
    const ImportStepFacts facts = m_model.facts();
    setWindowTitle(msl->text(MsgStep) + QLatin1String(facts.captionSuffix));
    pcWizard->setCurrentIndex(int(facts.page));
    showButtons();
    switch (facts.page) {
    case ImportPage::File: return;
    case ImportPage::Source: showSource(); return;
    case ImportPage::FixedWidth: showFixedWidth(); return;
    case ImportPage::Delimited: showDelimiters(); return;
    case ImportPage::Import: runImport(); return;
    }
}

void T_ImpVznLoad::showButtons()
{
    const ImportStepFacts facts = m_model.facts();
    bbBack->setEnabled(facts.backEnabled);
    bbNext->setEnabled(facts.nextEnabled);
}

void T_ImpVznLoad::reportProblem(const QString& reason)
{
    ShowMessageBox(m_model.fileName() + QStringLiteral(" : ") + reason, msl->text(MsgCaption), MB_ICONWARNING);
}

void T_ImpVznLoad::SpeedButton5Click()
{
    const QFileInfo typed(eFile->text());
    QString start;
    if (!eFile->text().isEmpty() && typed.isFile())
        start = typed.absoluteFilePath();
    else if (!eFile->text().isEmpty() && typed.absoluteDir().exists())
        opDlg->setDirectory(typed.absolutePath());
    const QString chosen = runFileDialog(opDlg, start);
    if (!chosen.isEmpty())
        eFile->setText(chosen);
}

void T_ImpVznLoad::bbNextClick()
{
    detachPreviewTable();
    switch (m_model.step()) {
    case 1:
        if (!m_model.chooseFile(eFile->text()))
            return;
        break;
    case 2: m_model.leaveSource(rbRzd->isChecked(), udLine->value()); break;
    case 3: m_model.leaveFixedWidth(); break;
    case 4: m_model.leaveDelimiters(checkedDelimiterBits(), eS->text()); break;
    case 5: return;
    }
    postStep();
}

void T_ImpVznLoad::bbBackClick()
{
    detachPreviewTable();
    if (m_model.step() == 2)
        m_model.keepSourceChoices(rbRzd->isChecked(), udLine->value());
    else if (m_model.step() == 4)
        m_model.keepDelimiters(checkedDelimiterBits(), eS->text());
    m_model.back();
    postStep();
}

void T_ImpVznLoad::detachPreviewTable()
{
    m_tableModel->setDataSet(nullptr);
}

// The previews let go of the text before it is read again, so two copies of a large file never meet.
void T_ImpVznLoad::detachPreviewText()
{
    m_linesModel->setText(nullptr);
    m_fixedModel->setSource(nullptr, 0, QString());
    m_delimitedModel->setSource(nullptr, 1, QString(), false, QString());
}

void T_ImpVznLoad::showSource()
{
    lFileName->setText(m_model.fileName());
    detachPreviewText();
    const QString error = m_model.enterSource();
    if (!error.isEmpty()) {
        reportProblem(error);
        m_model.back();
        postStep();
        return;
    }
    {
        const QSignalBlocker blocker(cbFF);
        cbFF->setCurrentIndex(m_model.dos() ? 1 : 0);
    }
    rbDB->setEnabled(m_model.isTable());
    rbRzd->setEnabled(!m_model.isTable());
    rbFix->setEnabled(!m_model.isTable());
    if (m_model.isTable()) {
        rbDB->setChecked(true);
        m_tableModel->setDataSet(&m_model.previewTable());
        pcPreview->setCurrentWidget(dbg);
        udLine->setRange(1, m_model.startRowMaximum());
        udLine->setEnabled(true);
    } else {
        (m_model.kind() == ImportKind::FixedWidth ? rbFix : rbRzd)->setChecked(true);
        showTextSource();
    }
    udLine->setValue(m_model.startRow());
}

void T_ImpVznLoad::showTextSource()
{
    m_linesModel->setText(m_model.sharedText());
    pcPreview->setCurrentWidget(sg1);
    const int lineCount = m_model.startRowMaximum();
    udLine->setRange(lineCount > 0 ? 1 : 0, lineCount);
    udLine->setEnabled(lineCount > 0);
}

void T_ImpVznLoad::cbFFChange()
{
    detachPreviewText();
    const QString error = m_model.setDos(cbFF->currentIndex() != 0);
    if (!error.isEmpty())
        reportProblem(error);
    if (!m_model.isTable())
        showTextSource();
}

void T_ImpVznLoad::showFixedWidth()
{
    m_model.enterFixedWidth();
    m_fixedModel->setSource(m_model.sharedText(), m_model.fixedWidth(), m_model.breakMask());
}

void T_ImpVznLoad::sgFixClick(int column)
{
    m_model.toggleBreakAfter(column);
    m_fixedModel->setMask(m_model.breakMask());
}

void T_ImpVznLoad::showDelimiters()
{
    const int bits = m_model.shownDelimiterBits();
    const std::pair<QCheckBox*, int> boxes[] = {{cbDC, DelimiterSemicolon}, {cbC, DelimiterComma},
                                                {cbTab, DelimiterTab},      {cbSpace, DelimiterSpace},
                                                {cbOther, DelimiterOther},  {cbOne, DelimiterConsecutiveAsOne}};
    for (const auto& [box, bit] : boxes) {
        const QSignalBlocker blocker(box);
        box->setChecked((bits & bit) != 0);
    }
    {
        const QSignalBlocker blocker(eS);
        eS->setText(m_model.otherDelimiter().isNull() ? QString() : QString(m_model.otherDelimiter()));
    }
    DelimiterChange();
}

int T_ImpVznLoad::checkedDelimiterBits() const
{
    int bits = 0;
    const std::pair<const QCheckBox*, int> boxes[] = {{cbDC, DelimiterSemicolon}, {cbC, DelimiterComma},
                                                      {cbTab, DelimiterTab},      {cbSpace, DelimiterSpace},
                                                      {cbOther, DelimiterOther},  {cbOne, DelimiterConsecutiveAsOne}};
    for (const auto& [box, bit] : boxes)
        if (box->isChecked())
            bits |= bit;
    return bits;
}

void T_ImpVznLoad::DelimiterChange()
{
    const int bits = checkedDelimiterBits();
    QString delimiters = delimiterCharacters(bits & ~DelimiterOther, QChar());
    if (bits & DelimiterOther)
        delimiters += eS->text();
    m_delimitedModel->setSource(m_model.sharedText(), m_model.startRow(), delimiters,
                                (bits & DelimiterConsecutiveAsOne) != 0, m_model.listDelimiter());
}

void T_ImpVznLoad::runImport()
{
    ImportResult result;
    runBusy([&] {
        result = m_model.runImport(m_grid, [this](int) { pumpEvents(); });
    });
    showButtons();   // the busy guard enabled every button again
    QString report = msl->text(MsgImported).arg(result.rowsWritten);
    if (result.cellsChanged > 0)
        report += u'\n' + msl->text(MsgCellsFlattened).arg(result.cellsChanged);
    lResult->setText(report);
    if (!result.ok)
        reportProblem(result.error);
}

bool ImportWizardExecute(StringGrid& grid, const QString& listDelimiter, QWidget* parent)
{
    T_ImpVznLoad window(grid, listDelimiter, toolParent(parent));
    return window.Run() == QDialog::Accepted;
}

void registerImportWizardTool()
{
    setToolFunction(ToolImportWizard, [](ToolRequest& request) {
        return request.listGrid && ImportWizardExecute(*request.listGrid, listDelimiterOf(request), request.parent);
    });
}
