// The settings file "setupkrn.ini" in the program folder. Written in the block layout ("<Connections>" with
// one line per account, "<Status Codes>" with the status-code lines, "<Mail Info>" with the settings line of
// 20 "^"-joined fields); read in that layout or in the older INI layout (sections "User", "<i>|<name>",
// "Status Codes", "Default"). A file in neither layout is kept as "setupkrn.ini.bak" and defaults are used; so
// is a block-layout file whose reading stopped at a misplaced heading before its end.
#pragma once

#include <QString>
#include <QStringList>

struct TIniInfo;

QString settingsFilePath();   // ProgramFolder() + "setupkrn.ini"

// What LoadSettings did with a file it could not read whole: keptCopy names the copy ("setupkrn.ini.bak"),
// empty when the file was read; copied is false when the copy could not be made.
struct SettingsLoadResult {
    QString keptCopy;
    bool copied = false;
};

// Fills DefaultIniInfo with the defaults, empties Accounts and StatusCodes, reads the settings file and adds a
// placeholder account when it gave none. A failure to read leaves the defaults; the caller tells the user
// once (unreadableSettingsMessage), because the accounts seem gone.
SettingsLoadResult LoadSettings();
// The message for a settings file that could not be read, naming the kept copy; empty when there is none.
QString unreadableSettingsMessage(const SettingsLoadResult& load);
// Writes DefaultIniInfo, Accounts and StatusCodes in the block layout, atomically and readable by the owner
// only (the file holds passwords). On failure answers false, keeps the old file and sets *error to a message
// that names the file and the system's reason.
bool SaveSettings(QString* error = nullptr);

// The lines SaveSettings writes.
QStringList settingsFileLines(const TIniInfo& settings);
// The "<Mail Info>" line of settings.
QString settingsLine(const TIniInfo& settings);
// Applies the fields present in a "<Mail Info>" line to settings.
void parseSettingsLine(TIniInfo& settings, const QString& line);
// Reads the INI layout of path into DefaultIniInfo, Accounts and StatusCodes.
void ReadIniSettings(const QString& path);
