// WebEnginePage: the HTML page on Qt WebEngine, the one class of the program that needs the web engine. Page
// scripts never run (JavaScript is off for the page; the editor's scripts run in the application's own world),
// nothing is fetched from the network, and drags never reach the page. Input meant for the page goes through
// the hooks first; the engine makes the widget that takes it (and may make it again), so each one is watched.
#pragma once

#include "core/editor/html_engine.h"

#include <QWebEngineView>

class WebEnginePage : public QWebEngineView, public HtmlEnginePage {
    Q_OBJECT

public:
    WebEnginePage(QWidget* parent, HtmlEngineHooks hooks);

    QWidget* widget() override { return this; }
    void showSource(const QString& source, const QUrl& base) override;
    void showFile(const QUrl& file) override;
    void stop() override;
    void runScript(const QString& script, std::function<void(const QVariant& value)> answer) override;

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void watchInputWidget();
    bool offerInput(QEvent* event);
    void offerDrag(QEvent* event);

    HtmlEngineHooks m_hooks;
};
