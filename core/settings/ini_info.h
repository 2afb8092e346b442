// TIniInfo, the program-wide settings record, and its two live instances: DefaultIniInfo (the program's
// settings, kept in "setupkrn.ini", see core/settings/settings_file.h) and ProjectIniInfo (the open project's settings,
// copied from DefaultIniInfo on every project open, then overlaid from the project file).
// Short-string fields are cut at 255 characters when stored (shortStringLength); the record does not cut.
#pragma once

#include <QString>

constexpr int shortStringLength = 255;

struct TIniInfo {
    int NConnect = 0;                 // index of the account in use in Accounts (may be out of range)
    QString DnsIP;                    // DNS server for MX queries
    bool AutoCommit = false;          // repeat the POP3 log-in every AutoCommitT minutes
    int AutoCommitT = 10;
    QString CharSet;                  // "label,charset"; CharsetPart() gives the charset
    QString PathPro;                  // folder of projects; in ProjectIniInfo the open project's folder
    int NumberConnect = 5;            // simultaneous connections
    int AutoCheckMinutes = 10;        // kept and stored only
    bool Html = false;
    QString Codes;                    // ";"-joined reply codes re-sent through the external server
    QString SectionSymbol;            // list-file delimiter (project only)
    QString BaseUrl;                  // (project only)
    QString ProjectName;              // base name of the project's files (never stored)
    QString Subject;                  // (project only)
    int Column = 0;                   // 0-based e-mail column (project only)
    int ColumnA = 0;                  // attachment column: 0 none, k = column k from 1 (project only)
    int TimeOut = 10;                 // network time-out in seconds
    bool OptionsChanged = false;      // preferences confirmed since the last project load or save; never stored
    bool DefaultHelo = true;          // key "Default Helo"
    QString TextHelo;                 // key "Text Helo"; used when DefaultHelo is false
    bool Pop3Identify = true;         // key "Pop3 Identify"
    bool CreateLog = false;           // key "Create Log"
    bool ExternalSmtp = false;        // key "External Smtp"
    QString LangFile;                 // interface language file name, ".lan" included
    bool LangOn = false;
    bool LangInit = false;
    QString LogFile;                  // name of the project's send log
};

// The built-in DNS server of a fresh settings record.
inline constexpr char defaultDnsServer[] = "127.0.0.1";

// The projects' folder when the settings name none: "Sorvanta" in the user's documents folder (XDG_DOCUMENTS_DIR,
// else ~/Documents), with a trailing "/"; the program folder when the desktop names no documents folder. Not
// made here: a new project makes it. The program's own files stay in the program folder ($SORVANTA_HOME).
QString DefaultProjectFolder();

// A record with every default: CharSet "English(en),iso-8859-1", PathPro DefaultProjectFolder(), SectionSymbol
// ";", LangFile "language.lan", DnsIP defaultDnsServer, the numbers and flags as initialised above.
TIniInfo DefaultIniInfoValues();

extern TIniInfo DefaultIniInfo;
extern TIniInfo ProjectIniInfo;
