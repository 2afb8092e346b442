// The colour dialog's custom colours kept in an ".hcr" file (its form: html_colours.h). The background
// colour and the insert-table dialog's colour buttons read the file before the dialog and write it after.
#pragma once

#include <QString>

// Sets the dialog's custom colours from the file; a missing, oversized or unreadable file leaves them.
void ReadCustomColourFile(const QString& fileName);
// Writes the dialog's custom colours; a file that cannot be written is named to the user with the system's
// reason, and the answer is false.
bool WriteCustomColourFile(const QString& fileName);
