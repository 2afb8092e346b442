// DB Maker settings the tests share: one field "^Find@" over records cut at line ends, as a user sets it up
// to pull the addresses out of a folder.
#pragma once

#include "lists/db_maker_settings.h"

inline DbMakerSettings mailSettings(const QString& folder)
{
    DbMakerSettings settings;
    settings.folder = folder;
    settings.endMarker = "\n";
    settings.fieldRows = {{"Mail", "^Find@"}};
    return settings;
}
