// The HTML page's engine: loading, design mode, editing commands with time-outs, the dirty flag, the Enter
// swap and the placeholder drop.

#include "core/editor/html_view.h"

#include "core/editor/html_engine.h"
#include "core/editor/html_engine_module.h"
#include "core/editor/html_script_sending.h"
#include "core/editor/placeholder_drag.h"
#include "core/project/html_file_text.h"

#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QKeyEvent>
#include <QPointer>
#include <QUrl>
#include <QVBoxLayout>


namespace {

// The engine hands a source over as a percent-encoded data: address, which the engine takes only up to 2 MB;
// bigger pages are opened as files (the engine then reads them as UTF-8, which is how the program writes them).
constexpr qsizetype kLargestDataAddress = 1900 * 1000;

// A text as a script string literal.
QString literal(const QString& text)
{
    const QByteArray array = QJsonDocument(QJsonArray{text}).toJson(QJsonDocument::Compact);
    return QString::fromUtf8(array.mid(1, array.size() - 2));
}

// Design mode, and a watch that marks the page dirty on every change of its tree, its attributes or its text.
const char kPrepareScript[] = R"(
(function () {
  if (!window.sorvantaWatch) {
    window.sorvantaDirty = false;
    window.sorvantaWatch = new MutationObserver(function () { window.sorvantaDirty = true; });
    window.sorvantaWatch.observe(document, {subtree: true, childList: true, attributes: true, characterData: true});
  }
  document.designMode = 'on';
  return true;
})())";

const char kSourceScript[] = R"(
(function () {
  var type = document.doctype ? new XMLSerializer().serializeToString(document.doctype) + '\n' : '';
  return type + document.documentElement.outerHTML;
})())";

// The font at the caret; a page not clicked yet has its caret put at the start of the body first.
const char kFontAtCaretScript[] = R"(
(function () {
  var selection = getSelection();
  if (!selection.rangeCount && document.body) {
    var start = document.createRange();
    start.setStart(document.body, 0);
    selection.addRange(start);
  }
  return [String(document.queryCommandValue('FontSize')), String(document.queryCommandValue('FontName'))];
})())";

// Markup holding a block (a table) cannot stand inside a paragraph, a heading or an inline element: a parser
// would end the paragraph at the table. Such markup goes into the nearest element that holds blocks, the
// paragraph (and what is open in it) split at the caret, and a piece left empty removed.
const char kInsertHtmlScript[] = R"(
(function (markup) {
  var BLOCKS = /^(TABLE|DIV|P|UL|OL|DL|H[1-6]|BLOCKQUOTE|PRE|HR|FORM|CENTER|ADDRESS|FIELDSET)$/;
  var HOLDS_BLOCKS = /^(BODY|HTML|DIV|TD|TH|LI|DD|BLOCKQUOTE|CENTER|FORM|FIELDSET|SECTION|ARTICLE|ASIDE|NAV|HEADER|FOOTER|MAIN|FIGURE|DETAILS)$/;
  function holdsBlock(fragment) {
    for (var n = fragment.firstChild; n; n = n.nextSibling)
      if (n.nodeType === 1 && BLOCKS.test(n.nodeName)) return true;
    return false;
  }
  function isEmpty(node) {
    return node.nodeType === 1 ? !node.textContent && !node.querySelector('img,table,hr,input')
                               : node.nodeType === 3 && !node.data;
  }
  function holdsBlocks(node) {
    return node.nodeType === 1 && HOLDS_BLOCKS.test(node.nodeName);
  }
  function moveToBlockLevel(range) {
    var top = range.startContainer;
    if (holdsBlocks(top)) return;
    while (top.parentNode && !holdsBlocks(top.parentNode))
      top = top.parentNode;
    if (!top.parentNode) return;
    var tail = document.createRange();
    tail.setStart(range.startContainer, range.startOffset);
    tail.setEndAfter(top);
    var rest = tail.extractContents();
    var after = rest.firstChild;
    if (after && after.nodeType === 1) after.removeAttribute('id');
    top.parentNode.insertBefore(rest, top.nextSibling);
    if (after && isEmpty(after)) after.remove();
    range.setStartAfter(top);
    range.collapse(true);
    if (isEmpty(top)) {
      range.setStartBefore(top);
      range.collapse(true);
      top.remove();
    }
  }
  var selection = window.getSelection();
  if (!selection.rangeCount) {
    var end = document.createRange();
    end.selectNodeContents(document.body);
    end.collapse(false);
    selection.addRange(end);
  }
  var range = selection.getRangeAt(0);
  var fragment = range.createContextualFragment(markup);
  var last = fragment.lastChild;
  range.deleteContents();
  if (holdsBlock(fragment)) moveToBlockLevel(range);
  range.insertNode(fragment);
  if (last) {
    range.setStartAfter(last);
    range.collapse(true);
    selection.removeAllRanges();
    selection.addRange(range);
  }
  return true;
})(%1))";

}  // namespace

