// TGoToWeb: see go_to_web.h.

#include "controls/go_to_web.h"

#include "controls/desktop_entry.h"
#include "controls/desktop_exec.h"
#include "controls/mime_handler_query.h"

#include <QDesktopServices>
#include <QDir>
#include <QProcess>
#include <QUrl>

TGoToWeb::TGoToWeb(QObject* parent)
    : QObject(parent),
      m_handlerQuery([] { return queryDefaultMimeHandler(QStringLiteral("text/html")); })
{
}

void TGoToWeb::setHandlerQuery(HandlerQuery query)
{
    m_handlerQuery = std::move(query);
}

QString TGoToWeb::FindBrowserCommand()
{
    QString exec;
    lookUpBrowserCommand(exec);
    return exec;
}

bool TGoToWeb::GoToUrl()
{
    m_error.clear();
    if (Url.trimmed().isEmpty()) {
        m_error = tr("There is no address to open.");
        return false;
    }
    // The address follows the browser's options, so one starting with "-" would be read as an option.
    if (Url.startsWith(QLatin1Char('-'))) {
        m_error = tr("The address \"%1\" cannot be opened: it starts with \"-\".").arg(Url);
        return false;
    }
    QString exec;
    switch (lookUpBrowserCommand(exec)) {
    case Lookup::Found:
        return startBrowser(exec);
    case Lookup::NoHandler:
        return openWithDesktop();
    case Lookup::Broken:
        return false;
    }
    Q_UNREACHABLE();
}

TGoToWeb::Lookup TGoToWeb::lookUpBrowserCommand(QString& exec)
{
    m_error.clear();
    const QString id = m_handlerQuery ? m_handlerQuery() : QString();
    if (id.isEmpty()) {
        m_error = tr("No web browser is set for HTML files.");
        return Lookup::NoHandler;
    }
    const QString path = findDesktopEntry(id);
    if (path.isEmpty()) {
        m_error = tr("The web browser's desktop entry %1 is not installed.").arg(id);
        return Lookup::NoHandler;
    }
    const DesktopEntryExec entry = readDesktopEntryExec(path);
    if (!entry.error.isEmpty()) {
        m_error = entry.error;
        return Lookup::Broken;
    }
    exec = entry.exec;
    return Lookup::Found;
}

bool TGoToWeb::openWithDesktop()
{
    const QUrl url = QUrl::fromUserInput(Url, QDir::currentPath(), QUrl::AssumeLocalFile);
    if (QDesktopServices::openUrl(url)) {
        m_error.clear();
        return true;
    }
    m_error = tr("The desktop could not open %1.").arg(Url);
    return false;
}

bool TGoToWeb::startBrowser(const QString& exec)
{
    const BrowserCommand command = splitBrowserCommand(exec);
    if (!command.ok()) {
        m_error = command.error;
        return false;
    }
    if (!QProcess::startDetached(command.program, command.options + QStringList{Url})) {
        m_error = tr("The web browser %1 could not be started.").arg(command.program);
        return false;
    }
    return true;
}
