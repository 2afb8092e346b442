// The HTML page on the web engine inside the project editor, each case checked on the saved ".htm": a new
// html project's first showing, formatting a selection, an import with its pictures, a page script that must
// not run, the Enter swap, a merge-field drop, a failed save and the preview in a fake browser.

#include "controls/font_combo_box.h"
#include "controls/go_to_web.h"
#include "core/editor/html_editor_page.h"
#include "core/editor/html_view.h"
#include "core/editor/message_form.h"
#include "core/editor/picture_fetcher.h"
#include "core/editor/picture_open_dialog.h"
#include "core/editor/placeholder_drag.h"
#include "core/frame/main_form.h"
#include "core/base/tool_commands.h"
#include "core/base/user_messages.h"
#include "core/dialogs/progress_window.h"
#include "core/project/project_attachments.h"
#include "core/project/project_files.h"
#include "core/sending/html_images.h"
#include "core/settings/ini_info.h"
#include "tests/core/modal_dialogs.h"
#include "tests/support/desktop_sandbox.h"
#include "tests/support/foundry_fonts.h"
#include "tests/support/http_test_server.h"
#include "tests/support/test_files.h"
#include "tests/support/test_home.h"
#include "tests/support/wait_until.h"
#include "tests/support/web_engine_env.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QColorDialog>
#include <QComboBox>
#include <QDir>
#include <QDirIterator>
#include <QDropEvent>
#include <QFontDatabase>
#include <QFile>
#include <QKeyEvent>
#include <QLabel>
#include <QMdiSubWindow>
#include <QMimeData>
#include <QPushButton>
#include <QUrl>

#include <memory>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using sorvanta::test::MessageBoxRecorder;
using sorvanta::test::onNextModalOf;
using sorvanta::test::readFileBytes;
using sorvanta::test::testHome;
using sorvanta::test::waitUntil;
using sorvanta::test::writeFileBytes;

const bool engineReady = (sorvanta::test::prepareWebEngineForTests(), true);

// Longer than the page's own bounds (a load, then its scripts), so that only a page that never comes fails.
constexpr int kPageWaitMs = 2 * HtmlView::LoadTimeoutMs;

class HtmlPageTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(engineReady);
        savedDefaults = DefaultIniInfo;
        DefaultIniInfo = DefaultIniInfoValues();
        DefaultIniInfo.PathPro = testHome();
        form = std::make_unique<TMainForm>();
        form->show();
    }
    void TearDown() override
    {
        if (NewMod2MessageForm)
            NewMod2MessageForm->cbModi->setChecked(false);
        form.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        DefaultIniInfo = savedDefaults;
        ProjectIniInfo = TIniInfo();
        ProjectAttachments.clear();
    }

    // Opens "Mailing" as an html project; htm: its ".htm" file, none when empty.
    TNewMod2MessageForm* openHtmlProject(const QByteArray& htm, const QByteArray& plainBody = "Dear [Column#1],\r\n")
    {
        writeFileBytes(testHome() + "Mailing.eml", "[Common]\r\nSubject=Hello\r\nHtml=1\r\n");
        writeFileBytes(testHome() + "Mailing.txt", "Ann;ann@example.com\r\n");
        writeFileBytes(testHome() + "Mailing.mml", plainBody);
        if (!htm.isEmpty())
            writeFileBytes(testHome() + "Mailing.htm", htm);
        EXPECT_EQ(OpenProject(testHome() + "Mailing.eml", false), OpenProjectOutcome::Opened);
        editor = NewMod2MessageForm;
        EXPECT_TRUE(waitForPage());
        return editor;
    }

    HtmlView* view() const { return editor->htmlPage->view(); }

    // Waits until the page is ready and the editor has had its page-loaded follow-up.
    bool waitForPage()
    {
        const bool ready = waitUntil([&] { return view() && view()->documentReady(); }, kPageWaitMs);
        QCoreApplication::processEvents();
        return ready;
    }

    QString source() { return view()->htmlSource().value_or("<no answer>"); }

    void selectElementText(const QString& id)
    {
        ASSERT_TRUE(view()->runScript("var r = document.createRange(); r.selectNodeContents(document.getElementById('"
                                      + id + "')); getSelection().removeAllRanges(); getSelection().addRange(r); true")
                        .value_or(false).toBool());
    }

    void caretAtEndOf(const QString& id)
    {
        ASSERT_TRUE(view()->runScript("var r = document.createRange(); r.selectNodeContents(document.getElementById('"
                                      + id + "')); r.collapse(false); getSelection().removeAllRanges();"
                                      " getSelection().addRange(r); true").value_or(false).toBool());
    }

    QByteArray savedHtml()
    {
        EXPECT_TRUE(editor->SaveProject(false));
        return readFileBytes(testHome() + "Mailing.htm");
    }

    MessageBoxRecorder boxes{IDOK};
    std::unique_ptr<TMainForm> form;
    TNewMod2MessageForm* editor = nullptr;
    TIniInfo savedDefaults;
};

