// The web engine behind the HTML page, as the editor needs it: a page widget that shows HTML source or a file,
// runs the editor's own scripts and reports its loads and the input meant for it. The engine lives in a module
// of its own (core/editor/html_engine/), loaded the first time the page is needed (html_engine_module.h), so the
// program starts without mapping a web engine. Only Qt types and these classes cross the boundary; the module
// links nothing of the program.
#pragma once

#include <QString>
#include <QUrl>
#include <QVariant>
#include <QtPlugin>

#include <functional>

class QEvent;
class QWidget;

// What the page reports. Every hook may be left empty.
struct HtmlEngineHooks {
    std::function<void()> loadStarted;
    std::function<void(bool ok)> loadFinished;
    std::function<void()> rendererStopped;            // the page's renderer ended; the page shows nothing
    // Key presses and releases, mouse releases and drag events meant for the page; true: taken, the page never
    // sees it. Drags are never handed on to the page (a dropped file would replace it).
    std::function<bool(QEvent* event)> inputEvent;
};

class HtmlEnginePage {
public:
    virtual ~HtmlEnginePage() = default;

    // The page to lay out; its parent owns it, and deleting it deletes this object.
    virtual QWidget* widget() = 0;
    // The whole page from source, relative addresses against base.
    virtual void showSource(const QString& source, const QUrl& base) = 0;
    virtual void showFile(const QUrl& file) = 0;
    virtual void stop() = 0;
    // Runs script in a script world of the program's own (the page's scripts never run); answer gets its value
    // later, and is never called once the page is gone.
    virtual void runScript(const QString& script, std::function<void(const QVariant& value)> answer) = 0;
};

// The module's root object implements this.
class HtmlEngineFactory {
public:
    virtual ~HtmlEngineFactory() = default;
    virtual HtmlEnginePage* createPage(QWidget* parent, HtmlEngineHooks hooks) = 0;
};

#define HtmlEngineFactory_iid "org.sorvanta.HtmlEngineFactory/1"
Q_DECLARE_INTERFACE(HtmlEngineFactory, HtmlEngineFactory_iid)