HtmlView* HtmlView::create(QWidget* parent, QString* error)
{
    HtmlEngineFactory* engine = HtmlEngineModule::factory(error);
    return engine ? new HtmlView(*engine, parent) : nullptr;
}

HtmlView::HtmlView(HtmlEngineFactory& engine, QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("WB"));
    m_loadTimer.setSingleShot(true);
    connect(&m_loadTimer, &QTimer::timeout, this, &HtmlView::loadTimedOut);
    HtmlEngineHooks hooks;
    hooks.loadStarted = [this] { m_ready = false; };
    hooks.loadFinished = [this](bool ok) { pageLoadFinished(ok); };
    hooks.rendererStopped = [this] {
        m_ready = false;
        m_loadTimer.stop();
        stopPreparing();
        emit loadFailed(tr("The HTML editor's engine stopped."));
    };
    hooks.inputEvent = [this](QEvent* event) { return handleInput(event); };
    m_engine = engine.createPage(this, std::move(hooks));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_engine->widget());
    setFocusProxy(m_engine->widget());
}

// The engine's page goes first, quietly: what it reports while it closes concerns nobody.
HtmlView::~HtmlView()
{
    m_loadTimer.stop();
    stopPreparing();
    blockSignals(true);
    delete m_engine->widget();
}

QWidget* HtmlView::inputWidget() const
{
    return m_engine->widget()->focusProxy();
}

// ---- loading ----

bool HtmlView::loadHtmlFile(const QString& path, QString* error)
{
    const QFileInfo info(path);
    const QUrl address = QUrl::fromLocalFile(info.absoluteFilePath());
    std::optional<QString> text;
    if (info.size() <= kLargestDataAddress) {
        text = ReadHtmlFile(path, error);
        if (!text)
            return false;
    }
    startLoad();
    m_documentPath = path;
    if (text && text->toUtf8().toPercentEncoding().size() <= kLargestDataAddress)
        m_engine->showSource(*text, address);
    else
        m_engine->showFile(address);
    return true;
}

void HtmlView::loadSource(const QString& baseFolder, const QString& source)
{
    startLoad();
    m_documentPath.clear();
    m_engine->showSource(source, QUrl::fromLocalFile(QDir(baseFolder).absolutePath() + u'/'));
}

void HtmlView::forgetDocument()
{
    m_ready = false;
    m_dirty = false;
    m_documentPath.clear();
}

void HtmlView::startLoad()
{
    m_ready = false;
    m_dirty = false;
    stopPreparing();
    m_loadTimer.start(m_loadTimeoutMs);
}

void HtmlView::pageLoadFinished(bool ok)
{
    if (!m_loadTimer.isActive())
        return;   // a late answer after the time-out, or a navigation that was not ours
    if (!ok) {
        m_loadTimer.stop();
        emit loadFailed(tr("The HTML page could not be loaded."));
        return;
    }
    // Preparing the page is the load's last step, answered later rather than waited for inside the engine's
    // signal; the script does its work once however often it runs.
    stopPreparing();
    m_preparing = new HtmlScriptSending(*m_engine, QString::fromLatin1(kPrepareScript), m_loadTimer.remainingTime(),
                                        [this](const std::optional<QVariant>& prepared) {
                                            if (prepared)
                                                pagePrepared(prepared->toBool());
                                        },
                                        this);
}

