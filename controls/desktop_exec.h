// The Exec line of a desktop entry split into a program and its arguments, by the desktop-entry rules:
// blanks separate arguments, double quotes group them (inside, a backslash takes '"', '`', '$' or '\'
// literally) and "%%" stands for one "%". The first %f, %F, %u or %U marks where the file or address goes
// (on its own or inside an argument, as in "--app=%u"); without one it goes last. Every other field code is
// dropped. Nothing here runs a shell or expands anything else; a malformed line gives an error, never a command.
#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>

struct ExecCommand {
    QString program;
    QStringList arguments;       // without the target
    int targetArgument = -1;     // the argument the target is put into; -1: the target is one more argument
    qsizetype targetOffset = 0;  // where in that argument
    QString error;               // empty when the line was split
    bool ok() const { return error.isEmpty(); }

    // The arguments to start program with, target at its place and whole.
    QStringList argumentsFor(const QString& target) const;
};

// The general escapes of a desktop-entry string value: \s, \n, \t, \r and \\; other backslashes stay.
QString unescapeDesktopValue(QStringView value);

// Splits an Exec value (already unescaped) into program and arguments.
ExecCommand splitExecLine(QStringView exec);
