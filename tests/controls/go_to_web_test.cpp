// The browser link against a desktop laid out in the test's folder: xdg-mime finds the text/html handler
// in a mimeapps.list written there, and the handler's Exec runs a script that logs its arguments.

#include "controls/desktop_entry.h"
#include "controls/go_to_web.h"
#include "controls/mime_handler_query.h"

#include "tests/support/desktop_sandbox.h"
#include "tests/support/test_files.h"
#include "tests/support/wait_until.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QUrl>

namespace {

using sorvanta::test::DesktopSandbox;
using sorvanta::test::writeFileBytes;

// Receives what the desktop is asked to open in place of it.
class DesktopOpener : public QObject {
    Q_OBJECT

public:
    QList<QUrl> opened;

public slots:
    void open(const QUrl& url) { opened += url; }
};

class GoToWebTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        root = sandbox.root();
        for (const char* scheme : {"file", "http", "https"})
            QDesktopServices::setUrlHandler(scheme, &desktop, "open");
    }

    void TearDown() override
    {
        for (const char* scheme : {"file", "http", "https"})
            QDesktopServices::unsetUrlHandler(scheme);
    }

    QString writeLoggingBrowser(const QString& name) { return sandbox.writeLoggingProgram(name); }
    void writeEntry(const QString& folder, const QString& id, const QByteArray& exec)
    {
        sandbox.writeEntry(folder, id, exec);
    }
    void setDefaultBrowser(const QString& id) { sandbox.setDefault("text/html", id); }
    QString logPath() const { return sandbox.logPath(); }
    QStringList loggedArguments() { return sandbox.loggedArguments(); }

    DesktopSandbox sandbox;
    QString root;
    DesktopOpener desktop;
};

TEST_F(GoToWebTest, XdgMimeNamesTheHandlerOfTheMimeappsList)
{
    EXPECT_EQ(queryDefaultMimeHandler("text/html"), QString());
    const QString script = writeLoggingBrowser("browser.sh");
    writeEntry("data", "testbrowser.desktop", script.toUtf8() + " %u");
    setDefaultBrowser("testbrowser.desktop");
    EXPECT_EQ(queryDefaultMimeHandler("text/html"), "testbrowser.desktop");
}

TEST_F(GoToWebTest, OptionsStayBeforeTheAddressWhichArrivesAsOneArgument)
{
    const QString script = writeLoggingBrowser("browser.sh");
    writeEntry("data", "testbrowser.desktop", script.toUtf8() + " --new-window \"two words\" %U");
    setDefaultBrowser("testbrowser.desktop");

    TGoToWeb link;
    link.Url = root + "my preview/page one; $(touch pwned) 'x'.htm";
    EXPECT_EQ(link.FindBrowserCommand(), script + " --new-window \"two words\" %U");
    ASSERT_TRUE(link.GoToUrl()) << link.errorString().toStdString();
    EXPECT_EQ(loggedArguments(), QStringList({"--new-window", "two words", link.Url}));
    EXPECT_FALSE(QFile::exists(QDir::currentPath() + "/pwned"));
    EXPECT_TRUE(desktop.opened.isEmpty());
}

TEST_F(GoToWebTest, EntryIsFoundInTheSystemFoldersToo)
{
    const QString script = writeLoggingBrowser("browser.sh");
    writeEntry("system", "systembrowser.desktop", script.toUtf8() + " %u");
    setDefaultBrowser("systembrowser.desktop");

    TGoToWeb link;
    link.Url = "http://127.0.0.1/index.html";
    ASSERT_TRUE(link.GoToUrl()) << link.errorString().toStdString();
    EXPECT_EQ(loggedArguments(), QStringList{link.Url});
}

// A desktop-file id names a file in a vendor sub-folder too ("vendor-name.desktop" for "vendor/name.desktop"),
// and the address stands where the field code does.
TEST_F(GoToWebTest, VendorSubFolderEntryIsFoundAndTheAddressTakesTheFieldCodesPlace)
{
    const QString script = writeLoggingBrowser("browser.sh");
    writeEntry("system", "acme/browser.desktop", script.toUtf8() + " --new-window %u --flag");
    setDefaultBrowser("acme-browser.desktop");

    TGoToWeb link;
    link.Url = root + "my preview.htm";
    ASSERT_TRUE(link.GoToUrl()) << link.errorString().toStdString();
    EXPECT_EQ(loggedArguments(), QStringList({"--new-window", link.Url, "--flag"}));
    EXPECT_TRUE(desktop.opened.isEmpty());
}

