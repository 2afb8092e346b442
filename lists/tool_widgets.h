// Small pieces the list tools' windows share: the 25-item delimiter box of the keyword and pair files, file
// dialogs that tests can drive, and the "file : reason" message for a file that could not be read or written.
#pragma once

#include <QFileDialog>
#include <QString>

class QComboBox;
class QWidget;

// The delimiter box: "," "." "/" "\" "|" "+" "=" "-" ":" ";" ... "}" with item 9 (";") selected.
QComboBox* makeSectionSymbolBox(QWidget* parent);
QChar sectionSymbol(const QComboBox* box);

QFileDialog* makeFileDialog(QWidget* parent, const char* name, const QString& title, QFileDialog::AcceptMode mode,
                            const QString& filter);
// The file the user picked, or an empty text on Cancel.
QString runFileDialog(QFileDialog* dialog, const QString& startFile = QString());

void reportFileProblem(const QString& fileName, const QString& reason, const QString& caption);
// When count cells were flattened for the list file, tells so once: text with %1 for the count.
void reportFlattenedCells(int count, const QString& text, const QString& caption);
