// Input dialog: see input_form.h.

#include "core/dialogs/input_form.h"

#include "core/settings/ini_info.h"
#include "core/base/window_host.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

TInputForm::TInputForm(QWidget* parent)
    : QDialog(parent),
      Prompt(new QLabel(this)),
      Input(new QLineEdit(this)),
      Button1(new QPushButton(tr("&Ok"), this)),
      Button2(new QPushButton(tr("&Cancel"), this)),
      chbMask(new QCheckBox(tr("Mask password"), this))
{
    setObjectName(QStringLiteral("InputForm"));
    setWindowTitle(QStringLiteral("InputForm"));
    Prompt->setObjectName(QStringLiteral("Prompt"));
    Input->setObjectName(QStringLiteral("Input"));
    Button1->setObjectName(QStringLiteral("Button1"));
    Button2->setObjectName(QStringLiteral("Button2"));
    chbMask->setObjectName(QStringLiteral("chbMask"));
    chbMask->hide();
    Prompt->setBuddy(Input);

    // QDialog presses the default button on Enter and rejects on Escape, both on the key press.
    Button1->setDefault(true);
    connect(Button1, &QPushButton::clicked, this, &QDialog::accept);
    connect(Button2, &QPushButton::clicked, this, &QDialog::reject);
    connect(chbMask, &QCheckBox::clicked, this, &TInputForm::chbMaskClick);

    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(Button1, QDialogButtonBox::AcceptRole);
    buttons->addButton(Button2, QDialogButtonBox::RejectRole);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Prompt);
    layout->addWidget(Input);
    layout->addWidget(chbMask);
    layout->addWidget(buttons);
    setMinimumWidth(320);
    Input->setFocus();
}

void TInputForm::chbMaskClick()
{
    Input->setEchoMode(chbMask->isChecked() ? QLineEdit::Password : QLineEdit::Normal);
}

bool InputFormExecute(const QString& caption, const QString& prompt, QString& value, int maxLength, bool mask)
{
    TInputForm form(WindowHost::mainWindow());
    WindowHost::requestTranslation(&form);
    form.setWindowTitle(caption);
    form.Prompt->setText(prompt);
    form.Input->setText(value);
    form.chbMask->setVisible(mask);
    form.chbMask->setChecked(mask);
    form.chbMaskClick();
    if (form.exec() != QDialog::Accepted)
        return false;
    value = form.Input->text().left(std::clamp(maxLength, 0, shortStringLength));
    return true;
}
