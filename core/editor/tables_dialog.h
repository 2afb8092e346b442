// T_Tables: the insert-table dialog "Define tables parameters". "Insert" answers the table text (table_text.h),
// "Close" nothing. Each colour button opens the colour dialog with the custom colours of
// colourFileBase + its Tag + ".hcr" and writes them back when a colour is chosen.
#pragma once

#include "core/editor/table_text.h"

#include <QDialog>

#include <functional>
#include <optional>

class QLineEdit;
class QPushButton;
class QSpinBox;
class QToolButton;

class T_Tables : public QDialog {
    Q_OBJECT

public:
    explicit T_Tables(const QString& colourFileBase, QWidget* parent = nullptr);

    QSpinBox* seRows;
    QSpinBox* seCols;
    QSpinBox* seWidth;
    QSpinBox* seBorder;
    QLineEdit* eLine;
    QLineEdit* eLight;
    QLineEdit* eDark;
    QPushButton* InsertButton;
    QPushButton* CloseButton;

    TableParameters parameters() const;
    void ColourButtonClick(int tag);

    // The colour dialog (tests answer here): the chosen colour, nullopt when cancelled.
    using ColourChooser = std::function<std::optional<QColor>(QWidget* parent)>;
    static void setColourChooser(ColourChooser chooser);

private:
    QSpinBox* addSpin(const char* name, int minimum, int maximum, int value);
    QLineEdit* editOfTag(int tag) const;

    QString m_colourFileBase;
};

// Runs the dialog modally: the table text on "Insert", nullopt on "Close".
std::optional<QString> TablesExecute(QWidget* parent, const QString& colourFileBase);
// The colour dialog as the HTML page uses it: full, starting at white. nullopt when cancelled.
std::optional<QColor> ChooseHtmlColour(QWidget* parent);
