// TGoToWeb: see go_to_web.h.

#include "controls/go_to_web.h"

#include "controls/mime_handler_query.h"
#include "platform/desktop_open.h"

#include <QPointer>

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
    // The address is an argument of its own, so one starting with "-" would be read as an option.
    if (Url.startsWith(QLatin1Char('-'))) {
        m_error = tr("The address \"%1\" cannot be opened: it starts with \"-\".").arg(Url);
        return false;
    }
    QString exec;
    switch (lookUpBrowserCommand(exec)) {
    case HandlerLookup::Found:
        return startBrowser(exec);
    case HandlerLookup::NoHandler:
        return openWithDesktop();
    case HandlerLookup::Broken:
        return false;
    }
    Q_UNREACHABLE();
}

HandlerLookup TGoToWeb::lookUpBrowserCommand(QString& exec)
{
    m_error.clear();
    const QString id = m_handlerQuery ? m_handlerQuery() : QString();
    if (id.isEmpty()) {
        m_error = tr("No web browser is set for HTML files.");
        return HandlerLookup::NoHandler;
    }
    const HandlerCommand command = handlerCommand(id);
    switch (command.lookup) {
    case HandlerLookup::Found:
        exec = command.exec;
        break;
    case HandlerLookup::NoHandler:
        m_error = tr("The web browser's desktop entry %1 is not installed.").arg(id);
        break;
    case HandlerLookup::Broken:
        m_error = command.error;
        break;
    }
    return command.lookup;
}

// Why no handler was found is told only when the opener finds no browser either.
bool TGoToWeb::openWithDesktop()
{
    QPointer<TGoToWeb> self(this);
    const QString target = Url;
    const QString missing = m_error;
    openWithXdgOpen(target, [self, target, missing](DesktopOpenFailure failure) {
        if (!self)
            return;
        const QString opener = failure == DesktopOpenFailure::OpenerMissing
                                   ? tr("xdg-open, which would look for one, is not installed.")
                                   : tr("xdg-open found no program to open %1.").arg(target);
        self->m_error = missing + u' ' + opener;
        emit self->openFailed(self->m_error);
    });
    m_error.clear();
    return true;
}

bool TGoToWeb::startBrowser(const QString& exec)
{
    const HandlerStart start = startHandler(exec, Url);
    if (!start.error.isEmpty())
        m_error = start.error;
    else if (!start.started)
        m_error = tr("The web browser %1 could not be started.").arg(start.program);
    return start.started;
}
