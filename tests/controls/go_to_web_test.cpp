// The browser link against a desktop laid out in the test's folder: xdg-mime finds the text/html handler
// in a mimeapps.list written there, and the handler's Exec runs a script that logs its arguments.

#include "controls/go_to_web.h"
#include "controls/mime_handler_query.h"

#include "tests/support/test_files.h"
#include "tests/support/test_home.h"
#include "tests/support/wait_until.h"

#include <gtest/gtest.h>

#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QUrl>

#include <optional>
#include <vector>

namespace {

using sorvanta::test::testHome;
using sorvanta::test::waitUntil;
using sorvanta::test::writeFileBytes;

// Sets environment variables for one test and puts the old values back afterwards.
class EnvironmentScope {
public:
    void set(const char* name, const QString& value)
    {
        remember(name);
        qputenv(name, value.toUtf8());
    }
    void unset(const char* name)
    {
        remember(name);
        qunsetenv(name);
    }
    ~EnvironmentScope()
    {
        for (const auto& [name, value] : m_saved) {
            if (value)
                qputenv(name, *value);
            else
                qunsetenv(name);
        }
    }

private:
    void remember(const char* name)
    {
        m_saved.emplace_back(name, qEnvironmentVariableIsSet(name) ? std::optional(qgetenv(name)) : std::nullopt);
    }
    std::vector<std::pair<const char*, std::optional<QByteArray>>> m_saved;
};

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
        root = testHome();
        for (const char* folder : {"home", "config", "etc", "data/applications", "system/applications"})
            ASSERT_TRUE(QDir().mkpath(root + folder));
        environment.set("HOME", root + "home");
        environment.set("XDG_CONFIG_HOME", root + "config");
        environment.set("XDG_CONFIG_DIRS", root + "etc");
        environment.set("XDG_DATA_HOME", root + "data");
        environment.set("XDG_DATA_DIRS", root + "system");
        // Keep xdg-mime on its generic path, whatever desktop the tests run under.
        for (const char* name : {"XDG_CURRENT_DESKTOP", "XDG_MENU_PREFIX", "DESKTOP_SESSION", "KDE_FULL_SESSION",
                                 "KDE_SESSION_VERSION", "GNOME_DESKTOP_SESSION_ID", "DBUS_SESSION_BUS_ADDRESS"})
            environment.unset(name);
        for (const char* scheme : {"file", "http", "https"})
            QDesktopServices::setUrlHandler(scheme, &desktop, "open");
    }

    void TearDown() override
    {
        for (const char* scheme : {"file", "http", "https"})
            QDesktopServices::unsetUrlHandler(scheme);
    }

    // An executable script that writes its arguments, each ended by a NUL, to the log file.
    QString writeLoggingBrowser(const QString& name)
    {
        const QString path = root + name;
        writeFileBytes(path, "#!/bin/sh\nprintf '%s\\0' \"$@\" > '" + logPath().toUtf8() + ".part' && mv '"
                                 + logPath().toUtf8() + ".part' '" + logPath().toUtf8() + "'\n");
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        return path;
    }

    void writeEntry(const QString& folder, const QString& id, const QByteArray& exec)
    {
        writeFileBytes(root + folder + "/applications/" + id,
                       "[Desktop Entry]\nType=Application\nName=Test Browser\nMimeType=text/html;\nExec=" + exec
                           + "\n");
    }

    void setDefaultBrowser(const QString& id)
    {
        writeFileBytes(root + "config/mimeapps.list", "[Default Applications]\ntext/html=" + id.toUtf8() + "\n");
    }

    QString logPath() const { return root + "arguments.log"; }

    // The arguments the browser script was started with, once it has written them.
    QStringList loggedArguments()
    {
        if (!waitUntil([&] { return QFile::exists(logPath()); }))
            return {"<not started>"};
        QStringList arguments;
        for (const QByteArray& argument : sorvanta::test::readFileBytes(logPath()).split('\0'))
            arguments += QString::fromUtf8(argument);
        arguments.removeLast();  // after the last NUL
        return arguments;
    }

    QString root;
    EnvironmentScope environment;
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

TEST_F(GoToWebTest, WithoutAHandlerTheDesktopOpensTheAddress)
{
    TGoToWeb link;
    link.Url = root + "my preview.htm";
    EXPECT_EQ(link.FindBrowserCommand(), QString());
    EXPECT_FALSE(link.errorString().isEmpty());
    ASSERT_TRUE(link.GoToUrl()) << link.errorString().toStdString();
    EXPECT_EQ(desktop.opened, QList<QUrl>{QUrl::fromLocalFile(link.Url)});

    link.setHandlerQuery([] { return QStringLiteral("uninstalled.desktop"); });
    link.Url = "https://127.0.0.1/";
    ASSERT_TRUE(link.GoToUrl()) << link.errorString().toStdString();
    EXPECT_EQ(desktop.opened.value(1), QUrl(link.Url));
}

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
