// The windows' widget factories: see widget_factory.h.

#include "core/base/widget_factory.h"

QPushButton* makeButton(QWidget* parent, const char* name, const QString& caption)
{
    auto* button = named(new QPushButton(caption, parent), name);
    button->setAutoDefault(false);
    return button;
}

QToolButton* makeToolButton(QWidget* parent, const char* name, const QString& caption)
{
    auto* button = named(new QToolButton(parent), name);
    button->setText(caption);
    button->setToolButtonStyle(Qt::ToolButtonTextOnly);
    return button;
}

QLineEdit* makeEdit(QWidget* parent, const char* name)
{
    return named(new QLineEdit(parent), name);
}

QComboBox* makeDropDown(QWidget* parent, const char* name, bool editable)
{
    auto* box = named(new QComboBox(parent), name);
    box->setEditable(editable);
    box->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    return box;
}

TExplorerButton* makeExplorerButton(QWidget* parent, const char* name, const QString& caption, const char* glyph)
{
    auto* button = named(new TExplorerButton(parent), name);
    button->setCaption(caption);
    button->setBitmap(QImage(QStringLiteral(":/images/%1.png").arg(QLatin1String(glyph))));
    return button;
}

QLabel* makeLabel(QWidget* parent, const char* name, const QString& text)
{
    return named(new QLabel(text, parent), name);
}

QLabel* makeFieldLabel(QWidget* field, const QString& text, const char* name)
{
    auto* label = new QLabel(text, field->parentWidget());
    if (name)
        label->setObjectName(QLatin1String(name));
    label->setBuddy(field);
    return label;
}

void setWidthInCharacters(QLineEdit* edit, int characters)
{
    // The edit's own size hint is 17 "x" wide plus its frame and margins: keep those, change the count.
    const int x = edit->fontMetrics().horizontalAdvance(QLatin1Char('x'));
    const int frame = edit->sizeHint().width() - 17 * x;
    edit->setFixedWidth(frame + characters * x);
}