TEST(DesktopEntryLookup, ResolvesVendorSubFoldersUserFolderFirst)
{
    DesktopSandbox sandbox;
    sandbox.writeEntry("system", "acme/tools/view.desktop", "system-nested");
    sandbox.writeEntry("system", "kde-apps/edit.desktop", "system-dashed-folder");
    sandbox.writeEntry("data", "org/acme.web.desktop", "user-vendor");
    sandbox.writeEntry("system", "org.acme.web.desktop", "system-flat");
    sandbox.writeEntry("system", "plain.desktop", "system-plain");
    const QString system = sandbox.root() + "system/applications/";
    EXPECT_EQ(findDesktopEntry("acme-tools-view.desktop"), system + "acme/tools/view.desktop");
    EXPECT_EQ(findDesktopEntry("kde-apps-edit.desktop"), system + "kde-apps/edit.desktop");
    EXPECT_EQ(findDesktopEntry("org-acme.web.desktop"), sandbox.root() + "data/applications/org/acme.web.desktop");
    EXPECT_EQ(findDesktopEntry("plain.desktop"), system + "plain.desktop");
    QDir().mkpath(system + "acme");   // a folder that holds no such entry is left again
    EXPECT_EQ(findDesktopEntry("acme-missing.desktop"), QString());
    EXPECT_EQ(findDesktopEntry("acme-.desktop"), QString());
    EXPECT_EQ(findDesktopEntry("acme-tools-view"), QString());
}

TEST_F(GoToWebTest, QuotedProgramPathWithBlanksIsStarted)
{
    QDir().mkpath(root + "my browser");
    const QString script = writeLoggingBrowser("my browser/run it.sh");
    writeEntry("data", "quoted.desktop", "\"" + script.toUtf8() + "\" --private %u");
    TGoToWeb link;
    link.setHandlerQuery([] { return QStringLiteral("quoted.desktop"); });
    link.Url = root + "page.htm";
    ASSERT_TRUE(link.GoToUrl()) << link.errorString().toStdString();
    EXPECT_EQ(loggedArguments(), QStringList({"--private", link.Url}));
}

struct NoHandlerCase {
    const char* name;
    const char* handler;   // the desktop file the desktop names for text/html, none when empty
    bool browserOpens;     // $BROWSER is a browser that opens the page, else one that fails
    bool withoutXdgOpen;   // xdg-open is not on PATH
    const char* failure;   // what openFailed says before the page's path, or nullptr when the page opened
};

class GoToWebNoHandlerTest : public GoToWebTest, public ::testing::WithParamInterface<NoHandlerCase> {};

// Without a usable text/html handler the desktop's opener (xdg-open, generic mode) looks for a browser; when it
// finds none, or is not there, openFailed says once what is missing.
TEST_P(GoToWebNoHandlerTest, DesktopsOpenerLooksForABrowserAndFailureIsNamed)
{
    const NoHandlerCase& c = GetParam();
    sorvanta::test::EnvironmentScope environment;
    environment.set("DISPLAY", ":99");   // xdg-open asks for the default program only with a display
    environment.set("BROWSER", c.browserOpens ? writeLoggingBrowser("browser.sh") : QStringLiteral("/bin/false"));
    if (c.withoutXdgOpen)
        environment.set("PATH", root);
    TGoToWeb link;
    if (*c.handler)
        link.setHandlerQuery([&c] { return QString::fromLatin1(c.handler); });
    link.Url = root + "my preview.htm";
    writeFileBytes(link.Url, "<html><body>page</body></html>\n");
    QStringList failures;
    QObject::connect(&link, &TGoToWeb::openFailed, [&](const QString& error) { failures << error; });
    ASSERT_TRUE(link.GoToUrl()) << link.errorString().toStdString();
    ASSERT_TRUE(sorvanta::test::waitUntil([] { return qApp->findChildren<QProcess*>().isEmpty(); }, 20000));
    sorvanta::test::pumpEvents(50);
    EXPECT_TRUE(desktop.opened.isEmpty());
    if (!c.failure) {
        EXPECT_TRUE(failures.isEmpty()) << failures.join('\n').toStdString();
        const QStringList arguments = loggedArguments();
        ASSERT_EQ(arguments.size(), 1);
        // mailcap's viewer may be handed a copy named for the type
        EXPECT_TRUE(arguments[0] == link.Url || arguments[0].endsWith(".html")) << arguments[0].toStdString();
        return;
    }
    ASSERT_EQ(failures.size(), 1);
    const QString expected = QString::fromLatin1(c.failure).replace("%1", link.Url);
    EXPECT_EQ(failures[0], expected);
    EXPECT_EQ(link.errorString(), expected);
}

