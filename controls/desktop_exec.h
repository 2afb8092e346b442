// The Exec line of a desktop entry split into a program and its options, by the desktop-entry rules:
// blanks separate arguments, double quotes group them (inside, a backslash takes '"', '`', '$' or '\'
// literally), field codes such as %u, %U, %f and %F are dropped and "%%" stands for one "%".
// Nothing here runs a shell or expands anything else; a malformed line gives an error text, never a command.
#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>

struct BrowserCommand {
    QString program;
    QStringList options;  // the arguments that stand before the address
    QString error;        // empty when the line was split
    bool ok() const { return error.isEmpty(); }
};

// The general escapes of a desktop-entry string value: \s, \n, \t, \r and \\; other backslashes stay.
QString unescapeDesktopValue(QStringView value);

// Splits an Exec value (already unescaped) into program and options.
BrowserCommand splitBrowserCommand(QStringView exec);
