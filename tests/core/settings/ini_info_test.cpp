// The projects' folder of a fresh settings record: "Sorvanta" in the user's documents folder as the desktop
// names it (XDG user dirs, else ~/Documents), made by the first new project; the program's own files stay in
// $SORVANTA_HOME. Runs on the test's own home and XDG folders.

#include "core/settings/ini_info.h"

#include "core/base/text_helpers.h"
#include "core/project/project_files.h"
#include "tests/support/test_files.h"
#include "tests/support/test_home.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

using sorvanta::test::testHome;

class DefaultProjectFolderTest : public ::testing::Test {
protected:
    void SetUp() override { savedDefaults = DefaultIniInfo; }
    void TearDown() override
    {
        DefaultIniInfo = savedDefaults;
        QFile::remove(userDirsFile());
        QDir(home() + "/Documents").removeRecursively();
        QDir(home() + "/Dokumenty").removeRecursively();
        ProjectIniInfo = TIniInfo();
    }

    static QString home() { return QDir::homePath(); }
    static QString userDirsFile() { return qEnvironmentVariable("XDG_CONFIG_HOME") + "/user-dirs.dirs"; }

    TIniInfo savedDefaults;
};

TEST_F(DefaultProjectFolderTest, IsSorvantaInTheDocumentsFolderTheDesktopNames)
{
    ASSERT_TRUE(home().startsWith(QDir::tempPath()));   // never the real home
    EXPECT_EQ(DefaultProjectFolder(), home() + "/Documents/Sorvanta/");
    sorvanta::test::writeFileBytes(userDirsFile(), "XDG_DOCUMENTS_DIR=\"$HOME/Dokumenty\"\n");
    EXPECT_EQ(DefaultProjectFolder(), home() + "/Dokumenty/Sorvanta/");
    EXPECT_EQ(DefaultIniInfoValues().PathPro, home() + "/Dokumenty/Sorvanta/");
    EXPECT_EQ(ProgramFolder(), testHome());
}

TEST_F(DefaultProjectFolderTest, TheFirstNewProjectMakesItAndLeavesTheProgramFolderAlone)
{
    DefaultIniInfo = DefaultIniInfoValues();
    EXPECT_FALSE(QFileInfo::exists(DefaultProjectFolder()));   // nothing is made before it is needed
    OpenProjectFiles(ProgramFolder() + "*.eml", true);
    EXPECT_EQ(ProjectIniInfo.PathPro, home() + "/Documents/Sorvanta/");
    EXPECT_TRUE(QFileInfo(ProjectIniInfo.PathPro).isDir());
    ASSERT_TRUE(WriteMailProjectFile({}));
    EXPECT_TRUE(QFile::exists(home() + "/Documents/Sorvanta/noname0.eml"));
    EXPECT_FALSE(QFile::exists(testHome() + "noname0.eml"));
}

}  // namespace