// The plain body becomes the page line by line, its text as text: an address in angle brackets stays.
TEST_F(HtmlPageTest, FirstShowingKeepsThePlainBodysLinesAndTextAndSavesIt)
{
    openHtmlProject({}, "Dear [Column#1],\r\n\r\n<b>Prices</b> < 5 & more\r\nWrite to <info@example.com>\r\n");
    ASSERT_NE(view(), nullptr);
    EXPECT_EQ(editor->pcl->currentWidget(), editor->tsHtml);
    EXPECT_TRUE(editor->htmlPage->HtmlShown());
    EXPECT_TRUE(editor->htmlPage->HtmlModified());   // no ".htm" yet
    const QByteArray saved = savedHtml();
    EXPECT_TRUE(saved.contains("<body>Dear [Column#1],<br>\r\n<br>\r\n&lt;b&gt;Prices&lt;/b&gt; &lt; 5 &amp; more<br>\r\n"
                               "Write to &lt;info@example.com&gt;</body>")) << saved.constData();
    EXPECT_TRUE(saved.endsWith("</html>\r\n"));
    EXPECT_FALSE(editor->htmlPage->HtmlModified());
    EXPECT_FALSE(editor->cbModi->isChecked());
}

// The size box shows the size of the text where the caret is from the page's first showing on, not the box's
// first item: 12-point text reads "12", 24-point text "24".
TEST_F(HtmlPageTest, SizeBoxShowsTheSizeAtTheCaretOnceThePageIsShown)
{
    openHtmlProject({}, "Twelve points\r\n");
    EXPECT_TRUE(waitUntil([&] { return editor->htmlPage->cbFontSize->currentText() == "12"; }))
        << editor->htmlPage->cbFontSize->currentText().toStdString();
    writeFileBytes(testHome() + "Mailing.htm", "<html><body><p style=\"font-size: 24pt\">big</p></body></html>\r\n");
    ASSERT_EQ(OpenProject(testHome() + "Mailing.eml", false), OpenProjectOutcome::Opened);
    editor = NewMod2MessageForm;
    ASSERT_TRUE(waitForPage());
    EXPECT_TRUE(waitUntil([&] { return editor->htmlPage->cbFontSize->currentText() == "24"; }))
        << editor->htmlPage->cbFontSize->currentText().toStdString();
    EXPECT_FALSE(editor->htmlPage->HtmlModified());
}

TEST_F(HtmlPageTest, NewProjectSwitchedToHtmlReadsEnter)
{
    ASSERT_EQ(OpenProject(testHome() + "*.eml", true), OpenProjectOutcome::Opened);
    editor = NewMod2MessageForm;
    editor->BoxTypeMes->setCurrentIndex(1);
    emit editor->BoxTypeMes->activated(1);
    ASSERT_TRUE(waitForPage());
    EXPECT_TRUE(source().contains("<body>Enter ... </body>")) << source().toStdString();
    EXPECT_TRUE(editor->cbModi->isChecked());
}

// "Import message from html file" follows the HTML page being shown, also when the page comes back after the
// plain one, and when the editor is activated again.
TEST_F(HtmlPageTest, ImportItemFollowsTheHtmlPage)
{
    openHtmlProject("<html><body><p>x</p></body></html>\r\n");
    auto* item = form->findChild<QAction*>("miImporthtml");
    ASSERT_NE(item, nullptr);
    const auto showFormat = [&](int index) {
        editor->BoxTypeMes->setCurrentIndex(index);
        emit editor->BoxTypeMes->activated(index);
    };
    EXPECT_TRUE(waitUntil([&] { return item->isEnabled(); }));
    showFormat(0);
    EXPECT_TRUE(waitUntil([&] { return !item->isEnabled(); }));
    showFormat(1);
    EXPECT_TRUE(waitUntil([&] { return item->isEnabled(); }));
    WindowMessage::post(form.get(), WM_UPDATEMENUS);
    auto* sub = qobject_cast<QMdiSubWindow*>(editor->parentWidget());
    ASSERT_NE(sub, nullptr);
    emit sub->aboutToActivate();
    sorvanta::test::pumpEvents(100);
    EXPECT_TRUE(item->isEnabled());
}

TEST_F(HtmlPageTest, BoldColourAndSizeApplyToTheSelection)
{
    openHtmlProject("<html><head></head><body><p id=\"t\">hello world</p></body></html>\r\n");
    EXPECT_FALSE(editor->htmlPage->HtmlModified());
    selectElementText("t");
    editor->htmlPage->ToolbarCommand(HtmlEditorPage::TagBold);
    onNextModalOf<QColorDialog>([](QColorDialog* dialog) {
        dialog->setCurrentColor(QColor(255, 0, 0));
        dialog->accept();
    });
    editor->htmlPage->ToolbarCommand(HtmlEditorPage::TagFontColour);
    editor->htmlPage->cbFontSize->setCurrentIndex(6);
    editor->htmlPage->ToolbarCommand(HtmlEditorPage::TagFontSize);
    EXPECT_TRUE(editor->cbModi->isChecked());
    EXPECT_TRUE(editor->htmlPage->HtmlModified());
    const QByteArray saved = savedHtml();
    EXPECT_TRUE(saved.contains("<b>")) << saved.constData();
    EXPECT_TRUE(saved.contains("color=\"#ff0000\"")) << saved.constData();
    EXPECT_TRUE(saved.contains("size=\"7\"")) << saved.constData();
    EXPECT_TRUE(saved.contains("hello world</font>") || saved.contains("hello world</b>")) << saved.constData();
}

