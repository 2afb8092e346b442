// The tree list's geometry without a widget: a node text cut into its column parts at the separator, and the
// x positions of the column lines.
#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>

// columnCount parts of text cut at every separator (matched whole, several characters too): fewer parts leave
// the last cells empty, and the last column takes the rest of the text, separators included. An empty separator
// leaves the text whole in the first column.
QStringList splitColumnParts(QStringView text, QStringView separator, int columnCount);

// The x of the line after each column but the last: the sum of the widths up to it, minus 2, minus the
// horizontal scroll position.
QList<int> columnLinePositions(const QList<int>& widths, int scroll);
