// The insert-table dialog.

#include "core/editor/tables_dialog.h"

#include "core/base/widget_factory.h"
#include "core/base/window_host.h"
#include "core/editor/custom_colour_file.h"
#include "core/editor/html_colours.h"

#include <QColorDialog>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QSpinBox>
#include <QVBoxLayout>

namespace {

T_Tables::ColourChooser& colourChooser()
{
    static T_Tables::ColourChooser chooser = ChooseHtmlColour;
    return chooser;
}

}  // namespace

std::optional<QColor> ChooseHtmlColour(QWidget* parent)
{
    QColorDialog dialog(Qt::white, parent);
    dialog.setObjectName(QStringLiteral("ColorDialog1"));
    dialog.setOption(QColorDialog::DontUseNativeDialog);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.selectedColor();
}

void T_Tables::setColourChooser(ColourChooser chooser)
{
    colourChooser() = chooser ? std::move(chooser) : ChooseHtmlColour;
}

T_Tables::T_Tables(const QString& colourFileBase, QWidget* parent)
    : QDialog(parent), m_colourFileBase(colourFileBase)
{
    setObjectName(QStringLiteral("_Tables"));
    setWindowTitle(tr("Define tables parameters"));
    auto* group = named(new QGroupBox(tr("Tabel Parameters")), "GroupBox1");
    auto* form = new QFormLayout(group);
    seRows = addSpin("seRows", 1, 99, 1);
    seCols = addSpin("seCols", 1, 99, 1);
    seWidth = addSpin("seWidth", 1, 100, 10);
    seBorder = addSpin("seBorder", 1, 100, 1);
    // Each label is its field's buddy, so that screen readers name the field and not only the group.
    form->addRow(makeFieldLabel(seRows, tr("Rows"), "Label1"), seRows);
    form->addRow(makeFieldLabel(seCols, tr("Cols"), "Label2"), seCols);
    form->addRow(makeFieldLabel(seWidth, tr("Width"), "Label3"), seWidth);
    form->addRow(makeFieldLabel(seBorder, tr("Line size"), "Label4"), seBorder);
    const struct { QLineEdit** edit; const char* name; const char* label; const char* button; QString caption; int tag; } colours[] = {
        {&eLine, "eLine", "Label5", "sbLine", tr("Line colour"), 1},
        {&eLight, "eLight", "Label6", "sbLight", tr("Line light colour"), 2},
        {&eDark, "eDark", "Label7", "sbDark", tr("Line Dark colour"), 3},
    };
    for (const auto& colour : colours) {
        *colour.edit = makeEdit(this, colour.name);
        auto* button = makeToolButton(this, colour.button, QStringLiteral("..."));
        button->setProperty("Tag", colour.tag);
        const int tag = colour.tag;
        connect(button, &QToolButton::clicked, this, [this, tag] { ColourButtonClick(tag); });
        auto* row = new QHBoxLayout;
        row->addWidget(*colour.edit, 1);
        row->addWidget(button);
        form->addRow(makeFieldLabel(*colour.edit, colour.caption, colour.label), row);
    }
    eLine->setText(QStringLiteral("#000000"));
    InsertButton = makeButton(this, "InsertButton", tr("Insert"));
    CloseButton = makeButton(this, "CloseButton", tr("Close"));
    connect(InsertButton, &QPushButton::clicked, this, &QDialog::accept);
    connect(CloseButton, &QPushButton::clicked, this, &QDialog::reject);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(InsertButton);
    buttons->addWidget(CloseButton);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(group);
    layout->addLayout(buttons);
    WindowHost::requestTranslation(this);
}

QSpinBox* T_Tables::addSpin(const char* name, int minimum, int maximum, int value)
{
    auto* spin = named(new QSpinBox(this), name);
    spin->setRange(minimum, maximum);
    spin->setValue(value);
    return spin;
}

QLineEdit* T_Tables::editOfTag(int tag) const
{
    return tag == 1 ? eLine : tag == 2 ? eLight : eDark;
}

TableParameters T_Tables::parameters() const
{
    TableParameters table;
    table.rows = seRows->value();
    table.columns = seCols->value();
    table.width = seWidth->value();
    table.border = seBorder->value();
    table.lineColour = eLine->text();
    table.lightColour = eLight->text();
    table.darkColour = eDark->text();
    return table;
}

void T_Tables::ColourButtonClick(int tag)
{
    const QString colourFile = m_colourFileBase + QString::number(tag) + QStringLiteral(".hcr");
    ReadCustomColourFile(colourFile);
    const std::optional<QColor> colour = colourChooser()(this);
    if (!colour)
        return;
    editOfTag(tag)->setText(HtmlColourText(*colour));
    WriteCustomColourFile(colourFile);
}

std::optional<QString> TablesExecute(QWidget* parent, const QString& colourFileBase)
{
    T_Tables dialog(colourFileBase, parent);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return TableText(dialog.parameters());
}
