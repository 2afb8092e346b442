// Desktop entries of installed programs: where an entry of a given name lies in the XDG applications
// folders, and the Exec value of its [Desktop Entry] group. Entries larger than 1 MiB are refused.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// $XDG_DATA_HOME/applications (default ~/.local/share/applications), then each of
// $XDG_DATA_DIRS/applications (default /usr/local/share:/usr/share), in that order.
QStringList applicationFolders();

// A desktop file name as the desktop names handlers ("name.desktop"): no folder part, nothing hidden.
bool isDesktopFileId(const QString& id);

// The path of the entry of desktop-file id in the first applications folder that holds it, or empty. An id
// names a file of that name or one in a vendor sub-folder ("vendor-name.desktop" for "vendor/name.desktop").
QString findDesktopEntry(const QString& id);

struct DesktopEntryExec {
    QString exec;   // the Exec value with its string escapes undone
    QString error;  // empty when an Exec value was found
};

// The Exec value of the [Desktop Entry] group of an entry's text.
DesktopEntryExec desktopEntryExec(const QByteArray& contents);

// The same for the entry file at path; a missing, unreadable or oversized file gives an error.
DesktopEntryExec readDesktopEntryExec(const QString& path);
