// The settings of one DB Maker run, as the window shows them and the project file (".cnd") stores them.
#pragma once

#include <QList>
#include <QString>
#include <QStringList>

struct DbMakerSettings {
    QString folder;
    QString mask = QStringLiteral("*.*");
    QString beginMarker;                                  // eBegin
    QString endMarker;                                    // eEnd
    bool limitLength = false;                             // cbL
    QString maxLength = QStringLiteral("1000000");        // eL
    bool searchTable = false;                             // cbIn
    bool tableMode = true;                                // rbT
    QString tableNumber = QStringLiteral("1");            // eT
    bool delimitedMode = false;                           // rbD
    QString delimiter = QStringLiteral(";");              // eD
    bool splitQuoted = false;                             // rbSplit
    bool severalAsOne = false;                            // cb2_1
    QList<QStringList> fieldRows;                         // sgItem data rows, 9 cells each

    friend bool operator==(const DbMakerSettings&, const DbMakerSettings&) = default;
};

// Cells of a field row: name, begin, end, identifier number, symbols, words, lines, line number, unique.
constexpr int DbMakerFieldCells = 9;
