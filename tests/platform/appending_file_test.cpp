// The log writer: lines go on the end one by one; a line that meets a full disk goes in whole or not at all, with
// the system's reason, and the log takes lines again once there is room; a missing folder is named at open.

#include "platform/appending_file.h"
#include "platform/disk_write.h"

#include "tests/support/test_files.h"
#include "tests/support/test_home.h"

#include <gtest/gtest.h>

namespace {

using namespace sorvanta::test;

TEST(AppendingFileTest, AppendsAndEmptiesWhenAsked)
{
    const QString path = writeTestFile("send.log", "10:00:00;a@example.com;Ok\r\n");
    AppendingFile log;
    ASSERT_TRUE(log.open(path));
    ASSERT_TRUE(log.append("10:00:01;b@example.com;Ok\r\n"));
    log.close();
    EXPECT_EQ(readFileBytes(path), "10:00:00;a@example.com;Ok\r\n10:00:01;b@example.com;Ok\r\n");

    ASSERT_TRUE(log.open(path, true));
    ASSERT_TRUE(log.append("c@example.com;TimeOut\r\n"));
    EXPECT_EQ(readFileBytes(path), "c@example.com;TimeOut\r\n");
}

TEST(AppendingFileTest, LineThatMeetsAFullDiskIsCutBackOff)
{
    const QString path = writeTestFile("verifylog.txt", "first@example.com;TimeOut\r\n");
    AppendingFile log;
    ASSERT_TRUE(log.open(path));
    {
        ScopedDiskFault disk({10, ENOSPC});
        EXPECT_FALSE(log.append("second@example.com;TimeOut\r\n"));
    }
    EXPECT_EQ(log.errorString(), "No space left on device");
    EXPECT_EQ(readFileBytes(path), "first@example.com;TimeOut\r\n");
    EXPECT_TRUE(log.append("third@example.com;TimeOut\r\n"));
    EXPECT_EQ(readFileBytes(path), "first@example.com;TimeOut\r\nthird@example.com;TimeOut\r\n");
}

TEST(AppendingFileTest, MissingFolderIsNamedAtOpen)
{
    AppendingFile log;
    EXPECT_FALSE(log.open(testHome() + "logs/send.log"));
    EXPECT_EQ(log.errorString(), "No such file or directory");
    EXPECT_FALSE(log.append("line\r\n"));
}

}  // namespace
