// The program folder: $SORVANTA_HOME when set (always ending in "/"), else the executable's folder; the
// files shipped beside the executable.

#include "platform/program_folder.h"
#include "tests/support/test_home.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

using sorvanta::test::testHome;

// Sets SORVANTA_HOME for the test and puts the fixture's value back afterwards.
class ProgramFolderTest : public ::testing::Test {
protected:
    void TearDown() override { qputenv("SORVANTA_HOME", m_saved); }
    QByteArray m_saved = qgetenv("SORVANTA_HOME");
};

TEST_F(ProgramFolderTest, IsTheHomeFolderWithATrailingSlash)
{
    EXPECT_EQ(programFolderPath(), testHome());
    qputenv("SORVANTA_HOME", "/srv/sorvanta");
    EXPECT_EQ(programFolderPath(), "/srv/sorvanta/");
    qputenv("SORVANTA_HOME", "/srv/sorvanta/");
    EXPECT_EQ(programFolderPath(), "/srv/sorvanta/");
}

TEST_F(ProgramFolderTest, WithoutHomeIsTheExecutablesFolder)
{
    qputenv("SORVANTA_HOME", "");
    EXPECT_EQ(programFolderPath(), QCoreApplication::applicationDirPath() + "/");
    qunsetenv("SORVANTA_HOME");
    EXPECT_EQ(programFolderPath(), QCoreApplication::applicationDirPath() + "/");
}

// Shipped files are looked up in the program folder first, then beside the executable.
TEST_F(ProgramFolderTest, ShippedFileIsTakenFromTheHomeFolderFirstThenBesideTheExecutable)
{
    const QString beside = QFileInfo(QCoreApplication::applicationFilePath()).fileName();
    EXPECT_EQ(shippedFilePath(beside), QCoreApplication::applicationDirPath() + "/" + beside);
    EXPECT_EQ(shippedFilePath("no-such-file.txt"), QString());
    QFile own(testHome() + beside);
    ASSERT_TRUE(own.open(QIODevice::WriteOnly));
    own.close();
    EXPECT_EQ(shippedFilePath(beside), testHome() + beside);
    QDir().mkpath(testHome() + "folder.txt");
    EXPECT_EQ(shippedFilePath("folder.txt"), QString());
}

}  // namespace
