// Test entry point: one application object for the process and a fresh SORVANTA_HOME per test. Built twice:
// with SORVANTA_TEST_WIDGETS a QApplication (offscreen by default) for tests that create widgets, else a
// QCoreApplication, so tests of the layers below the windows link no widget library.

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

#include <memory>

namespace sorvanta::test {
namespace {

std::unique_ptr<QTemporaryDir> g_home;

class FreshHomeListener : public ::testing::EmptyTestEventListener {
    void OnTestStart(const ::testing::TestInfo&) override
    {
        g_home = std::make_unique<QTemporaryDir>(QDir::tempPath() + "/sorvanta-test-XXXXXX");
        qputenv("SORVANTA_HOME", g_home->path().toUtf8());
    }
    void OnTestEnd(const ::testing::TestInfo&) override { g_home.reset(); }
};

}  // namespace

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
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    ::testing::InitGoogleTest(&argc, argv);
    TestApplication app(argc, argv);
    ::testing::UnitTest::GetInstance()->listeners().Append(new sorvanta::test::FreshHomeListener);
    return RUN_ALL_TESTS();
}