TEST_F(HtmlPageTest, BackgroundColourIsAChangeAndKeepsCustomColours)
{
    openHtmlProject("<html><body><p>x</p></body></html>\r\n");
    QColorDialog::setCustomColor(3, QColor(1, 2, 3));
    onNextModalOf<QColorDialog>([](QColorDialog* dialog) {
        dialog->setCurrentColor(QColor(0x12, 0x34, 0x56));
        dialog->accept();
    });
    editor->htmlPage->ToolbarCommand(HtmlEditorPage::TagBackground);
    EXPECT_TRUE(editor->htmlPage->HtmlModified());
    EXPECT_TRUE(savedHtml().contains("bgcolor=\"#123456\""));
    EXPECT_TRUE(readFileBytes(testHome() + "Mailing.hcr").contains("ColorD=030201\r\n"));
}

TEST_F(HtmlPageTest, ImportCopiesPicturesRewritesSourcesAndRunsNoScript)
{
    openHtmlProject("<html><body>old</body></html>\r\n");
    const QString site = testHome() + "site dir/";
    ASSERT_TRUE(QDir().mkpath(site + "img") && QDir().mkpath(testHome() + "other"));
    const QByteArray inside("\x89PNG inside picture", 19);
    const QByteArray outside("GIF89a outside", 14);
    writeFileBytes(site + "img/a b.png", inside);
    writeFileBytes(testHome() + "other/b.gif", outside);
    writeFileBytes(site + "page.htm",
                   "<html><head><title>Old</title></head><body><p>caf\xe9</p>"
                   "<img src=\"img/a%20b.png\"><img src=\"../other/b.gif\"><img src=\"missing.png\">"
                   "<img src=\"data:image/gif;base64,R0lGODlhAQABAAAAACw=\">"
                   "<script>document.body.setAttribute('data-ran', 'yes')</script></body></html>\r\n");
    HtmlEditorPage::Choosers choosers;
    choosers.htmlFile = [site](QWidget*) { return site + "page.htm"; };
    editor->htmlPage->setChoosers(choosers);
    editor->cbModi->setChecked(false);

    WindowMessage::post(editor, WM_TOOLCOMMAND, 0, ToolImportHtml);
    ASSERT_TRUE(waitUntil([&] { return readFileBytes(testHome() + "Mailing.htm").contains("Mailing/"); }, kPageWaitMs));
    ASSERT_TRUE(waitForPage());

    EXPECT_EQ(readFileBytes(testHome() + "Mailing/img/a b.png"), inside);
    EXPECT_EQ(readFileBytes(testHome() + "Mailing/b.gif"), outside);
    const QByteArray saved = readFileBytes(testHome() + "Mailing.htm");
    const QByteArray pictures = QUrl::fromLocalFile(testHome() + "Mailing/").toEncoded();
    EXPECT_TRUE(saved.contains("src=\"" + pictures + "img/a%20b.png\"")) << saved.constData();
    EXPECT_TRUE(saved.contains("src=\"" + pictures + "b.gif\"")) << saved.constData();
    EXPECT_TRUE(saved.contains("src=\"" + QUrl::fromLocalFile(site + "missing.png").toEncoded() + "\""));
    EXPECT_TRUE(saved.contains("src=\"" + pictures + "picture.gif\""));   // a data: picture written out
    EXPECT_EQ(readFileBytes(testHome() + "Mailing/picture.gif"), QByteArray::fromBase64("R0lGODlhAQABAAAAACw="));
    EXPECT_TRUE(saved.contains("<title>Mailing</title>"));
    EXPECT_TRUE(saved.contains("caf\xc3\xa9"));   // a legacy byte read as Windows-1252, saved as UTF-8
    EXPECT_FALSE(saved.contains("data-ran=\"yes\""));
    EXPECT_TRUE(editor->cbModi->isChecked());

    // The sending window embeds what the page saved.
    QString html = QString::fromUtf8(saved);
    QStringList files, ids;
    EmbedHtmlImages(html, files, ids, {testHome(), QString(), "mail.example.com"});
    EXPECT_EQ(files, QStringList({testHome() + "Mailing/img/a b.png", testHome() + "Mailing/b.gif",
                                  testHome() + "Mailing/picture.gif"}));
}

using sorvanta::test::HttpRoute;
using sorvanta::test::HttpTestServer;

// The picture folder's files, with their sub-folders, as "name=bytes".
QStringList pictureFolderFiles()
{
    QStringList files;
    const QString folder = testHome() + "Mailing/";
    QDirIterator it(folder, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        files << path.mid(folder.size()) + "=" + QString::fromLatin1(readFileBytes(path));
    }
    files.sort();
    return files;
}

class HtmlImportWebTest : public HtmlPageTest {
protected:
    void importPage(const QByteArray& html)
    {
        const QString page = testHome() + "site/page.htm";
        QDir().mkpath(testHome() + "site");
        writeFileBytes(page, html);
        HtmlEditorPage::Choosers choosers;
        choosers.htmlFile = [page](QWidget*) { return page; };
        editor->htmlPage->setChoosers(choosers);
        WindowMessage::post(editor, WM_TOOLCOMMAND, 0, ToolImportHtml);
    }

    QByteArray web(const char* path) const { return server.url(path).toUtf8(); }
    QByteArray local(const char* name) const { return QUrl::fromLocalFile(testHome() + "Mailing/" + name).toEncoded(); }

    HttpTestServer server;
};

