// WebEnginePage: see web_engine_page.h.

#include "core/editor/html_engine/web_engine_page.h"

#include <QDropEvent>
#include <QPointer>
#include <QTimer>
#include <QWebEnginePage>
#include <QWebEngineScript>
#include <QWebEngineSettings>

WebEnginePage::WebEnginePage(QWidget* parent, HtmlEngineHooks hooks) : QWebEngineView(parent), m_hooks(std::move(hooks))
{
    QWebEngineSettings* options = settings();
    options->setAttribute(QWebEngineSettings::JavascriptEnabled, false);   // page scripts never run
    options->setAttribute(QWebEngineSettings::JavascriptCanOpenWindows, false);
    options->setAttribute(QWebEngineSettings::PluginsEnabled, false);
    // Nothing from the network: an imported page would fetch its remote pictures, style sheets and frames
    // itself, unbounded, and a silent server would hold its loading. Web pictures come through the fetcher.
    options->setAttribute(QWebEngineSettings::LocalContentCanAccessRemoteUrls, false);
    options->setDefaultTextEncoding(QStringLiteral("UTF-8"));
    setAcceptDrops(true);
    connect(this, &QWebEngineView::loadStarted, this, [this] {
        if (m_hooks.loadStarted)
            m_hooks.loadStarted();
    });
    connect(this, &QWebEngineView::loadFinished, this, [this](bool ok) {
        watchInputWidget();
        if (m_hooks.loadFinished)
            m_hooks.loadFinished(ok);
    });
    connect(page(), &QWebEnginePage::renderProcessTerminated, this, [this] {
        if (m_hooks.rendererStopped)
            m_hooks.rendererStopped();
    });
}

void WebEnginePage::showSource(const QString& source, const QUrl& base)
{
    setHtml(source, base);
}

void WebEnginePage::showFile(const QUrl& file)
{
    load(file);
}

void WebEnginePage::stop()
{
    QWebEngineView::stop();
}

void WebEnginePage::runScript(const QString& script, std::function<void(const QVariant& value)> answer)
{
    QPointer<WebEnginePage> self(this);
    page()->runJavaScript(script, QWebEngineScript::ApplicationWorld, [self, answer](const QVariant& value) {
        if (self && answer)
            answer(value);
    });
}

// ---- input ----

void WebEnginePage::watchInputWidget()
{
    if (QWidget* input = focusProxy())
        input->installEventFilter(this);
}

bool WebEnginePage::event(QEvent* event)
{
    if (event->type() == QEvent::ChildAdded || event->type() == QEvent::ChildPolished)
        QTimer::singleShot(0, this, &WebEnginePage::watchInputWidget);
    return QWebEngineView::event(event);
}

bool WebEnginePage::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::MouseButtonRelease:
        if (offerInput(event))
            return true;
        break;
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::Drop:
        offerDrag(event);
        return true;
    default:
        break;
    }
    return QWebEngineView::eventFilter(watched, event);
}

bool WebEnginePage::offerInput(QEvent* event)
{
    return m_hooks.inputEvent && m_hooks.inputEvent(event);
}

void WebEnginePage::offerDrag(QEvent* event)
{
    if (!offerInput(event))
        event->ignore();
}

void WebEnginePage::dragEnterEvent(QDragEnterEvent* event)
{
    offerDrag(event);
}

void WebEnginePage::dragMoveEvent(QDragMoveEvent* event)
{
    offerDrag(event);
}

void WebEnginePage::dropEvent(QDropEvent* event)
{
    offerDrag(event);
}
