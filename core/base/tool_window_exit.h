// Ending the program with a tool window: a program started with "-v" and an existing file ends when its
// verification or sending window closes (the main window's command line says so). Tests replace the ending.
#pragma once

#include <functional>

// True when the main window exists and was started with "-v" and an existing file.
bool programEndsWithToolWindow();
// Ends the program (the application's event loops return 0) when programEndsWithToolWindow().
void endProgramAfterToolWindow();
// What ending the program does; nullptr restores QCoreApplication::exit(0).
void setProgramEndHandler(std::function<void()> handler);
