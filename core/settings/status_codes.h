// StatusCodes: the SMTP status-code lines kept in "setupkrn.ini" ("550  Requested action not taken: ..."),
// read and written back unchanged. A line may begin with "+" or "-", which the preferences dialog ignores.
#pragma once

#include "platform/string_list.h"

#include <QStringList>

extern StringList StatusCodes;

// The 21 standard SMTP replies (211 .. 554) with their descriptions, the list taken into StatusCodes when it
// is empty and the user picks re-send codes.
QStringList standardStatusCodeLines();
