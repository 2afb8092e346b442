// The sending window's result rows chosen by their outcome: which rows a result file takes and how each line
// reads (the save dialog's options), and which rows leave the result grid and the list together (the delete
// dialog's mode and codes). Pure functions over the result grid (status per row, code in column 3) and the
// list grid; the dialogs that collect the choices live with the list tools.
#pragma once

#include <QString>
#include <QStringList>

class StringGrid;

// Bits of the save options: which rows, then one line format.
enum ResultSaveOption {
    saveSentRows = 1,         // status good
    saveDnsErrorRows = 2,     // bad, with a DNS failure (-1 invalid DNS, -9 no DNS server)
    saveSmtpUserRows = 4,     // bad, refused for the user (550, 551, 553)
    saveOtherErrorRows = 8,   // bad, any positive code
    saveAllRows = 15,
    saveAddressOnly = 16,
    saveListFields = 32,
    saveResultFields = 64,
    saveListAndResultFields = 128,
};

// Options with no row bit get all four, options with no format bit get 128.
int normalizedSaveOptions(int options);
// A result file name: ".txt" appended when the name has no extension.
QString resultFileName(const QString& chosen);

// The code cell read as an integer, 0 when it is not one.
int resultCode(const StringGrid& results, int row);
bool resultRowSelected(int options, int status, int code);
// The line row gives under the first format bit (16, 32, 64, 128). A list row beyond the list reads as empty.
QString resultLine(int options, const StringGrid& results, const StringGrid& list, int row, const QString& delimiter);
// Every selected row's line, empty lines left out.
QStringList resultFileLines(int options, const StringGrid& results, const StringGrid& list, const QString& delimiter);

// Delete modes.
enum DeleteMode { deleteSentRows = 1, deleteUnsentRows = 2, deleteByCode = 4 };

// Whether code (a cell's text) is one of codes (";550;551"), compared whole; an empty code never is.
bool codeListed(const QString& codes, const QString& code);
bool resultRowRemoved(int mode, const QString& codes, int status, const QString& code);
// Whether the result grid and the list still pair row for row: the same number of rows, and each result
// row's address equal to the list row's cell in emailColumn.
bool rowsPaired(const StringGrid& results, const StringGrid& list, int emailColumn);
// Removes the chosen rows from both grids, keeping the order and the pairs; no row kept leaves both with
// one blank row. Answers the rows removed.
int removeResultRows(StringGrid& results, StringGrid& list, int mode, const QString& codes);
