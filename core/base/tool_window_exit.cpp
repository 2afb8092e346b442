// Ending the program with a tool window: see tool_window_exit.h.

#include "core/base/tool_window_exit.h"

#include "core/base/window_host.h"

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
    return WindowHost::commandLine().endAfterToolWindow;
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