// An answer to the preparing script of a page no longer loading is dropped with it.
void HtmlView::stopPreparing()
{
    delete m_preparing;
}

void HtmlView::pagePrepared(bool prepared)
{
    if (!m_loadTimer.isActive())
        return;   // the load already ended (timed out, failed or prepared)
    m_loadTimer.stop();
    if (!prepared) {
        emit loadFailed(tr("The HTML page could not be loaded."));
        return;
    }
    m_ready = true;
    emit documentCompleted();
}

void HtmlView::loadTimedOut()
{
    stopPreparing();
    m_engine->stop();
    emit loadFailed(tr("The HTML page did not finish loading."));
}

// ---- the page's state ----

bool HtmlView::dirty()
{
    if (m_dirty)
        return true;
    // An unanswered question counts as a change: better a needless save than a lost edit.
    return runScript(QStringLiteral("window.sorvantaDirty === true")).value_or(true).toBool();
}

std::optional<QString> HtmlView::htmlSource()
{
    const std::optional<QVariant> source = runScript(QString::fromLatin1(kSourceScript));
    if (!source || source->typeId() != QMetaType::QString)
        return std::nullopt;
    return source->toString();
}

void HtmlView::markSaved()
{
    m_dirty = false;
    runScript(QStringLiteral("window.sorvantaWatch && window.sorvantaWatch.takeRecords(); "
                             "window.sorvantaDirty = false; true"));
}

// ---- commands ----

// Waits for the script's value in a nested event loop.
std::optional<QVariant> HtmlView::runScript(const QString& script)
{
    std::optional<QVariant> value;
    bool answered = false;
    QEventLoop loop;
    auto* sending = new HtmlScriptSending(*m_engine, script, ScriptTimeoutMs,
                                          [&](const std::optional<QVariant>& answer) {
                                              value = answer;
                                              answered = true;
                                              loop.quit();
                                          },
                                          this);
    connect(sending, &QObject::destroyed, &loop, &QEventLoop::quit);   // the page went with its sending
    QPointer<HtmlView> self(this);
    if (!answered)
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    if (!self)
        return std::nullopt;
    return value;
}

// A command that changes the page runs once however often runScript sends it: its value is kept in the page
// under a number of its own, and a later sending answers that value without running it again.
bool HtmlView::runCommand(const QString& expression)
{
    m_dirty = true;
    const QString script = QStringLiteral(
        "(function (done) { if (!(%1 in done)) done[%1] = (\n%2\n); return done[%1]; })"
        "(window.sorvantaCommands || (window.sorvantaCommands = {}))").arg(++m_commandNumber).arg(expression);
    return runScript(script).value_or(false).toBool();
}

bool HtmlView::execCommand(const QString& name, const QString& value)
{
    if (!m_ready)
        return false;
    // Without a selection (a page not clicked yet) the command works at the end of the body.
    return runCommand(QStringLiteral(
        "(function () { var s = getSelection(); if (!s.rangeCount && document.body) { var r = document.createRange();"
        " r.selectNodeContents(document.body); r.collapse(false); s.addRange(r); }"
        " return document.execCommand(%1, false, %2); })()").arg(literal(name), literal(value)));
}

QString HtmlView::queryCommandValue(const QString& name)
{
    if (!m_ready)
        return {};
    const QString script = QStringLiteral("String(document.queryCommandValue(%1))").arg(literal(name));
    return runScript(script).value_or(QString()).toString();
}

void HtmlView::queryFontAtCaret(std::function<void(const QString& size, const QString& name)> answer)
{
    if (!m_ready)
        return;
    QPointer<HtmlView> self(this);
    m_engine->runScript(QString::fromLatin1(kFontAtCaretScript), [self, answer](const QVariant& value) {
        const QStringList values = value.toStringList();
        if (self && values.size() == 2)
            answer(values[0], values[1]);
    });
}

