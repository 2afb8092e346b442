// The two close events of the main window's Exit. CloseQueryEvent only asks: a window answers it as its close
// query (accepted or ignored) and does none of what it does when it really closes; Exit asks every child with it
// before its own question, so that a "No" to quitting leaves every child as it was. ExitCloseEvent follows a
// "Yes": the child does what it does when it really closes (the editor puts its project on the reopen list)
// without asking again, before the main window writes what it keeps.
#pragma once

#include <QCloseEvent>

class CloseQueryEvent : public QCloseEvent {};
class ExitCloseEvent : public QCloseEvent {};

inline bool isCloseQueryOnly(const QCloseEvent* event)
{
    return dynamic_cast<const CloseQueryEvent*>(event) != nullptr;
}

inline bool isCloseAtExit(const QCloseEvent* event)
{
    return dynamic_cast<const ExitCloseEvent*>(event) != nullptr;
}
