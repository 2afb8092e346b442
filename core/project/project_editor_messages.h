// The project editor's run-time texts (its translatable msl list), by index, shared by the editor and the
// project-file code that speaks for it. Texts 9 to 13 were added after the first nine; language files that
// know only nine keep the English ones.
#pragma once

#include "core/base/text_helpers.h"

#include <QStringList>

enum ProjectEditorMessage {
    MsgSaveChanges = 0,
    MsgConfirm = 1,
    MsgOpenEmailAddressBook = 2,
    MsgLoadAddressBook = 3,
    MsgSaveProjectAs = 4,
    MsgAddressBookSaveError = 5,
    MsgAttention = 6,
    MsgMessage = 7,
    MsgOpenQuarvelAddressBook = 8,
    MsgFileSaveError = 9,      // a project file other than the list could not be written
    MsgReloadListQuestion = 10,
    MsgDefineEmailColumn = 11,    // the editor's own texts
    MsgInfo = 12,
    MsgListCellsFlattened = 13,   // the list was saved with blanks for cells' line breaks or delimiters
};

inline QStringList ProjectEditorMessages()
{
    return {
        QStringLiteral("Save changes?"),
        QStringLiteral("Confirm"),
        QStringLiteral("Open E-mail Address Book"),
        QStringLiteral("Load Address Book"),
        QStringLiteral("Save Project as"),
        QStringLiteral("Address Book Save Error"),
        QStringLiteral("Attention"),
        QStringLiteral("Message"),
        QStringLiteral("Open Quarvel Address Book"),
        QStringLiteral("File Save Error"),
        QStringLiteral("The list will be loaded again from its file and its unsaved changes lost. Continue?"),
        QStringLiteral("Define Email Column"),
        QStringLiteral("Info"),
        QString::fromLatin1(FlattenedCellsSavedText),
    };
}
