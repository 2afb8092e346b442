// The find-and-replace window: see replace_window.h.

#include "lists/replace_window.h"

#include "core/base/widget_factory.h"
#include "core/language/msg_language.h"
#include "core/base/text_helpers.h"
#include "core/base/window_host.h"
#include "lists/find_replace.h"
#include "lists/tool_widgets.h"
#include "platform/message_box_flags.h"
#include "platform/widgets/string_grid_view.h"
#include "platform/text_file.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

enum ReplaceText { MsgCaption = 0, MsgOld = 1, MsgNew = 2, MsgOpen = 3, MsgForm = 4, MsgSaveAs = 5, MsgDone = 6,
                   MsgAttention = 7 };

QStringList replaceMessages()
{
    return {"Replace Form", "Old Value", "New Value", "Open Replace File", "Replace Form", "Save Replace File as",
            "Replaces have been completed", "Attention"};
}

}  // namespace

T_Replace::T_Replace(StringGrid& grid, QWidget* parent)
    : ToolDialog(parent),
      msl(new TMsgLanguage(this, replaceMessages())),
      sgF(new StringGridView(this)),
      cbF(new QComboBox(this)),
      SectionSymbol(makeSectionSymbolBox(this)),
      cbC(new QCheckBox(tr("Case sensitive"), this)),
      SpeedButton1(makeButton("SpeedButton1", tr("Load File"))),
      SpeedButton3(makeButton("SpeedButton3", tr("Save File As"))),
      SpeedButton5(makeButton("SpeedButton5", tr("Apply replace"))),
      SpeedButton2(makeButton("SpeedButton2", tr("Add  Keyword"))),
      SpeedButton4(makeButton("SpeedButton4", tr("Delete Keyword"))),
      ExplorerButton5(makeExplorerButton(this, "ExplorerButton5", tr("Close"), "close")),
      OpenDialog(makeFileDialog(this, "OpenDialog", QString(), QFileDialog::AcceptOpen, QStringLiteral("All (*)"))),
      SaveDialog(makeFileDialog(this, "SaveDialog", QString(), QFileDialog::AcceptSave, QStringLiteral("All (*)"))),
      m_grid(grid)
{
    setObjectName(QStringLiteral("_Replace"));
    cbF->setObjectName(QStringLiteral("cbF"));
    cbC->setObjectName(QStringLiteral("cbC"));
    sgF->setObjectName(QStringLiteral("sgF"));
    sgF->setEditing(true);
    buildLayout();
    requestTranslation();
    setWindowTitle(msl->text(MsgCaption));
    m_pairs.setCell(0, 0, msl->text(MsgOld));
    m_pairs.setCell(1, 0, msl->text(MsgNew));
    sgF->setGrid(&m_pairs);
    for (int column = 0; column < grid.columnCount(); ++column)
        cbF->addItem(grid.cell(column, 0));
    cbF->setCurrentIndex(grid.columnCount() > 0 ? 0 : -1);

    connect(sgF, &StringGridView::cellEdited, this, [this] { m_pairsEdited = true; });
    connect(SectionSymbol, &QComboBox::currentIndexChanged, this, &T_Replace::SectionSymbolChange);
    connect(SpeedButton1, &QPushButton::clicked, this, &T_Replace::SpeedButton1Click);
    connect(SpeedButton3, &QPushButton::clicked, this, &T_Replace::SpeedButton3Click);
    connect(SpeedButton5, &QPushButton::clicked, this, &T_Replace::SpeedButton5Click);
    connect(SpeedButton2, &QPushButton::clicked, this, &T_Replace::SpeedButton2Click);
    connect(SpeedButton4, &QPushButton::clicked, this, &T_Replace::SpeedButton4Click);
    connect(ExplorerButton5, &TExplorerButton::clicked, this, &T_Replace::close);
}

void T_Replace::buildLayout()
{
    auto* options = new QHBoxLayout;
    options->addWidget(makeFieldLabel(cbF, tr("Field")));
    options->addWidget(cbF);
    options->addWidget(makeFieldLabel(SectionSymbol, tr("Field delimiter")));
    options->addWidget(SectionSymbol);
    options->addWidget(cbC);
    options->addStretch();
    auto* buttons = new QHBoxLayout;
    for (QWidget* button : {SpeedButton1, SpeedButton3, SpeedButton5, SpeedButton2, SpeedButton4})
        buttons->addWidget(button);
    buttons->addStretch();
    buttons->addWidget(ExplorerButton5);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(buttons);
    layout->addLayout(options);
    layout->addWidget(sgF);
}

void T_Replace::showLines()
{
    showPairLines(m_pairs, m_lines, sectionSymbol(SectionSymbol), msl->text(MsgOld), msl->text(MsgNew));
}

void T_Replace::captionWithFile()
{
    setWindowTitle(msl->text(MsgForm) + QStringLiteral(" - ") + QFileInfo(m_pairFileName).fileName());
}

void T_Replace::SectionSymbolChange()
{
    showLines();
}

void T_Replace::SpeedButton1Click()
{
    OpenDialog->setWindowTitle(msl->text(MsgOpen));
    const QString fileName = runFileDialog(OpenDialog, m_pairFileName);
    if (fileName.isEmpty())
        return;
    QString error;
    const std::optional<QString> text = readTextFile(fileName, &error);
    if (!text) {
        reportFileProblem(fileName, error, msl->text(MsgOpen));
        return;
    }
    m_pairFileName = fileName;
    m_lines = splitLines(*text);
    showLines();
    captionWithFile();
}

void T_Replace::SpeedButton3Click()
{
    if (m_pairFileName.isEmpty() && !m_pairsEdited)
        return;
    SaveDialog->setWindowTitle(msl->text(MsgSaveAs));
    const QString chosen = runFileDialog(SaveDialog, m_pairFileName);
    if (chosen.isEmpty())
        return;
    const QString fileName = pairFileSaveName(chosen);
    QString error;
    m_lines = pairLines(m_pairs, sectionSymbol(SectionSymbol));
    if (!writeTextLines(fileName, m_lines, &error)) {
        reportFileProblem(fileName, error, msl->text(MsgSaveAs));
        return;
    }
    m_pairFileName = fileName;
    captionWithFile();
}

void T_Replace::SpeedButton5Click()
{
    const int column = cbF->currentIndex();
    if (column < 0)
        return;
    runBusy([&] {
        replaceInColumn(m_grid, column, pairsOfGrid(m_pairs), cbC->isChecked(), [this](int) {
            pumpEvents();
            return true;
        });
    });
    ShowMessageBox(msl->text(MsgDone), msl->text(MsgAttention), MB_ICONINFORMATION);
}

void T_Replace::SpeedButton2Click()
{
    m_pairs.setRowCount(m_pairs.rowCount() + 1);
    sgF->setCurrentCell(0, m_pairs.rowCount() - 1);
    sgF->setFocus();
}

void T_Replace::SpeedButton4Click()
{
    sgF->setFocus();
    const int row = sgF->currentRow();
    if (row == 1)
        m_pairs.setRowCells(1, QStringList(m_pairs.columnCount(), QString()));
    else if (row >= 1 && row < m_pairs.rowCount())
        m_pairs.removeRows(row);
}

void ReplaceDataExecute(StringGrid& grid, QWidget* parent)
{
    T_Replace window(grid, toolParent(parent));
    window.exec();
}
