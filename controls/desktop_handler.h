// The desktop's program for a file type: the desktop entry of a handler's desktop-file id (as xdg-mime names
// the default handler of a MIME type) and its Exec line, and starting that program on one file or address,
// detached, the target whole at its field code's place and never through a shell. The caller words what
// the user is told, but for the reasons an entry or a start failed; a target that starts with "-" would reach
// the program as an option, so pass full paths.
#pragma once

#include <QString>

enum class HandlerLookup {
    Found,      // an Exec line was read
    NoHandler,  // no id, or its desktop entry is not installed
    Broken,     // the entry cannot be read or has no Exec line
};

struct HandlerCommand {
    HandlerLookup lookup = HandlerLookup::NoHandler;
    QString exec;    // the entry's Exec value when found
    QString error;   // why the entry is broken
};

HandlerCommand handlerCommand(const QString& desktopId);

struct HandlerStart {
    bool started = false;
    QString program;  // the program of the Exec line, when it could be split
    QString error;    // why the Exec line cannot be used; empty when only the start failed
};

HandlerStart startHandler(const QString& exec, const QString& target);

enum class HandlerOpen {
    Opened,     // the default program was started on the target
    NoHandler,  // the desktop names no program for the type, or its entry is not installed
    Failed,     // the entry or its Exec line is unusable, or the program could not be started
};

struct HandlerOpenResult {
    HandlerOpen result = HandlerOpen::NoHandler;
    QString error;   // why, when Failed
};

// Starts the desktop's default program for mimeType (xdg-mime's answer) on target.
HandlerOpenResult openWithDefaultHandler(const QString& mimeType, const QString& target);
