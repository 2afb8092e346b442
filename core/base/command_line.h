// What the program's command line asks for. With three or more parameters, a first one exactly "-s" or "-v"
// (case-sensitive) and a second naming an existing file, the first showing of the main window creates an
// empty project editor on that file name ("-s" then starts the list verification). "-v" with an existing
// file (two parameters suffice) makes closing the verification or sending window end the program.
#pragma once

#include <QString>
#include <QStringList>

struct CommandLineRequest {
    QString fileName;                  // the second parameter when it names an existing file
    bool createEditor = false;         // an empty project editor at the first showing
    bool startVerification = false;    // "-s": verify the new editor's list
    bool endAfterToolWindow = false;   // "-v": closing verification or sending ends the program
};

// parameters: the command line without the program name.
CommandLineRequest classifyCommandLine(const QStringList& parameters);
