// T_Tables' table: the HTML text that the insert-table dialog pastes into the HTML page, built from its
// parameters. No window here; the dialog (tables_dialog.h) reads its controls into TableParameters.
#pragma once

#include <QString>

struct TableParameters {
    int rows = 1;
    int columns = 1;
    int width = 10;                              // also each cell's width (2 when below 1)
    int border = 1;                              // the line size
    QString lineColour = QStringLiteral("#000000");
    QString lightColour;                         // top border colour, used when it starts with "#"
    QString darkColour;                          // left border colour, used when it starts with "#"
};

QString TableText(const TableParameters& table);