INSTANTIATE_TEST_SUITE_P(Desktops, GoToWebNoHandlerTest, ::testing::Values(
    NoHandlerCase{"opener_finds_the_browser", "", true, false, nullptr},
    NoHandlerCase{"no_browser", "", false, false,
                  "No web browser is set for HTML files. xdg-open found no program to open %1."},
    NoHandlerCase{"named_entry_not_installed", "uninstalled.desktop", false, false,
                  "The web browser's desktop entry uninstalled.desktop is not installed. "
                  "xdg-open found no program to open %1."},
    NoHandlerCase{"no_opener", "", true, true,
                  "No web browser is set for HTML files. xdg-open, which would look for one, is not installed."}),
    [](const auto& info) { return std::string(info.param.name); });

struct BrokenEntryCase {
    const char* name;
    QByteArray contents;
    const char* message;  // a part of the error text
};

class GoToWebBrokenEntryTest : public GoToWebTest, public ::testing::WithParamInterface<BrokenEntryCase> {};

TEST_P(GoToWebBrokenEntryTest, GivesFalseAndSaysWhy)
{
    writeFileBytes(root + "data/applications/broken.desktop", GetParam().contents);
    TGoToWeb link;
    link.setHandlerQuery([] { return QStringLiteral("broken.desktop"); });
    link.Url = root + "page.htm";
    EXPECT_FALSE(link.GoToUrl());
    EXPECT_TRUE(link.errorString().contains(GetParam().message)) << link.errorString().toStdString();
    EXPECT_TRUE(desktop.opened.isEmpty());
}

INSTANTIATE_TEST_SUITE_P(Entries, GoToWebBrokenEntryTest, ::testing::Values(
    BrokenEntryCase{"missing_program", "[Desktop Entry]\nExec=/nonexistent/browser --new-window %u\n",
                    "/nonexistent/browser"},
    BrokenEntryCase{"unbalanced_quote", "[Desktop Entry]\nExec=\"/usr/bin/env --new-window %u\n", "quote"},
    BrokenEntryCase{"no_exec_line", "[Desktop Entry]\nName=Browser\n", "no Exec line"},
    BrokenEntryCase{"only_field_codes", "[Desktop Entry]\nExec=%u\n", "names no program"},
    BrokenEntryCase{"not_a_desktop_entry", QByteArray("\x7f" "ELF\x00\x01\x02", 7), "no Exec line"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(GoToWebTest, AddressesThatCannotBeOpenedStartNothing)
{
    const QString script = writeLoggingBrowser("browser.sh");
    writeEntry("data", "testbrowser.desktop", script.toUtf8() + " %u");
    TGoToWeb link;
    link.setHandlerQuery([] { return QStringLiteral("testbrowser.desktop"); });
    for (const QString& url : {QString(), QStringLiteral("   "), QStringLiteral("--remote-debugging-port=1")}) {
        link.Url = url;
        EXPECT_FALSE(link.GoToUrl()) << url.toStdString();
        EXPECT_FALSE(link.errorString().isEmpty());
    }
    sorvanta::test::pumpEvents(200);
    EXPECT_FALSE(QFile::exists(logPath()));
    EXPECT_TRUE(desktop.opened.isEmpty());
}

}  // namespace

#include "go_to_web_test.moc"
