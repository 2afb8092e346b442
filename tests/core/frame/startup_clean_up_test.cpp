// The start-up sweep looks where the program writes (the program folder, its "logs", the default project folder,
// the folders of the reopen list) and nowhere else, and leaves a temporary that a writer still holds.

#include "core/frame/startup_clean_up.h"

#include "core/settings/ini_info.h"
#include "platform/atomic_file.h"
#include "tests/support/test_files.h"
#include "tests/support/test_home.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

namespace {

using namespace sorvanta::test;

TEST(StartupCleanUp, RemovesStaleTemporariesWhereTheProgramWrites)
{
    const TIniInfo saved = DefaultIniInfo;
    const QString home = testHome();
    for (const char* folder : {"logs", "projects", "elsewhere/recent", "unrelated"})
        QDir().mkpath(home + folder);
    DefaultIniInfo.PathPro = home + "projects/";
    writeFileBytes(home + "setupprj.ini", (home + "elsewhere/recent/Spring.eml\r\n").toUtf8());
    const QStringList stale = {home + ".setupkrn.ini.sorvanta-tmp-Ab12Cd", home + "logs/.a.log.sorvanta-tmp-000000",
                               home + "projects/.Offer.txt.sorvanta-tmp-zzzzzz",
                               home + "elsewhere/recent/.Spring.eml.sorvanta-tmp-QWERTY"};
    for (const QString& path : stale)
        writeFileBytes(path, "half written");
    const QString unrelated = home + "unrelated/.list.txt.sorvanta-tmp-AAAAAA";
    writeFileBytes(unrelated, "not looked at");
    AtomicFile live(home + "projects/Offer.eml");
    ASSERT_TRUE(live.open());

    QStringList removed = RemoveStaleTemporariesAtStartUp();
    removed.sort();
    QStringList expected = stale;
    expected.sort();
    EXPECT_EQ(removed, expected);
    for (const QString& path : stale)
        EXPECT_FALSE(QFile::exists(path)) << path.toStdString();
    EXPECT_TRUE(QFile::exists(unrelated));
    EXPECT_TRUE(live.commit());
    DefaultIniInfo = saved;
}

}  // namespace
