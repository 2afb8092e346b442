// The small widget factories every window uses: a widget under its component name (the objectName that
// language files and tests find it by), push, tool and flat explorer buttons, edits, drop-down boxes and labels.
#pragma once

#include "controls/explorer_button.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QString>
#include <QToolButton>

// widget, named name; answers widget so that a creation and its naming are one expression.
template <typename Widget>
Widget* named(Widget* widget, const char* name)
{
    widget->setObjectName(QLatin1String(name));
    return widget;
}

// A push button that never becomes the dialog's default by taking the focus.
QPushButton* makeButton(QWidget* parent, const char* name, const QString& caption);
// A flat tool button that shows only its caption.
QToolButton* makeToolButton(QWidget* parent, const char* name, const QString& caption);
QLineEdit* makeEdit(QWidget* parent, const char* name);
// A drop-down box as wide as its items.
QComboBox* makeDropDown(QWidget* parent, const char* name, bool editable = false);
QLabel* makeLabel(QWidget* parent, const char* name, const QString& text);
// The label that names field for screen readers (its buddy), in field's parent; lay it out in the same parent,
// where Qt looks for a field's label. name may be null for a label that language files do not address.
QLabel* makeFieldLabel(QWidget* field, const QString& text, const char* name = nullptr);
// Fixes edit's width to about characters characters of its font (frame and margins included), so that a form's
// short values keep short boxes however wide the window grows. Call it once the edit has its font.
void setWidthInCharacters(QLineEdit* edit, int characters);
// A flat explorer button (monochrome glyph until hot, bevel on hover) with the program's picture
// ":/images/<glyph>.png" as its glyph.
TExplorerButton* makeExplorerButton(QWidget* parent, const char* name, const QString& caption, const char* glyph);
