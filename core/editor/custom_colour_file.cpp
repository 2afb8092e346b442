// Custom colours between the colour dialog and ".hcr" files.

#include "core/editor/custom_colour_file.h"

#include "core/base/window_host.h"
#include "core/editor/html_colours.h"
#include "platform/message_box_flags.h"
#include "platform/text_file.h"

#include <QColorDialog>
#include <QFileInfo>

namespace {

constexpr qint64 kLargestColourFile = 64 * 1024;   // sixteen short lines; anything bigger is not ours

QList<QColor> dialogColours()
{
    QList<QColor> colours;
    for (int slot = 0; slot < CustomColourCount; ++slot)
        colours << QColorDialog::customColor(slot);
    return colours;
}

}  // namespace

void ReadCustomColourFile(const QString& fileName)
{
    const QFileInfo info(fileName);
    if (!info.isFile() || info.size() > kLargestColourFile)
        return;
    const std::optional<QString> text = readTextFile(fileName);
    if (!text)
        return;
    const QList<QColor> colours = ParseCustomColours(*text, dialogColours());
    for (int slot = 0; slot < CustomColourCount; ++slot)
        QColorDialog::setCustomColor(slot, colours[slot]);
}

bool WriteCustomColourFile(const QString& fileName)
{
    QString error;
    if (writeTextLines(fileName, splitLines(CustomColoursText(dialogColours())), &error))
        return true;
    ShowMessageBox(fileName + QStringLiteral(" : ") + error, QStringLiteral("Error"), MB_OK | MB_ICONWARNING);
    return false;
}
