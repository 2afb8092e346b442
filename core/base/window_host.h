// The main window's services as every other window reaches them: the window to parent modal tools on and to
// post user messages to, its MDI area, the command line it was started with, translation requests, finding
// children by class name and the message box. TMainForm registers itself at creation; until then (and in tests
// without a main window) the services answer "none" and requests go nowhere. Only core/frame and app/ include
// the main window's own header.
#pragma once

#include "core/base/command_line.h"
#include "platform/message_box_flags.h"

#include <QString>

class QMdiArea;
class QWidget;

namespace WindowHost {

// Called by the main window when it is built and when it goes; the area, the command line and the open
// dialog's file name live as long as it.
void registerMainWindow(QWidget* mainWindow, QMdiArea* area, const CommandLineRequest* commandLine,
                        const QString* openFileName);
void unregisterMainWindow(const QWidget* mainWindow);

// The main window, or nullptr: parent of modal tools and target of the user messages (core/base/user_messages.h).
QWidget* mainWindow();
// The main window's MDI area, or nullptr.
QMdiArea* mdiArea();
// The command line the program was started with (empty without a main window).
const CommandLineRequest& commandLine();
// The main window's open-dialog file name: the project last opened, or the folder pattern of the last New
// (empty without a main window).
QString openFileName();

// Asks the main window to translate window (WM_TRANSLATE 0); every window sends it when it is created.
void requestTranslation(QWidget* window);

// The first MDI child whose class name is className (ignoring case), or nullptr.
QWidget* findChildOfClass(const char* className);
// Asks every MDI child of class className to close, in creation order; false when one refuses.
bool closeChildrenOfClass(const char* className);

}  // namespace WindowHost

// The class names by which the main window recognises its MDI children.
inline constexpr char projectEditorClassName[] = "TNewMod2MessageForm";
inline constexpr char sendingWindowClassName[] = "T_PostSrv";

// True when widget's class name is className, ignoring case (how the main window tells its children apart).
bool isWindowOfClass(const QWidget* widget, const char* className);

// Index among area's sub-windows (in creation order) of the first whose widget's class name equals className
// ignoring case, or -1.
int FindMdiChild(const QMdiArea* area, const QString& className);

// A message box owned by the application's active window; answers IDOK, IDYES, ... (platform/widgets/message_box.h).
int ShowMessageBox(const QString& text, const QString& caption, unsigned flags);
