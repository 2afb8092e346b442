// The desktop's program for a file type: see desktop_handler.h.

#include "controls/desktop_handler.h"

#include "controls/desktop_entry.h"
#include "controls/desktop_exec.h"
#include "controls/mime_handler_query.h"

#include <QCoreApplication>
#include <QProcess>

HandlerCommand handlerCommand(const QString& desktopId)
{
    const QString path = desktopId.isEmpty() ? QString() : findDesktopEntry(desktopId);
    if (path.isEmpty())
        return {};
    const DesktopEntryExec entry = readDesktopEntryExec(path);
    if (!entry.error.isEmpty())
        return {HandlerLookup::Broken, {}, entry.error};
    return {HandlerLookup::Found, entry.exec, {}};
}

HandlerStart startHandler(const QString& exec, const QString& target)
{
    const ExecCommand command = splitExecLine(exec);
    if (!command.ok())
        return {false, {}, command.error};
    return {QProcess::startDetached(command.program, command.argumentsFor(target)), command.program, {}};
}

HandlerOpenResult openWithDefaultHandler(const QString& mimeType, const QString& target)
{
    const HandlerCommand command = handlerCommand(queryDefaultMimeHandler(mimeType));
    switch (command.lookup) {
    case HandlerLookup::NoHandler:
        return {HandlerOpen::NoHandler, {}};
    case HandlerLookup::Broken:
        return {HandlerOpen::Failed, command.error};
    case HandlerLookup::Found:
        break;
    }
    const HandlerStart start = startHandler(command.exec, target);
    if (start.started)
        return {HandlerOpen::Opened, {}};
    if (!start.error.isEmpty())
        return {HandlerOpen::Failed, start.error};
    return {HandlerOpen::Failed, QCoreApplication::translate("DesktopHandler", "The program %1 could not be started.")
                                     .arg(start.program)};
}