// Every web picture comes through the fetcher within its bounds; the page's style sheet, script and frame are
// never asked for, its script never runs, and the user is told which pictures stayed remote and why.
TEST_F(HtmlImportWebTest, WebPicturesAreFetchedBoundedAndFailuresNamed)
{
    openHtmlProject("<html><body>old</body></html>\r\n");
    ProjectIniInfo.TimeOut = 1;
    server.route("/pics/logo.png", HttpRoute::ok("image/png", "logo bytes"));
    server.route("/pics/photo", HttpRoute::ok("image/jpeg", "photo bytes"));
    server.route("/slow.png", HttpRoute::silent());
    server.route("/big.png", HttpRoute::stalled("x", 30 * 1024 * 1024));
    server.route("/loop.png", HttpRoute::redirect("/loop.png"));
    for (const char* path : {"/style.css", "/script.js", "/frame.htm"})
        server.route(path, HttpRoute::ok("text/plain", "never"));
    importPage("<html><head><link rel=\"stylesheet\" href=\"" + web("/style.css") + "\"><script src=\"" + web("/script.js")
               + "\"></script></head><body><p>text</p><img src=\"" + web("/pics/logo.png") + "\"><img src=\""
               + web("/pics/photo") + "\"><img src=\"" + web("/slow.png") + "\"><img src=\"" + web("/big.png")
               + "\"><img src=\"" + web("/loop.png") + "\"><img src=\"" + web("/gone.png") + "\"><img src=\""
               + web("/pics/logo.png") + "\"><img src=\"data:image/png;base64,ZGF0YSBieXRlcw==\"><iframe src=\""
               + web("/frame.htm") + "\"></iframe><script>document.body.setAttribute('data-ran', 'yes')</script>"
                 "</body></html>");
    ASSERT_TRUE(waitUntil([&] { return readFileBytes(testHome() + "Mailing.htm").contains("Mailing/"); }, kPageWaitMs));
    ASSERT_TRUE(waitForPage());

    EXPECT_EQ(pictureFolderFiles(), QStringList({"logo.png=logo bytes", "photo.jpg=photo bytes", "picture.png=data bytes"}));
    const QByteArray saved = readFileBytes(testHome() + "Mailing.htm");
    EXPECT_EQ(saved.count("src=\"" + local("logo.png") + "\""), 2) << saved.constData();
    for (const QByteArray& kept : {local("photo.jpg"), local("picture.png"), web("/slow.png"), web("/big.png"),
                                   web("/loop.png"), web("/gone.png")})
        EXPECT_TRUE(saved.contains("src=\"" + kept + "\"")) << kept.constData() << "\n" << saved.constData();
    EXPECT_FALSE(saved.contains("data-ran=\"yes\""));
    EXPECT_EQ(server.requests().count("/pics/logo.png"), 1);
    EXPECT_EQ(server.requests().count("/loop.png"), 1 + PictureFetcher::MaxRedirects);
    for (const char* never : {"/style.css", "/script.js", "/frame.htm"})
        EXPECT_FALSE(server.requests().contains(never)) << never;

    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].caption, "Import message from html file");
    const QString& text = boxes.boxes[0].text;
    EXPECT_TRUE(text.startsWith("4 picture(s) could not be fetched")) << text.toStdString();
    for (const QString& line : {server.url("/slow.png") + ": not fetched within 1 second(s)",
                                server.url("/big.png") + ": 30 MB, more than 20 MB",
                                server.url("/loop.png") + ": more than 5 redirects",
                                server.url("/gone.png") + ": HTTP 404 Not Found"})
        EXPECT_TRUE(text.contains(line)) << text.toStdString();
}

// Stop while a picture comes ends that one and every one after it; what came before stays.
TEST_F(HtmlImportWebTest, StopEndsTheFetching)
{
    openHtmlProject("<html><body>old</body></html>\r\n");
    server.route("/a.png", HttpRoute::ok("image/png", "first"));
    server.route("/stall.png", HttpRoute::stalled(QByteArray(1000, 's')));
    server.route("/c.png", HttpRoute::ok("image/png", "never"));
    QString caption;
    sorvanta::test::onNextModal(
        [&](QWidget* modal) {
            caption = modal->windowTitle();
            static_cast<TProgAddress*>(modal)->SpeedButton1->click();
        },
        [&](QWidget* modal) { return qobject_cast<TProgAddress*>(modal) && server.requests().contains("/stall.png"); });
    importPage("<html><body><img src=\"" + web("/a.png") + "\"><img src=\"" + web("/stall.png") + "\"><img src=\""
               + web("/c.png") + "\"></body></html>");
    ASSERT_TRUE(waitUntil([&] { return readFileBytes(testHome() + "Mailing.htm").contains("Mailing/"); }, kPageWaitMs));
    EXPECT_EQ(caption, "Fetching stall.png (2 of 3)");
    EXPECT_EQ(pictureFolderFiles(), QStringList({"a.png=first"}));
    EXPECT_FALSE(server.requests().contains("/c.png"));
    const QByteArray saved = readFileBytes(testHome() + "Mailing.htm");
    EXPECT_TRUE(saved.contains("src=\"" + local("a.png") + "\""));
    EXPECT_TRUE(saved.contains("src=\"" + web("/stall.png") + "\""));
    EXPECT_TRUE(saved.contains("src=\"" + web("/c.png") + "\""));
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_TRUE(boxes.boxes[0].text.contains(server.url("/c.png") + ": stopped")) << boxes.boxes[0].text.toStdString();
}

