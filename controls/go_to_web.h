// TGoToWeb: opens Url in the user's default web browser, the desktop's handler of text/html. The program of
// the handler's Exec line is started with its options and Url as one argument where the field code stands
// (last when there is none), never through a shell, so an address or a path with blanks arrives whole.
// Without a handler the desktop's opener (xdg-open) looks for a browser; when it finds none, openFailed says
// so afterwards, naming what is missing.
// A window size cannot be asked of another program, so there is no choice of a maximised browser window.
#pragma once

#include "controls/desktop_handler.h"

#include <QObject>
#include <QString>

#include <functional>

class TGoToWeb : public QObject {
    Q_OBJECT

public:
    explicit TGoToWeb(QObject* parent = nullptr);

    QString Url;  // the address or the local file to open

    // Starts the browser on Url; false, with errorString(), when it could not be started. Through the desktop's
    // opener, a browser that is not found is reported later by openFailed.
    bool GoToUrl();
    // The Exec line of the text/html handler's desktop entry, or empty (errorString() then says why).
    QString FindBrowserCommand();
    QString errorString() const { return m_error; }

    // Names the handler's desktop file (default: xdg-mime's answer for text/html); tests answer here.
    using HandlerQuery = std::function<QString()>;
    void setHandlerQuery(HandlerQuery query);

signals:
    void openFailed(const QString& error);   // once, from the event loop

private:
    HandlerLookup lookUpBrowserCommand(QString& exec);
    bool openWithDesktop();
    bool startBrowser(const QString& exec);

    HandlerQuery m_handlerQuery;
    QString m_error;
};
