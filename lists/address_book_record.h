// TAbook: one contact of an address book (60 fields: id, three integers, seven amounts, three dates, three flags
// and 43 strings), read from its "^"-separated line; AbookGetField gives a field's text by name, and the
// catalogue lists the 54 columns an import makes, in their order. Fields a line lacks stay cleared; fields beyond
// the 60th are ignored. The record filter and the line builder are not part of this program.
#pragma once

#include <QString>
#include <QStringList>

#include <array>

constexpr int AbookStringCount = 43;
constexpr int AbookColumnCount = 54;

struct TAbook {
    int Id = 0;
    std::array<int, 3> Integers{};                // fields 1-3
    std::array<double, 7> Amounts{};              // fields 4-10
    double BIRTHDAY = 0;                          // days since 30 December 1899
    double DATEADDED = 0;
    double LASTUPDATE = 0;
    bool BLOCKED = false;
    bool VYBOR = false;
    bool STOPED = false;
    std::array<QString, AbookStringCount> Strings;   // LN .. VATID, fields 17-59 (AbookStringNames)
};

// The names of the 43 string fields in line order, LN first, VATID last.
extern const std::array<const char*, AbookStringCount> AbookStringNames;
// The catalogue's column names in import order, HOMEEMAIL first.
extern const std::array<const char*, AbookColumnCount> AbookColumnNames;

void AbookClear(TAbook& record);
// Clears record, then reads the fields line holds.
void AbookParseLine(TAbook& record, const QString& line);
// The field called name (any case): a date in the short date format (empty for 0 or less), a string, "T"/"F" for
// a flag; empty for any other name, the id, integers and amounts among them.
QString AbookGetField(const TAbook& record, const QString& name);
// AbookGetField of every catalogue column, in catalogue order.
QStringList abookCatalogueRow(const TAbook& record);