// Inserting a picture by its web address fetches it into the project; one that cannot be fetched is
// inserted by its address and the user told why.
TEST_F(HtmlImportWebTest, PictureInsertedByAddressIsFetched)
{
    openHtmlProject("<html><body><p id=\"t\">x</p></body></html>\r\n");
    server.route("/pics/logo.png", HttpRoute::ok("image/png", "logo bytes"));
    QString chosen = server.url("/pics/logo.png");
    HtmlEditorPage::Choosers choosers;
    choosers.pictureFile = [&chosen](QWidget*) { return chosen; };
    editor->htmlPage->setChoosers(choosers);
    caretAtEndOf("t");
    editor->htmlPage->ToolbarCommand(HtmlEditorPage::TagImage);
    chosen = server.url("/gone.png");
    editor->htmlPage->ToolbarCommand(HtmlEditorPage::TagImage);
    EXPECT_EQ(pictureFolderFiles(), QStringList({"logo.png=logo bytes"}));
    const QByteArray saved = savedHtml();
    EXPECT_TRUE(saved.contains("<img src=\"" + local("logo.png") + "\">")) << saved.constData();
    EXPECT_TRUE(saved.contains("<img src=\"" + web("/gone.png") + "\">")) << saved.constData();
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_TRUE(boxes.boxes[0].text.contains(server.url("/gone.png") + ": HTTP 404 Not Found"));
}

// A project page in KOI8-R (http-equiv form) edited and saved, and a windows-1252 page (charset form)
// imported: each saved file is UTF-8, says so once, and keeps its letters.
TEST_F(HtmlPageTest, LegacyPagesAreSavedAsUtf8SayingSo)
{
    openHtmlProject("<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=koi8-r\">"
                    "<title>t</title></head><body><p id=\"t\">\xF0\xD2\xC9\xD7\xC5\xD4</p></body></html>\r\n");
    caretAtEndOf("t");
    ASSERT_TRUE(view()->insertText("!"));
    QByteArray saved = savedHtml();
    EXPECT_TRUE(saved.contains("<head><meta charset=\"utf-8\"><title>")) << saved.constData();
    EXPECT_EQ(saved.count("charset"), 1) << saved.constData();
    EXPECT_TRUE(saved.contains(u"Привет!</p>"_qs.toUtf8())) << saved.constData();

    const QString page = testHome() + "legacy.htm";
    writeFileBytes(page, "<html><head><META CHARSET=windows-1252></head><body><p>Caf\xE9 \x80 \x93ok\x94</p></body></html>");
    HtmlEditorPage::Choosers choosers;
    choosers.htmlFile = [page](QWidget*) { return page; };
    editor->htmlPage->setChoosers(choosers);
    WindowMessage::post(editor, WM_TOOLCOMMAND, 0, ToolImportHtml);
    ASSERT_TRUE(waitUntil([&] { return readFileBytes(testHome() + "Mailing.htm").contains("Caf"); }, kPageWaitMs));
    saved = readFileBytes(testHome() + "Mailing.htm");
    EXPECT_TRUE(saved.contains("<head><meta charset=\"utf-8\"><title>Mailing</title>")) << saved.constData();
    EXPECT_EQ(saved.count("charset"), 1) << saved.constData();
    EXPECT_TRUE(saved.contains(u"<p>Café € “ok”</p>"_qs.toUtf8())) << saved.constData();
}

TEST_F(HtmlPageTest, EnterBreaksTheLineAndShiftEnterStartsAParagraph)
{
    openHtmlProject("<html><body><p id=\"t\">one</p></body></html>\r\n");
    caretAtEndOf("t");
    QWidget* input = view()->inputWidget();
    ASSERT_NE(input, nullptr);
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, "\r");
    QCoreApplication::sendEvent(input, &enter);
    EXPECT_TRUE(source().contains("one<br>")) << source().toStdString();
    QKeyEvent shiftEnter(QEvent::KeyPress, Qt::Key_Return, Qt::ShiftModifier, "\r");
    QCoreApplication::sendEvent(input, &shiftEnter);
    EXPECT_EQ(source().count("<p"), 2) << source().toStdString();
    EXPECT_TRUE(editor->htmlPage->HtmlModified());
}

