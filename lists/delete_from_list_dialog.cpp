// The delete-from-list dialog: see delete_from_list_dialog.h.

#include "lists/delete_from_list_dialog.h"

#include "core/sending/result_rows.h"
#include "core/base/tool_commands.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

int DeleteFromListMode = 0;
QString DeleteFromListCodes;

namespace {

const char* const kReplyCodes[] = {
    "211  System status, or system help reply", "214  Help message", "220  Service ready",
    "221  Service closing transmission channel", "250  Requested mail action okay, completed",
    "251  User not local; will forward", "354  Start mail input; end with <CRLF>.<CRLF>",
    "421  Service not available, closing transmission channel",
    "450  Requested mail action not taken: mailbox unavailable", "451  Requested action aborted: local error in processing",
    "452  Requested action not taken: insufficient system storage", "500  Syntax error, command unrecognized",
    "501  Syntax error in parameters or arguments", "502  Command not implemented", "503  Bad sequence of commands",
    "504  Command parameter not implemented", "550  Requested action not taken: mailbox unavailable",
    "551  User not local", "552  Requested mail action aborted: exceeded storage allocation",
    "553  Requested action not taken: mailbox name not allowed", "554  Transaction failed"};

}  // namespace

T_DeleteForm::T_DeleteForm(QWidget* parent)
    : ToolDialog(parent),
      cbSent(new QCheckBox(tr("All sent emails (available addresses)"), this)),
      cbUnsent(new QCheckBox(tr("Unsent emails"), this)),
      cbCode(new QCheckBox(tr("Status code is ..."), this)),
      clCode(new QListWidget(this)),
      SpeedButton1(makeButton("SpeedButton1", tr("Delete "))),
      SpeedButton2(makeButton("SpeedButton2", tr("Cancel")))
{
    setObjectName(QStringLiteral("_DeleteForm"));
    setWindowTitle(tr("Delete dialog"));
    cbSent->setObjectName(QStringLiteral("cbSent"));
    cbUnsent->setObjectName(QStringLiteral("cbUnsent"));
    cbCode->setObjectName(QStringLiteral("cbCode"));
    clCode->setObjectName(QStringLiteral("clCode"));
    if (DeleteFromListMode == 0)
        DeleteFromListMode = deleteSentRows;
    cbSent->setChecked(DeleteFromListMode & deleteSentRows);
    cbUnsent->setChecked(DeleteFromListMode & deleteUnsentRows);
    cbCode->setChecked(DeleteFromListMode & deleteByCode);
    for (const char* text : kReplyCodes) {
        auto* item = new QListWidgetItem(QLatin1String(text), clCode);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(codeListed(DeleteFromListCodes, item->text().left(3)) ? Qt::Checked : Qt::Unchecked);
    }
    clCode->setEnabled(cbCode->isChecked());
    clCode->setAccessibleName(cbCode->text());   // the codes of the box above it, which cannot be a buddy
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(SpeedButton1);
    buttons->addWidget(SpeedButton2);
    auto* layout = new QVBoxLayout(this);
    for (QWidget* widget : {static_cast<QWidget*>(cbSent), static_cast<QWidget*>(cbUnsent),
                            static_cast<QWidget*>(cbCode), static_cast<QWidget*>(clCode)})
        layout->addWidget(widget);
    layout->addLayout(buttons);
    requestTranslation();

    for (QCheckBox* box : {cbSent, cbUnsent, cbCode})
        connect(box, &QCheckBox::clicked, this, [this, box] { choose(box); });
    connect(SpeedButton1, &QPushButton::clicked, this, &T_DeleteForm::accept);
    connect(SpeedButton2, &QPushButton::clicked, this, &T_DeleteForm::reject);
}

void T_DeleteForm::choose(QCheckBox* box)
{
    for (QCheckBox* other : {cbSent, cbUnsent, cbCode})
        other->setChecked(other == box);
    clCode->setEnabled(cbCode->isChecked());
}

void T_DeleteForm::takeChoice()
{
    if (cbSent->isChecked())
        DeleteFromListMode = deleteSentRows;
    if (cbUnsent->isChecked())
        DeleteFromListMode = deleteUnsentRows;
    if (cbCode->isChecked()) {
        DeleteFromListMode = deleteByCode;
        DeleteFromListCodes.clear();
        for (int i = 0; i < clCode->count(); ++i)
            if (clCode->item(i)->checkState() == Qt::Checked)
                DeleteFromListCodes += u';' + clCode->item(i)->text().left(3);
    }
}

bool DeleteFromListDialogExecute(QWidget* parent)
{
    T_DeleteForm dialog(toolParent(parent));
    const bool confirmed = dialog.exec() == QDialog::Accepted;
    dialog.takeChoice();
    return confirmed;
}

void registerDeleteFromListTool()
{
    setToolFunction(ToolDeleteFromList, [](ToolRequest& request) {
        if (!DeleteFromListDialogExecute(request.parent))
            return false;
        request.resultChoice = DeleteFromListMode;
        request.resultCodes = DeleteFromListCodes;
        return true;
    });
}