bool HtmlView::insertHtml(const QString& html)
{
    if (!m_ready)
        return false;
    return runCommand(QString::fromLatin1(kInsertHtmlScript).arg(literal(html)));
}

bool HtmlView::insertText(const QString& text)
{
    return execCommand(QStringLiteral("insertText"), text);
}

bool HtmlView::setBackgroundColour(const QString& colour)
{
    if (!m_ready)
        return false;
    m_dirty = true;
    const QString script = QStringLiteral("document.body ? (document.body.bgColor = %1, true) : false").arg(literal(colour));
    return runScript(script).value_or(false).toBool();
}

std::optional<QStringList> HtmlView::pictureSources()
{
    const std::optional<QVariant> sources = runScript(
        QStringLiteral("Array.prototype.map.call(document.images, function (i) { return i.src || ''; })"));
    if (!sources)
        return std::nullopt;
    return sources->toStringList();
}

bool HtmlView::setPictureSources(const QStringList& sources)
{
    m_dirty = true;
    const QString script = QStringLiteral(
        "(function (s) { var p = document.images; for (var i = 0; i < p.length && i < s.length; ++i)"
        " if (p[i].getAttribute('src') !== s[i]) p[i].setAttribute('src', s[i]); return true; })(%1)")
        .arg(QString::fromUtf8(QJsonDocument(QJsonArray::fromStringList(sources)).toJson(QJsonDocument::Compact)));
    return runScript(script).value_or(false).toBool();
}

bool HtmlView::setTitle(const QString& title)
{
    m_dirty = true;
    const QString script = QStringLiteral("document.title = %1; true").arg(literal(title));
    return runScript(script).value_or(false).toBool();
}

bool HtmlView::clearBodyStyleProperty(const QString& property)
{
    const QString script = QStringLiteral(
        "(function (p) { if (!document.body) return false; var was = window.sorvantaDirty;"
        " document.body.style.setProperty(p, ''); if (window.sorvantaWatch) window.sorvantaWatch.takeRecords();"
        " window.sorvantaDirty = was; return true; })(%1)").arg(literal(property));
    return runScript(script).value_or(false).toBool();
}

// ---- keys, mouse and drops inside the page ----

// What the engine's page gets from the keyboard, the mouse and drags; true when it is taken here.
bool HtmlView::handleInput(QEvent* event)
{
    switch (event->type()) {
    case QEvent::KeyPress:
        return handleKeyPress(static_cast<QKeyEvent*>(event));
    case QEvent::KeyRelease:
    case QEvent::MouseButtonRelease:
        if (m_ready)
            emit caretMayHaveMoved();
        return false;
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::Drop:
        return handleDrag(event);
    default:
        return false;
    }
}

// Enter inserts a line break, Shift+Enter a new paragraph. Any other typed key is a change of the page.
bool HtmlView::handleKeyPress(QKeyEvent* event)
{
    if (!m_ready)
        return false;
    m_dirty = m_dirty || !event->text().isEmpty() || event->key() == Qt::Key_Delete
              || event->key() == Qt::Key_Backspace;
    if (event->key() != Qt::Key_Return && event->key() != Qt::Key_Enter)
        return false;
    const bool shift = event->modifiers() & Qt::ShiftModifier;
    execCommand(shift ? QStringLiteral("insertParagraph") : QStringLiteral("insertLineBreak"));
    return true;
}

// Only the merge-field chooser's placeholders are taken (other drags, files among them, would replace the
// page); the placeholder goes in at the selection, the clipboard untouched.
bool HtmlView::handleDrag(QEvent* event)
{
    const std::optional<QString> placeholder = acceptPlaceholderDrag(event, PlaceholderSource::MergeChooser);
    if (!placeholder) {
        event->ignore();
        return false;
    }
    if (event->type() == QEvent::Drop)
        emit placeholderDropped(*placeholder);
    return true;
}
