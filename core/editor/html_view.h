// The HTML page: WB, the engine's page (html_engine.h, from the module loaded on first need) put into design
// mode after every load. Page scripts never run; the editor's own commands run in a script world of the
// application's own. The page loads nothing from the network (pictures, style sheets, frames, scripts): what
// a mailing carries comes into the project folder first, through the picture fetcher. Every call into the
// engine waits with a time-out and answers nullopt or false when none came. The page accepts drags only of
// merge placeholders from the merge-field chooser; Enter inserts a line break and Shift+Enter a new paragraph,
// as editing commands on the key press.
#pragma once

#include "core/editor/html_body_rules.h"

#include <QPointer>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <QVariant>
#include <QWidget>

#include <functional>
#include <optional>

class HtmlEngineFactory;
class HtmlScriptSending;
class HtmlEnginePage;

class HtmlView : public QWidget, public HtmlBodyDocument {
    Q_OBJECT

public:
    // A page on the engine module's engine; null, with *error saying why, when the module cannot be had.
    static HtmlView* create(QWidget* parent, QString* error);
    ~HtmlView() override;

    // A bound for a page that no longer answers; a busy machine may keep a live one quiet for seconds.
    static constexpr int ScriptTimeoutMs = 15000;
    static constexpr int LoadTimeoutMs = 30000;

    // The ".htm" or imported file, decoded as every text file of the program, with its folder as the base.
    bool loadHtmlFile(const QString& path, QString* error = nullptr);
    // NewBlankDocument and the first showing: source as the whole page, with the folder baseFolder as its base.
    void loadSource(const QString& baseFolder, const QString& source);
    // Another project is in the editor: the page shown so far is no longer its body and is never saved.
    void forgetDocument();
    // The file the page came from, or empty for a blank page.
    QString documentPath() const { return m_documentPath; }
    void setLoadTimeout(int ms) { m_loadTimeoutMs = ms; }
    // The engine's widget that takes the keys and the mouse (made with the first page); null before.
    QWidget* inputWidget() const;

    bool documentReady() const override { return m_ready; }
    bool dirty() override;
    std::optional<QString> htmlSource() override;
    void markSaved() override;
    void markDirty() { m_dirty = true; }

    // The script's value, or nullopt when the page gave none within ScriptTimeoutMs. The script may run more
    // than once (html_script_sending.h), so it must leave the page the same however often it runs.
    std::optional<QVariant> runScript(const QString& script);
    bool execCommand(const QString& name, const QString& value = QString());
    QString queryCommandValue(const QString& name);
    // The "FontSize" and "FontName" values at the caret, answered later without waiting (nothing when the
    // page does not answer or is gone).
    void queryFontAtCaret(std::function<void(const QString& size, const QString& name)> answer);
    // Inserts markup as a parsed fragment at the selection, so its attributes stay as written.
    bool insertHtml(const QString& html);
    bool insertText(const QString& text);
    bool setBackgroundColour(const QString& colour);
    std::optional<QStringList> pictureSources();
    bool setPictureSources(const QStringList& sources);   // by position in the picture collection
    bool setTitle(const QString& title);
    // Sets one inline style property of the body to empty, leaving the page as clean as it was.
    bool clearBodyStyleProperty(const QString& property);

signals:
    void documentCompleted();              // loaded and in design mode
    void loadFailed(const QString& reason);
    void caretMayHaveMoved();              // a key or mouse release in the page: the toolbar follows
    void placeholderDropped(const QString& placeholder);

private:
    HtmlView(HtmlEngineFactory& engine, QWidget* parent);
    bool handleInput(QEvent* event);
    void startLoad();
    void pageLoadFinished(bool ok);
    void stopPreparing();
    void pagePrepared(bool prepared);
    void loadTimedOut();
    bool handleDrag(QEvent* event);
    bool handleKeyPress(QKeyEvent* event);
    bool runCommand(const QString& expression);

    HtmlEnginePage* m_engine = nullptr;        // WB's engine, a child widget
    QTimer m_loadTimer;
    QPointer<HtmlScriptSending> m_preparing;   // the load's last step, while it has no answer
    quint64 m_commandNumber = 0;               // names each command's result in the page, see runCommand
    QString m_documentPath;
    int m_loadTimeoutMs = LoadTimeoutMs;
    bool m_ready = false;   // DocumentReady
    bool m_dirty = false;   // changed through the editor (commands, keys, drops) since load or save
};
