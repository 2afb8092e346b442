// Ending the program with a tool window: see tool_window_exit.h.

#include "core/tool_window_exit.h"

#include "core/main_form.h"

#include <QCoreApplication>

namespace {

std::function<void()>& programEndHandler()
{
    static std::function<void()> handler;
    return handler;
}

}  // namespace

bool programEndsWithToolWindow()
{
    return MainForm && MainForm->commandLine().endAfterToolWindow;
}

void endProgramAfterToolWindow()
{
    if (!programEndsWithToolWindow())
        return;
    if (programEndHandler())
        programEndHandler()();
    else
        QCoreApplication::exit(0);
}

void setProgramEndHandler(std::function<void()> handler)
{
    programEndHandler() = std::move(handler);
}
