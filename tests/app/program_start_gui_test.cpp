// The program as users start it, seen from outside: its executable links no web engine, and started from a
// folder without the HTML engine's module it comes up with nothing of a web engine, Qt Quick or QML mapped.

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

TEST(ProgramStart, StartsWithoutTheEngineModuleAndMapsNoWebEngine)
{
    const QString folder = testHome() + "bin/";
    const QString home = testHome() + "home/";
    ASSERT_TRUE(QDir().mkpath(folder) && QDir().mkpath(home));
    ASSERT_TRUE(QFile::copy(QStringLiteral(SORVANTA_PROGRAM), folder + "sorvanta"));
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("SORVANTA_HTML_ENGINE"));   // the tests' own module stays out
    environment.insert(QStringLiteral("SORVANTA_HOME"), home);
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    QProcess program;
    program.setProcessEnvironment(environment);
    program.setProcessChannelMode(QProcess::MergedChannels);
    program.start(folder + "sorvanta", {});
    ASSERT_TRUE(program.waitForStarted(10000));

    // The main window makes "attach.idx" as it is built; a little later it is painted and idle.
    const bool built = waitUntil([&] { return QFile::exists(home + "attach.idx") || program.state() != QProcess::Running; },
                                 30000);
    sorvanta::test::pumpEvents(500);
    const QByteArray maps = readFileBytes(QStringLiteral("/proc/%1/maps").arg(program.processId()));
    const bool running = program.state() == QProcess::Running;
    program.kill();
    program.waitForFinished(10000);
    const QString output = QString::fromLocal8Bit(program.readAll());
    ASSERT_TRUE(built && running) << output.toStdString();
    ASSERT_TRUE(maps.contains("libQt6Widgets")) << maps.constData();
    EXPECT_FALSE(QString::fromLatin1(maps).contains(kEngineLibraries)) << maps.constData();
}

}  // namespace
