// Shared pieces of the list tools' windows: see tool_widgets.h.

#include "lists/tool_widgets.h"

#include "core/base/text_helpers.h"
#include "core/base/window_host.h"
#include "platform/message_box_flags.h"

#include <QComboBox>

QComboBox* makeSectionSymbolBox(QWidget* parent)
{
    auto* box = new QComboBox(parent);
    box->setObjectName(QStringLiteral("SectionSymbol"));
    for (const char* item : {",", ".", "/", "\\", "|", "+", "=", "-", ":", ";", "<", ">", "@", "!", "~", "#", "$",
                             "%", "^", "&", "*", "(", ")", "{", "}"})
        box->addItem(QLatin1String(item));
    box->setCurrentIndex(9);
    return box;
}

QChar sectionSymbol(const QComboBox* box)
{
    const QString text = box->currentText();
    return text.isEmpty() ? QChar(u';') : text.front();
}

QFileDialog* makeFileDialog(QWidget* parent, const char* name, const QString& title, QFileDialog::AcceptMode mode,
                            const QString& filter)
{
    auto* dialog = new QFileDialog(parent, title);
    dialog->setObjectName(QLatin1String(name));
    dialog->setAcceptMode(mode);
    dialog->setNameFilter(filter);
    dialog->setOption(QFileDialog::DontUseNativeDialog);
    return dialog;
}

QString runFileDialog(QFileDialog* dialog, const QString& startFile)
{
    if (!startFile.isEmpty())
        dialog->selectFile(startFile);
    if (dialog->exec() != QDialog::Accepted || dialog->selectedFiles().isEmpty())
        return QString();
    return dialog->selectedFiles().constFirst();
}

void reportFileProblem(const QString& fileName, const QString& reason, const QString& caption)
{
    ShowMessageBox(fileName + QStringLiteral(" : ") + reason, caption, MB_ICONWARNING);
}

void reportFlattenedCells(int count, const QString& text, const QString& caption)
{
    if (count > 0)
        ShowMessageBox(text.arg(count), caption, MB_OK | MB_ICONINFORMATION);
}