TEST_F(HtmlPageTest, MergeFieldDropInsertsAtTheSelectionWithoutTheClipboard)
{
    openHtmlProject("<html><body><p id=\"t\">Dear</p></body></html>\r\n");
    caretAtEndOf("t");
    QApplication::clipboard()->setText("kept");
    const auto drop = [&](PlaceholderSource from, const QString& text) {
        std::unique_ptr<QMimeData> data(placeholderMimeData(from, text));
        QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, data.get(), Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(view()->inputWidget(), &enter);   // where the engine takes drags
        QDropEvent event(QPointF(5, 5), Qt::CopyAction, data.get(), Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(view()->inputWidget(), &event);
        return enter.isAccepted() && event.isAccepted();
    };
    EXPECT_FALSE(drop(PlaceholderSource::ListGrid, "[Column#9]"));
    EXPECT_TRUE(drop(PlaceholderSource::MergeChooser, "[Column#2]"));
    EXPECT_EQ(QApplication::clipboard()->text(), "kept");
    const QByteArray saved = savedHtml();
    EXPECT_TRUE(saved.contains("Dear[Column#2]</p>")) << saved.constData();
    EXPECT_FALSE(saved.contains("Column#9"));
}

struct TableCase {
    const char* name;
    QByteArray body;    // the page's body; the caret goes where "|" stands
    QByteArray saved;   // the body as saved, the table written "@"
};

class TablePlacementTest : public HtmlPageTest, public ::testing::WithParamInterface<TableCase> {};

// A table goes between block elements, splitting the paragraph (and what is open in it) at the caret, never
// inside it: a parser would end the paragraph at the table. Its attributes stay as the dialog wrote them.
TEST_P(TablePlacementTest, GoesBetweenBlocksWithItsAttributes)
{
    const TableCase& c = GetParam();
    QByteArray body = c.body;
    body.replace("|", "<span id=\"caret\"></span>");
    openHtmlProject("<html><body>" + body + "</body></html>");
    ASSERT_TRUE(view()->runScript("var c = document.getElementById('caret'), r = document.createRange();"
                                  " if (c) { r.setStartBefore(c); r.collapse(true); c.remove();"
                                  " getSelection().removeAllRanges(); getSelection().addRange(r); } true")
                    .value_or(false).toBool());
    const QByteArray table = "<table border=\"1\" width=\"10\"><tbody><tr><td width=\"10\"></td></tr></tbody></table>";
    HtmlEditorPage::Choosers choosers;
    choosers.table = [](QWidget*) { return std::optional<QString>("<TABLE border=1 width=10 ><TR><TD width=10></TD></TR></Table>"); };
    editor->htmlPage->setChoosers(choosers);
    editor->htmlPage->ToolbarCommand(HtmlEditorPage::TagTable);
    QByteArray expected = c.saved;
    expected.replace("@", table);
    const QByteArray saved = savedHtml();
    EXPECT_TRUE(saved.contains("<body>" + expected + "</body>")) << saved.constData();
}

INSTANTIATE_TEST_SUITE_P(Carets, TablePlacementTest, ::testing::Values(
    TableCase{"end_of_paragraph", "<p id=\"t\">one|</p><p>two</p>", "<p id=\"t\">one</p>@<p>two</p>"},
    TableCase{"start_of_paragraph", "<p>|one</p>", "@<p>one</p>"},
    TableCase{"inside_bold_in_a_paragraph", "<p id=\"t\">a <b>bo|ld</b> c</p>",
              "<p id=\"t\">a <b>bo</b></p>@<p><b>ld</b> c</p>"},
    TableCase{"heading", "<h1>Ti|tle</h1>", "<h1>Ti</h1>@<h1>tle</h1>"},
    TableCase{"text_of_the_body", "Dear,<br>\r\nte|xt", "Dear,<br>\r\nte@xt"},
    TableCase{"cell_of_a_table", "<table><tbody><tr><td>a|b</td></tr></tbody></table>",
              "<table><tbody><tr><td>a@b</td></tr></tbody></table>"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(HtmlPageTest, FailedSaveKeepsTheProjectModified)
{
    openHtmlProject({});
    ASSERT_TRUE(QDir().mkpath(testHome() + "Mailing.htm"));   // a folder where the file must go
    editor->cbModi->setChecked(true);
    EXPECT_FALSE(editor->SaveProject(false));
    EXPECT_TRUE(editor->cbModi->isChecked());
    ASSERT_FALSE(boxes.boxes.empty());
    EXPECT_EQ(boxes.boxes[0].text, "Fail to save HTML source : " + testHome() + "Mailing.htm\nIs a directory");
    EXPECT_EQ(boxes.boxes[0].caption, "Error");
}

TEST_F(HtmlPageTest, PreviewSavesAndStartsTheBrowserOnTheFile)
{
    openHtmlProject({});
    const QString data = testHome() + "data/";
    ASSERT_TRUE(QDir().mkpath(data + "applications"));
    const QString log = testHome() + "browser.log";
    writeFileBytes(testHome() + "browser.sh", "#!/bin/sh\nprintf '%s' \"$1\" > '" + log.toUtf8() + ".part' && mv '"
                                                  + log.toUtf8() + ".part' '" + log.toUtf8() + "'\n");
    QFile::setPermissions(testHome() + "browser.sh", QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    writeFileBytes(data + "applications/fake.desktop",
                   "[Desktop Entry]\nType=Application\nName=Fake\nExec=" + (testHome() + "browser.sh").toUtf8() + " %u\n");
    const QByteArray savedXdg = qgetenv("XDG_DATA_HOME");
    qputenv("XDG_DATA_HOME", data.toUtf8());
    editor->htmlPage->GoToWeb1->setHandlerQuery([] { return QStringLiteral("fake.desktop"); });
    editor->htmlPage->ToolbarCommand(HtmlEditorPage::TagPreview);
    const bool started = waitUntil([&] { return QFile::exists(log); });
    qputenv("XDG_DATA_HOME", savedXdg);
    ASSERT_TRUE(started);
    EXPECT_EQ(readFileBytes(log), (testHome() + "Mailing.htm").toUtf8());
    EXPECT_TRUE(readFileBytes(testHome() + "Mailing.htm").contains("Dear [Column#1],"));
}

// With no browser anywhere, Preview still saves the page and then says in a box what is missing.
TEST_F(HtmlPageTest, PreviewWithoutABrowserSaysSo)
{
    openHtmlProject({});
    sorvanta::test::DesktopSandbox desktop;   // no text/html handler
    sorvanta::test::EnvironmentScope environment;
    environment.set("DISPLAY", ":99");        // xdg-open looks for a browser only with a display
    environment.set("BROWSER", "/bin/false");
    editor->htmlPage->ToolbarCommand(HtmlEditorPage::TagPreview);
    ASSERT_TRUE(waitUntil([&] { return !boxes.boxes.empty(); }));
    EXPECT_EQ(boxes.boxes[0].text, "No web browser is set for HTML files. xdg-open found no program to open "
                                       + testHome() + "Mailing.htm.");
    EXPECT_EQ(boxes.boxes[0].caption, "Error");
    EXPECT_TRUE(readFileBytes(testHome() + "Mailing.htm").contains("Dear [Column#1],"));
    sorvanta::test::pumpEvents(200);
    EXPECT_EQ(boxes.boxes.size(), 1u);
}

TEST_F(HtmlPageTest, ToolbarFollowsTheFontAtTheCaretWithoutApplyingIt)
{
    openHtmlProject("<html><body><p><font size=\"5\" face=\"DejaVu Serif\" id=\"t\">big</font></p></body></html>\r\n");
    caretAtEndOf("t");
    editor->cbModi->setChecked(false);
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_Right, Qt::NoModifier);
    QCoreApplication::sendEvent(view()->inputWidget(), &release);
    EXPECT_TRUE(waitUntil([&] { return editor->htmlPage->cbFontSize->currentIndex() == 4; }));
    EXPECT_TRUE(waitUntil([&] { return editor->htmlPage->cbFontName->FontName() == "DejaVu Serif"; }));
    EXPECT_FALSE(editor->cbModi->isChecked());
    EXPECT_FALSE(editor->htmlPage->HtmlModified());
}

// A family that several foundries make: the box offers it by the name the page takes, choosing it sets that
// name in the page, and the caret in text of that family shows it in the box.
TEST_F(HtmlPageTest, FontOfSeveralFoundriesIsAppliedAndFollowedByItsPageName)
{
    using sorvanta::test::fontWithVendor;
    const int first = QFontDatabase::addApplicationFontFromData(fontWithVendor(sorvanta::test::kSplitFontFile, "ZZZZ"));
    const int second = QFontDatabase::addApplicationFontFromData(fontWithVendor(sorvanta::test::kSplitFontFile, "YYYY"));
    openHtmlProject("<html><body><p id=\"t\">word</p><p id=\"u\">other</p></body></html>\r\n");
    TFontComboBox* box = editor->htmlPage->cbFontName;
    box->rebuildList();
    QFontDatabase::removeApplicationFont(first);
    QFontDatabase::removeApplicationFont(second);
    const int index = box->findText(sorvanta::test::kSplitFontFamily);
    ASSERT_GE(index, 0);
    selectElementText("t");
    box->setCurrentIndex(index);
    emit box->activated(index);
    EXPECT_TRUE(source().contains("<font face=\"DejaVu Sans Mono\">word</font>")) << source().toStdString();

    caretAtEndOf("u");
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_Right, Qt::NoModifier);
    QCoreApplication::sendEvent(view()->inputWidget(), &release);
    ASSERT_TRUE(waitUntil([&] { return box->FontName() != "DejaVu Sans Mono"; }));
    caretAtEndOf("t");
    QCoreApplication::sendEvent(view()->inputWidget(), &release);
    EXPECT_TRUE(waitUntil([&] { return box->FontName() == "DejaVu Sans Mono"; })) << box->FontName().toStdString();
}

TEST_F(HtmlPageTest, LinkAsksForTheAddress)
{
    openHtmlProject("<html><body><p id=\"t\">site</p></body></html>\r\n");
    selectElementText("t");
    HtmlEditorPage::Choosers choosers;
    choosers.linkAddress = [](QString& address) {
        address = "https://example.com/a b";
        return true;
    };
    editor->htmlPage->setChoosers(choosers);
    editor->htmlPage->ToolbarCommand(HtmlEditorPage::TagLink);
    EXPECT_TRUE(savedHtml().contains("<a href=\"https://example.com/a b\">site</a>"));
}

// A dialog of the toolbar that the user cancels leaves the page and the project's modified flag as they were.
TEST_F(HtmlPageTest, CancelledDialogsLeaveTheProjectUnmodified)
{
    openHtmlProject("<html><body><p id=\"t\">x</p></body></html>\r\n");
    HtmlEditorPage::Choosers choosers;   // the picture dialog is the program's own
    choosers.linkAddress = [](QString&) { return false; };
    choosers.table = [](QWidget*) { return std::optional<QString>(); };
    choosers.htmlFile = [](QWidget*) { return QString(); };
    editor->htmlPage->setChoosers(choosers);
    ASSERT_FALSE(editor->cbModi->isChecked());
    onNextModalOf<PictureOpenDialog>([](PictureOpenDialog* dialog) { dialog->reject(); });
    onNextModalOf<QColorDialog>([](QColorDialog* dialog) { dialog->reject(); });
    for (const int tag : {HtmlEditorPage::TagImage, HtmlEditorPage::TagFontColour, HtmlEditorPage::TagLink, HtmlEditorPage::TagTable,
                          HtmlEditorPage::TagOpen}) {
        editor->htmlPage->ToolbarCommand(tag);
        EXPECT_FALSE(editor->cbModi->isChecked()) << "tag " << tag;
    }
    EXPECT_FALSE(editor->htmlPage->HtmlModified());
}

struct MissingEngineCase {
    const char* name;
    QByteArray moduleFile;   // written as the module; none when empty
    const char* message;     // the start of what the user is told
};

class MissingEngineTest : public HtmlPageTest, public ::testing::WithParamInterface<MissingEngineCase> {};

// Without a usable engine module the html project opens all the same: the page says why once, in a box and in
// WB's place, and the project's ".htm" stays as it was through a save.
TEST_P(MissingEngineTest, PageSaysSoAndTheBodyIsKept)
{
    const MissingEngineCase& c = GetParam();
    const QString module = testHome() + "engine/sorvanta_html_engine.so";
    if (!c.moduleFile.isEmpty()) {
        QDir().mkpath(testHome() + "engine");
        writeFileBytes(module, c.moduleFile);
    }
    sorvanta::test::EnvironmentScope environment;
    environment.set("SORVANTA_HTML_ENGINE", module);
    const QByteArray htm = "<html><body><p>kept</p></body></html>\r\n";
    writeFileBytes(testHome() + "Mailing.eml", "[Common]\r\nSubject=Hello\r\nHtml=1\r\n");
    writeFileBytes(testHome() + "Mailing.htm", htm);
    ASSERT_EQ(OpenProject(testHome() + "Mailing.eml", false), OpenProjectOutcome::Opened);
    editor = NewMod2MessageForm;
    EXPECT_EQ(editor->pcl->currentWidget(), editor->tsHtml);
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_TRUE(boxes.boxes[0].text.startsWith(c.message)) << boxes.boxes[0].text.toStdString();
    EXPECT_TRUE(boxes.boxes[0].text.contains(module)) << boxes.boxes[0].text.toStdString();
    EXPECT_EQ(boxes.boxes[0].caption, "WYSIWYG HTML Editor");
    auto* note = editor->htmlPage->findChild<QLabel*>("lblHtmlEngineMissing");
    ASSERT_NE(note, nullptr);
    EXPECT_EQ(note->text(), boxes.boxes[0].text);
    EXPECT_EQ(view(), nullptr);

    editor->BoxTypeMes->setCurrentIndex(0);
    emit editor->BoxTypeMes->activated(0);
    editor->BoxTypeMes->setCurrentIndex(1);
    emit editor->BoxTypeMes->activated(1);
    EXPECT_EQ(boxes.boxes.size(), 1u);   // once per project
    EXPECT_TRUE(editor->SaveProject(false));
    EXPECT_EQ(readFileBytes(testHome() + "Mailing.htm"), htm);
}

INSTANTIATE_TEST_SUITE_P(Modules, MissingEngineTest, ::testing::Values(
    MissingEngineCase{"missing", {}, "The HTML editor is not installed: "},
    MissingEngineCase{"not_a_library", "not a shared object\n", "The HTML editor cannot be started: "}),
    [](const auto& info) { return std::string(info.param.name); });

// A page whose frame never arrives (a pipe that nobody writes) never finishes loading: the wait ends with a
// message, and the page that never loaded writes nothing over the ".htm".
TEST(HtmlViewTest, PageThatNeverFinishesTimesOutAndWritesNothing)
{
    ASSERT_TRUE(engineReady);
    const QString pipe = testHome() + "never.htm";
    ASSERT_EQ(mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    const QString file = testHome() + "slow.htm";
    const QByteArray body = "<html><body><iframe src=\"never.htm\"></iframe></body></html>\r\n";
    writeFileBytes(file, body);
    QString error;
    std::unique_ptr<HtmlView> page(HtmlView::create(nullptr, &error));
    ASSERT_TRUE(page) << error.toStdString();
    HtmlView& view = *page;
    view.show();
    view.setLoadTimeout(1500);
    QStringList failures;
    QObject::connect(&view, &HtmlView::loadFailed, [&](const QString& reason) { failures << reason; });
    ASSERT_TRUE(view.loadHtmlFile(file));
    const bool failed = waitUntil([&] { return !failures.isEmpty(); });
    const int writer = ::open(QFile::encodeName(pipe).constData(), O_WRONLY | O_NONBLOCK);   // lets a reader go
    if (writer >= 0)
        ::close(writer);
    ASSERT_TRUE(failed);
    EXPECT_EQ(failures, QStringList("The HTML page did not finish loading."));
    EXPECT_FALSE(view.documentReady());
    EXPECT_EQ(SaveHtmlBody(view, file), HtmlSaveResult::NotLoaded);
    EXPECT_EQ(readFileBytes(file), body);
}

TEST_F(HtmlPageTest, PageHiddenBehindThePlainPageStillSaves)
{
    openHtmlProject("<html><body><p id=\"t\">one</p></body></html>\r\n");
    editor->pcl->setCurrentWidget(editor->tsMsg);
    QCoreApplication::processEvents();
    ASSERT_FALSE(view()->isVisible());
    EXPECT_TRUE(view()->insertText("two"));
    EXPECT_TRUE(savedHtml().contains("two"));
}

TEST(HtmlViewTest, UnreadableFileIsReportedAndLoadsNothing)
{
    ASSERT_TRUE(engineReady);
    QString error;
    std::unique_ptr<HtmlView> view(HtmlView::create(nullptr, &error));
    ASSERT_TRUE(view) << error.toStdString();
    EXPECT_FALSE(view->loadHtmlFile(testHome() + "missing.htm", &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_FALSE(view->documentReady());
}

}  // namespace
