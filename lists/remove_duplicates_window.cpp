// The remove-duplicates window: see remove_duplicates_window.h.

#include "lists/remove_duplicates_window.h"

#include "core/language/msg_language.h"
#include "core/base/text_helpers.h"
#include "core/base/window_host.h"
#include "lists/remove_duplicates.h"
#include "platform/message_box_flags.h"
#include "platform/string_grid.h"

#include <QApplication>
#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

enum DuplicateText { MsgCompleted = 0, MsgNothingToDo = 1, MsgAttention = 2 };

constexpr unsigned kCompletedBoxFlags = MB_TASKMODAL | MB_ICONINFORMATION;   // 0x2040

}  // namespace

TfUni::TfUni(StringGrid& grid, QWidget* parent)
    : ToolDialog(parent),
      msl(new TMsgLanguage(this, {"The process has been completed", "Nothing to do", "Attention"})),
      clbF(new QListWidget(this)),
      cb1(new QCheckBox(this)),
      pbar(new QProgressBar(this)),
      SpeedButton1(makeButton("SpeedButton1", tr("Remove duplicates"))),
      SpeedButton2(makeButton("SpeedButton2", tr("Close"))),
      m_grid(grid)
{
    setObjectName(QStringLiteral("fUni"));
    setWindowTitle(tr("Remove duplicates "));
    clbF->setObjectName(QStringLiteral("clbF"));
    cb1->setObjectName(QStringLiteral("cb1"));
    cb1->setAccessibleName(tr("All fields"));   // it ticks or clears every field; it has no caption of its own
    pbar->setObjectName(QStringLiteral("pbar"));
    pbar->hide();
    for (int column = 0; column < grid.columnCount(); ++column) {
        auto* item = new QListWidgetItem(grid.cell(column, 0), clbF);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(column == 0 ? Qt::Checked : Qt::Unchecked);
    }
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(cb1);
    buttons->addStretch();
    buttons->addWidget(SpeedButton1);
    buttons->addWidget(SpeedButton2);
    auto* layout = new QVBoxLayout(this);
    auto* listLabel = new QLabel(tr("Field List"), this);
    clbF->setAccessibleName(listLabel->text());   // a list takes no buddy: screen readers read its name
    layout->addWidget(listLabel);
    layout->addWidget(clbF);
    layout->addWidget(pbar);
    layout->addLayout(buttons);
    requestTranslation();

    connect(cb1, &QCheckBox::clicked, this, &TfUni::cb1Click);
    connect(SpeedButton1, &QPushButton::clicked, this, &TfUni::SpeedButton1Click);
    connect(SpeedButton2, &QPushButton::clicked, this, &TfUni::close);
}

void TfUni::cb1Click()
{
    for (int i = 0; i < clbF->count(); ++i)
        clbF->item(i)->setCheckState(cb1->isChecked() ? Qt::Checked : Qt::Unchecked);
}

void TfUni::SpeedButton1Click()
{
    std::vector<bool> checked;
    for (int i = 0; i < clbF->count(); ++i)
        checked.push_back(clbF->item(i)->checkState() == Qt::Checked);
    if (std::find(checked.begin(), checked.end(), true) == checked.end()) {
        ShowMessageBox(msl->text(MsgNothingToDo), msl->text(MsgAttention), kCompletedBoxFlags);
        return;
    }
    runBusy([&] {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        pbar->setRange(0, m_grid.rowCount());
        pbar->setValue(0);
        pbar->show();
        removeDuplicateRows(m_grid, checked, [this](int rowsDone) {
            pbar->setValue(rowsDone);
            pumpEvents();
        });
        pbar->hide();
        QApplication::restoreOverrideCursor();
    });
    ShowMessageBox(msl->text(MsgCompleted), msl->text(MsgAttention), kCompletedBoxFlags);
}

void RemoveDuplicatesExecute(StringGrid& grid, QWidget* parent)
{
    TfUni window(grid, toolParent(parent));
    window.exec();
}
