// The program as users start it, seen from outside: its executable links no web engine, and started from a
// folder without the HTML engine's module it comes up with nothing of a web engine, Qt Quick or QML mapped, and
// says when the HTML page is asked for that the HTML editor is not installed.

#include "tests/support/test_files.h"
#include "tests/support/test_home.h"
#include "tests/support/wait_until.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>

namespace {

using sorvanta::test::readFileBytes;
using sorvanta::test::testHome;
using sorvanta::test::waitUntil;
using sorvanta::test::writeFileBytes;

const QRegularExpression kEngineLibraries(QStringLiteral("libQt6(WebEngine|Quick|Qml)\\w*\\.so"));

// The shared libraries that the dynamic linker loads for file, as ldd lists them.
QString sharedLibraries(const QString& file)
{
    QProcess ldd;
    ldd.start(QStringLiteral("ldd"), {file});
    if (!ldd.waitForFinished(30000) || ldd.exitCode() != 0)
        return QStringLiteral("<ldd failed: %1>").arg(QString::fromLocal8Bit(ldd.readAllStandardError()));
    return QString::fromLocal8Bit(ldd.readAllStandardOutput());
}

TEST(ProgramStart, ExecutableLinksNoWebEngine)
{
    const QString program = sharedLibraries(QStringLiteral(SORVANTA_PROGRAM));
    ASSERT_TRUE(program.contains(QStringLiteral("libQt6Widgets"))) << program.toStdString();
    EXPECT_FALSE(program.contains(kEngineLibraries)) << program.toStdString();
    // The module beside it is where the engine went.
    const QString module = sharedLibraries(QStringLiteral(SORVANTA_HTML_ENGINE_MODULE));
    EXPECT_TRUE(module.contains(QStringLiteral("libQt6WebEngineCore"))) << module.toStdString();
}

// The program copied alone into a folder of its own, started there offscreen with a home of its own; the message
// boxes it shows are written to boxesFile (tests/support/message_box_probe) and closed.
class ProgramWithoutEngineTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(QDir().mkpath(folder) && QDir().mkpath(home));
        ASSERT_TRUE(QFile::copy(QStringLiteral(SORVANTA_PROGRAM), folder + "sorvanta"));
    }

    void TearDown() override
    {
        program.kill();
        program.waitForFinished(10000);
    }

    void start(const QStringList& arguments)
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.remove(QStringLiteral("SORVANTA_HTML_ENGINE"));   // the tests' own module stays out
        environment.insert(QStringLiteral("SORVANTA_HOME"), home);
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        environment.insert(QStringLiteral("LD_PRELOAD"), QStringLiteral(SORVANTA_MESSAGE_BOX_PROBE));
        environment.insert(QStringLiteral("SORVANTA_TEST_BOXES"), boxesFile);
        program.setProcessEnvironment(environment);
        program.setProcessChannelMode(QProcess::MergedChannels);
        program.start(folder + "sorvanta", arguments);
        ASSERT_TRUE(program.waitForStarted(10000));
    }

    bool running() { return program.state() == QProcess::Running; }
    QString output() { return QString::fromLocal8Bit(program.readAll()); }
    QString mappedFiles() { return QString::fromLatin1(readFileBytes(QStringLiteral("/proc/%1/maps").arg(program.processId()))); }

    const QString folder = testHome() + "bin/";
    const QString home = testHome() + "home/";
    const QString boxesFile = testHome() + "boxes.txt";
    QProcess program;
};

TEST_F(ProgramWithoutEngineTest, StartsAndMapsNoWebEngine)
{
    start({});
    // The main window makes "attach.idx" as it is built; a little later it is painted and idle.
    const bool built = waitUntil([&] { return QFile::exists(home + "attach.idx") || !running(); }, 30000);
    sorvanta::test::pumpEvents(500);
    const QString maps = mappedFiles();
    ASSERT_TRUE(built && running()) << output().toStdString();
    ASSERT_TRUE(maps.contains(QStringLiteral("libQt6Widgets"))) << maps.toStdString();
    EXPECT_FALSE(maps.contains(kEngineLibraries)) << maps.toStdString();
    EXPECT_FALSE(QFile::exists(boxesFile)) << readFileBytes(boxesFile).constData();
}

// An HTML project opened from the command line asks for the page at once: the user is told that the HTML
// editor is not installed, naming the file that is missing beside the program, and the program goes on.
TEST_F(ProgramWithoutEngineTest, HtmlPageSaysTheEditorIsNotInstalled)
{
    const QString project = testHome() + "Mailing.eml";
    writeFileBytes(project, "[Common]\r\nSubject=Hello\r\nHtml=1\r\n");
    writeFileBytes(testHome() + "Mailing.htm", "<html><body><p>kept</p></body></html>\r\n");
    start({QStringLiteral("-v"), project, QStringLiteral("editor")});
    ASSERT_TRUE(waitUntil([&] { return QFile::exists(boxesFile) || !running(); }, 30000)) << output().toStdString();
    sorvanta::test::pumpEvents(300);
    EXPECT_EQ(QString::fromUtf8(readFileBytes(boxesFile)),
              "WYSIWYG HTML Editor\tThe HTML editor is not installed: " + folder + "sorvanta_html_engine.so is missing.\n");
    EXPECT_TRUE(running()) << output().toStdString();
    EXPECT_FALSE(mappedFiles().contains(kEngineLibraries));
}

}  // namespace
