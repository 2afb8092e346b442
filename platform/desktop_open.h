// Opening a file or an address with the desktop's opener, xdg-open, and telling afterwards whether it did.
// xdg-open waits for the program it starts and ends with a failure when it finds none or that program fails,
// so its exit status tells whether the target was opened. Its output goes nowhere: a program that outlives
// this one must not write into a closed pipe. The target is one argument, never a shell string.
#pragma once

#include <QString>

#include <functional>

enum class DesktopOpenFailure {
    OpenerMissing,    // xdg-open cannot be started
    NothingOpenedIt,  // xdg-open found no program, or the program failed
};

// Starts xdg-open on target; failedLater is called once, from the event loop, when the target was not opened.
void openWithXdgOpen(const QString& target, std::function<void(DesktopOpenFailure failure)> failedLater);
