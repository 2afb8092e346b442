// The main window's services: see window_host.h.

#include "core/base/window_host.h"

#include "core/base/user_messages.h"
#include "platform/widgets/message_box.h"

#include <QApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>

namespace {

struct Host {
    QPointer<QWidget> mainWindow;
    QPointer<QMdiArea> area;
    const CommandLineRequest* commandLine = nullptr;
    const QString* openFileName = nullptr;
};

Host& host()
{
    static Host instance;
    return instance;
}

}  // namespace

namespace WindowHost {

void registerMainWindow(QWidget* mainWindow, QMdiArea* area, const CommandLineRequest* commandLine,
                        const QString* openFileName)
{
    host() = Host{mainWindow, area, commandLine, openFileName};
}

void unregisterMainWindow(const QWidget* mainWindow)
{
    if (host().mainWindow == mainWindow)
        host() = Host{};
}

QWidget* mainWindow()
{
    return host().mainWindow;
}

QMdiArea* mdiArea()
{
    return host().area;
}

const CommandLineRequest& commandLine()
{
    static const CommandLineRequest none;
    return host().mainWindow && host().commandLine ? *host().commandLine : none;
}

QString openFileName()
{
    return host().mainWindow && host().openFileName ? *host().openFileName : QString();
}

void requestTranslation(QWidget* window)
{
    WindowMessage::send(mainWindow(), WM_TRANSLATE, 0, reinterpret_cast<qintptr>(window));
}

QWidget* findChildOfClass(const char* className)
{
    QMdiArea* area = mdiArea();
    if (!area)
        return nullptr;
    for (QMdiSubWindow* sub : area->subWindowList(QMdiArea::CreationOrder))
        if (isWindowOfClass(sub->widget(), className))
            return sub->widget();
    return nullptr;
}

bool closeChildrenOfClass(const char* className)
{
    QMdiArea* area = mdiArea();
    if (!area)
        return true;
    for (QMdiSubWindow* sub : area->subWindowList(QMdiArea::CreationOrder))
        if (isWindowOfClass(sub->widget(), className) && !sub->close())
            return false;
    return true;
}

}  // namespace WindowHost

bool isWindowOfClass(const QWidget* widget, const char* className)
{
    return widget
           && QLatin1String(widget->metaObject()->className()).compare(QLatin1String(className), Qt::CaseInsensitive)
                  == 0;
}

int FindMdiChild(const QMdiArea* area, const QString& className)
{
    if (!area)
        return -1;
    const QList<QMdiSubWindow*> children = area->subWindowList(QMdiArea::CreationOrder);
    for (int i = 0; i < children.size(); ++i)
        if (isWindowOfClass(children[i]->widget(), className.toLatin1().constData()))
            return i;
    return -1;
}

int ShowMessageBox(const QString& text, const QString& caption, unsigned flags)
{
    return messageBox(QApplication::activeWindow(), text, caption, flags);
}
