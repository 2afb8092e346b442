// The insert-table dialog's text, in the order the dialog has always produced it.

#include "core/editor/table_text.h"

#include <algorithm>

QString TableText(const TableParameters& table)
{
    QString text = QStringLiteral("<TABLE ");
    if (table.border >= 0)
        text += QStringLiteral("border=%1 ").arg(table.border);
    if (table.width >= 0)
        text += QStringLiteral("width=%1 ").arg(table.width);
    if (table.lineColour.startsWith(u'#'))
        text += QStringLiteral("color=") + table.lineColour + u' ';
    text += QStringLiteral(" cellspacing=0 cellpadding=0 style=\"{border-bottom-width: 0; border-right-width: 0; ");
    if (table.lightColour.startsWith(u'#'))
        text += QStringLiteral("border-top-color:") + table.lightColour + QStringLiteral("; ");
    if (table.darkColour.startsWith(u'#'))
        text += QStringLiteral("border-left-color:") + table.darkColour + QStringLiteral("; ");
    text += QStringLiteral("}\" >");
    const QString cell = QStringLiteral("<TD width=%1 style=\"{border-left-width: 0; border-top-width: 0; "
                                        "border-bottom-color: black; border-right-color: black;}\"></TD>")
                             .arg(table.width < 1 ? 2 : table.width);
    const QString row = QStringLiteral("<TR>") + cell.repeated(std::max(table.columns, 1)) + QStringLiteral("</TR>");
    text += row.repeated(std::max(table.rows, 1));
    text += QStringLiteral("</Table>");
    return text;
}
