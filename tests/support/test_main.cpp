// Test entry point: the home and XDG folders moved into a temporary folder of the process, one application
// object, and a fresh SORVANTA_HOME per test. Built twice: with SORVANTA_TEST_WIDGETS a QApplication (offscreen by
// default) for tests that create widgets, else a QCoreApplication, so tests of the layers below the windows link
// no widget library.

#include "tests/support/test_home.h"

#include <gtest/gtest.h>

#ifdef SORVANTA_TEST_WIDGETS
#include <QApplication>
using TestApplication = QApplication;
#else
#include <QCoreApplication>
using TestApplication = QCoreApplication;
#endif
#include <QDir>
#include <QTemporaryDir>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <sys/stat.h>

namespace sorvanta::test {
namespace {

std::unique_ptr<QTemporaryDir> g_home;
std::string g_userHome;   // the process's stand-in for the user's home

void removeUserHome()
{
    std::error_code ignored;
    std::filesystem::remove_all(g_userHome, ignored);
}

// A folder below the stand-in home, made owner-only (XDG_RUNTIME_DIR must be), named in variable.
void pointAt(const char* variable, const char* folder)
{
    const std::string path = g_userHome + "/" + folder;
    ::mkdir(path.c_str(), 0700);
    ::setenv(variable, path.c_str(), 1);
}

class FreshHomeListener : public ::testing::EmptyTestEventListener {
    void OnTestStart(const ::testing::TestInfo&) override
    {
        g_home = std::make_unique<QTemporaryDir>(QDir::tempPath() + "/sorvanta-test-XXXXXX");
        qputenv("SORVANTA_HOME", g_home->path().toUtf8());
    }
    void OnTestEnd(const ::testing::TestInfo&) override { g_home.reset(); }
};

}  // namespace

void isolateFromUserHome()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "sorvanta-user-home-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) {
        std::perror("sorvanta tests: no temporary home");
        std::exit(2);   // running on would touch the real home
    }
    g_userHome = pattern;
    // Registered before any Qt object exists, so it runs after Qt's own exit handlers have written their settings.
    std::atexit(removeUserHome);
    ::setenv("HOME", g_userHome.c_str(), 1);
    pointAt("XDG_CONFIG_HOME", "config");
    pointAt("XDG_DATA_HOME", "data");
    pointAt("XDG_CACHE_HOME", "cache");
    pointAt("XDG_RUNTIME_DIR", "runtime");
}

QString testHome()
{
    return g_home ? g_home->path() + "/" : QString();
}

QString sourcePath(const QString& relative)
{
    return QStringLiteral(SORVANTA_SOURCE_DIR "/tests/") + relative;
}

}  // namespace sorvanta::test

int main(int argc, char** argv)
{
    sorvanta::test::isolateFromUserHome();
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    ::testing::InitGoogleTest(&argc, argv);
    TestApplication app(argc, argv);
    ::testing::UnitTest::GetInstance()->listeners().Append(new sorvanta::test::FreshHomeListener);
    return RUN_ALL_TESTS();
}
