// The one file writer: a full disk (through the seam, and a real tmpfs where one can be mounted) for a small and a
// large file leaves the old bytes, names the system's reason and leaves no temporary; a write that failed fails
// the commit even when its caller did not look; permissions and links of the old file are kept, with unnamed and
// with named temporaries; a device, a named pipe or a link to one is refused and stays what it was; a kill
// between the write and the rename leaves the old file and no name beside it, and where only named temporaries
// can be had, the start-up sweep removes that temporary and nothing else.

#include "platform/atomic_file.h"
#include "platform/disk_write.h"
#include "platform/stale_temporaries.h"

#include "tests/support/full_disk.h"
#include "tests/support/test_files.h"
#include "tests/support/test_home.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <csignal>
#include <cstring>
#include <optional>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using namespace sorvanta::test;

const QByteArray kOldBytes = "old line one\r\nold line two\r\nold line three\r\n";
constexpr qint64 kLarge = 2 * 1024 * 1024;

QStringList namesIn(const QString& folder)
{
    QStringList names = QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
    names.removeAll("filler");
    return names;
}

mode_t modeOf(const QString& path)
{
    struct stat info {};
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? info.st_mode & 07777 : 0;
}

// What a write over "keep.txt" left: its answer, its reason, the file's bytes and the names in the folder.
QByteArray writeReport(const QString& folder, const QByteArray& bytes)
{
    const QString path = folder + "/keep.txt";
    QString error;
    const bool written = writeFileAtomically(path, bytes, &error);
    return "written=" + QByteArray::number(written) + "\nerror=" + error.toUtf8() + "\nfile=" + readFileBytes(path)
           + "\nnames=" + namesIn(folder).join(',').toUtf8();
}

struct FullDiskCase {
    const char* name;
    qint64 newSize;     // bytes written over the old file
    qint64 spaceLeft;   // room on the disk before the write
    int error;
    bool oldFile;       // a file to replace, or a new one
    const char* expected;
    friend void PrintTo(const FullDiskCase& c, std::ostream* out) { *out << c.name; }
};

const FullDiskCase kNoSpaceCases[] = {
    {"small_file_no_room", 200, 0, ENOSPC, true, "error=No space left on device\nfile=@OLD@\nnames=keep.txt"},
    {"small_file_part_way", 200, 100, ENOSPC, true, "error=No space left on device\nfile=@OLD@\nnames=keep.txt"},
    {"large_file_part_way", kLarge, 64 * 1024, ENOSPC, true,
     "error=No space left on device\nfile=@OLD@\nnames=keep.txt"},
    {"new_file_no_room", 200, 0, ENOSPC, false, "error=No space left on device\nfile=<missing>\nnames="},
    {"large_new_file_part_way", kLarge, 64 * 1024, ENOSPC, false,
     "error=No space left on device\nfile=<missing>\nnames="},
};

std::string expectedReport(const FullDiskCase& c)
{
    return ("written=0\n" + QByteArray(c.expected).replace("@OLD@", kOldBytes)).toStdString();
}

class AtomicFileSeamTest : public ::testing::TestWithParam<FullDiskCase> {};

TEST_P(AtomicFileSeamTest, KeepsTheOldFileAndNamesTheReason)
{
    const FullDiskCase& c = GetParam();
    const QString folder = testHome() + "lists";
    QDir().mkpath(folder);
    if (c.oldFile)
        writeFileBytes(folder + "/keep.txt", kOldBytes);
    QByteArray report;
    {
        ScopedDiskFault disk({c.spaceLeft, c.error});
        report = writeReport(folder, QByteArray(c.newSize, 'n'));
    }
    EXPECT_EQ(report.toStdString(), expectedReport(c));
}

const auto kCaseName = [](const auto& info) { return std::string(info.param.name); };
INSTANTIATE_TEST_SUITE_P(FullDisk, AtomicFileSeamTest, ::testing::ValuesIn(kNoSpaceCases), kCaseName);
INSTANTIATE_TEST_SUITE_P(OtherErrors, AtomicFileSeamTest,
                         ::testing::Values(FullDiskCase{"input_output_error", kLarge, 4096, EIO, true,
                                                        "error=Input/output error\nfile=@OLD@\nnames=keep.txt"}),
                         kCaseName);

// The same on a real tmpfs that is full: what the kernel itself answers.
class AtomicFileRealDiskTest : public ::testing::TestWithParam<FullDiskCase> {};

TEST_P(AtomicFileRealDiskTest, KeepsTheOldFileAndNamesTheReason)
{
    const FullDiskCase& c = GetParam();
    const QByteArray newBytes(c.newSize, 'n');
    const FullDiskRun run = runOnFullDisk(
        [&](const QString& folder) {
            if (c.oldFile)
                writeFileBytes(folder + "/keep.txt", kOldBytes);
        },
        [&](const QString& folder) { return writeReport(folder, newBytes); }, c.spaceLeft);
    if (!run.mounted)
        GTEST_SKIP() << "no tmpfs here: " << run.refusal.toStdString();
    EXPECT_EQ(run.report.toStdString(), expectedReport(c));
}

INSTANTIATE_TEST_SUITE_P(FullDisk, AtomicFileRealDiskTest, ::testing::ValuesIn(kNoSpaceCases), kCaseName);

// A caller that ignores a write's answer still cannot commit a short file.
TEST(AtomicFileTest, FailedWriteFailsEveryLaterWriteAndTheCommit)
{
    const QString path = writeTestFile("keep.txt", kOldBytes);
    AtomicFile file(path);
    ASSERT_TRUE(file.open());
    {
        ScopedDiskFault disk({10, ENOSPC});
        EXPECT_EQ(file.write(QByteArray(100, 'a')), -1);
    }
    EXPECT_EQ(file.write("room again\r\n"), -1);
    EXPECT_FALSE(file.commit());
    EXPECT_EQ(file.errorString(), "No space left on device");
    EXPECT_EQ(readFileBytes(path), kOldBytes);
    EXPECT_EQ(namesIn(testHome()), QStringList{"keep.txt"});
}

TEST(AtomicFileTest, DroppedWithoutCommitLeavesTheFile)
{
    const QString path = writeTestFile("keep.txt", kOldBytes);
    {
        AtomicFile file(path);
        ASSERT_TRUE(file.open());
        ASSERT_EQ(file.write("new"), 3);
    }
    EXPECT_EQ(readFileBytes(path), kOldBytes);
    EXPECT_EQ(namesIn(testHome()), QStringList{"keep.txt"});
}

// Runs each test with the writer's unnamed temporaries, and as on a file system that has none.
class AtomicFileTemporariesTest : public ::testing::TestWithParam<bool> {
protected:
    void SetUp() override
    {
        if (GetParam())
            m_named.emplace();
    }
    std::optional<ScopedNamedTemporaries> m_named;
};

INSTANTIATE_TEST_SUITE_P(Temporaries, AtomicFileTemporariesTest, ::testing::Values(false, true),
                         [](const auto& info) { return std::string(info.param ? "named" : "unnamed"); });

// An old file keeps its permissions and a link stays a link; given permissions win; a new file gets the umask's.
TEST_P(AtomicFileTemporariesTest, KeepsPermissionsAndLinks)
{
    const QString shared = writeTestFile("shared.txt", "old");
    ::chmod(QFile::encodeName(shared).constData(), 0640);
    ASSERT_TRUE(writeFileAtomically(shared, "new"));
    EXPECT_EQ(modeOf(shared), mode_t(0640));

    const QString secret = writeTestFile("secret.ini", "old");
    ::chmod(QFile::encodeName(secret).constData(), 0644);
    ASSERT_TRUE(writeFileAtomically(secret, "new", nullptr, QFileDevice::ReadOwner | QFileDevice::WriteOwner));
    EXPECT_EQ(modeOf(secret), mode_t(0600));

    const mode_t umaskNow = ::umask(022);
    ::umask(umaskNow);
    const QString fresh = testHome() + "fresh.txt";
    ASSERT_TRUE(writeFileAtomically(fresh, "new"));
    EXPECT_EQ(modeOf(fresh), mode_t(0666 & ~umaskNow));

    const QString link = testHome() + "link.txt";
    ASSERT_TRUE(QFile::link(shared, link));
    ASSERT_TRUE(writeFileAtomically(link, "through the link"));
    EXPECT_TRUE(QFileInfo(link).isSymLink());
    EXPECT_EQ(readFileBytes(shared), "through the link");
    EXPECT_EQ(modeOf(shared), mode_t(0640));
    EXPECT_EQ(namesIn(testHome()).join(',').toStdString(), "fresh.txt,link.txt,secret.ini,shared.txt");
}

// What a save over a file that is not a regular one must leave: the same kind of file, nothing beside it.
struct SpecialFile {
    const char* name;
    mode_t type;
    bool throughLink;
    friend void PrintTo(const SpecialFile& c, std::ostream* out) { *out << c.name; }
};

const SpecialFile kSpecialFiles[] = {
    {"named_pipe", S_IFIFO, false},
    {"character_device", S_IFCHR, false},
    {"link_to_named_pipe", S_IFIFO, true},
    {"link_to_character_device", S_IFCHR, true},
};

class AtomicFileSpecialTargetTest : public ::testing::TestWithParam<SpecialFile> {};

// A named pipe, or a character device with the null device's numbers (made in the test's own folder): the save
// is refused with a reason, and the pipe or device stays as it was (as root, replacing the null device would
// break the system).
TEST_P(AtomicFileSpecialTargetTest, RefusesAndKeepsTheFile)
{
    const SpecialFile& c = GetParam();
    const QString special = testHome() + "special";
    if (::mknod(QFile::encodeName(special).constData(), c.type | 0666, makedev(1, 3)) != 0)
        GTEST_SKIP() << "mknod: " << std::strerror(errno);
    QString target = special;
    if (c.throughLink) {
        target = testHome() + "link";
        ASSERT_TRUE(QFile::link(special, target));
    }
    for (const bool named : {false, true}) {
        std::optional<ScopedNamedTemporaries> namedTemporaries;
        if (named)
            namedTemporaries.emplace();
        QString error;
        EXPECT_FALSE(writeFileAtomically(target, "saved list\r\n", &error));
        EXPECT_EQ(error, "not a regular file (a device, a named pipe or a socket): it is left as it is");
        EXPECT_FALSE(copyFileAtomically(writeTestFile("source.txt", "copied"), target, &error));
        struct stat info {};
        ASSERT_EQ(::lstat(QFile::encodeName(special).constData(), &info), 0);
        EXPECT_EQ(info.st_mode & S_IFMT, c.type);
        EXPECT_EQ(info.st_rdev, c.type == S_IFCHR ? makedev(1, 3) : 0);
        EXPECT_EQ(QFileInfo(target).isSymLink(), c.throughLink);
        EXPECT_EQ(namesIn(testHome()).join(',').toStdString(),
                  c.throughLink ? "link,source.txt,special" : "source.txt,special");
    }
}

INSTANTIATE_TEST_SUITE_P(Kinds, AtomicFileSpecialTargetTest, ::testing::ValuesIn(kSpecialFiles), kCaseName);

// A name of 254 bytes (127 Cyrillic letters) still gets a temporary that fits one file name.
TEST(AtomicFileTest, LongestNameGetsATemporaryThatFits)
{
    const QString path = testHome() + QString(127, QChar(0x0416));
    QString error;
    EXPECT_TRUE(writeFileAtomically(path, "long", &error)) << error.toStdString();
    EXPECT_EQ(readFileBytes(path), "long");
}

TEST(AtomicFileTest, MissingFolderNamesTheReason)
{
    QString error;
    EXPECT_FALSE(writeFileAtomically(testHome() + "absent/keep.txt", "new", &error));
    EXPECT_EQ(error, "No such file or directory");
}

TEST(AtomicFileTest, CopyReplacesTheTargetOrLeavesIt)
{
    const QString source = writeTestFile("source.bin", QByteArray(3 * 1024 * 1024 + 7, '\xAB'));
    const QString target = writeTestFile("target.bin", kOldBytes);
    ASSERT_TRUE(copyFileAtomically(source, target));
    EXPECT_EQ(readFileBytes(target), readFileBytes(source));

    writeFileBytes(target, kOldBytes);
    QString error;
    {
        ScopedDiskFault disk({1024 * 1024, ENOSPC});
        EXPECT_FALSE(copyFileAtomically(source, target, &error));
    }
    EXPECT_EQ(error, "No space left on device");
    EXPECT_FALSE(copyFileAtomically(testHome() + "absent.bin", target, &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(readFileBytes(target), kOldBytes);
    EXPECT_EQ(namesIn(testHome()), QStringList({"source.bin", "target.bin"}));
}

// A child writes the new file's bytes and is killed before the rename.
void killWhileSaving(const QString& path, qint64 size)
{
    const pid_t child = ::fork();
    if (child == 0) {
        AtomicFile file(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        if (file.open() && file.write(QByteArray(size, 'p')) > 0)
            ::raise(SIGKILL);
        ::_exit(1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL);
}

// A list in a folder no start-up sweep looks at: a save killed half-way leaves the old list and nothing else.
TEST(AtomicFileTest, KillMidSaveLeavesNothingBesideTheList)
{
    const QString folder = testHome() + "elsewhere/lists/";
    QDir().mkpath(folder);
    const QString path = folder + "customers.txt";
    writeFileBytes(path, kOldBytes);
    killWhileSaving(path, 8 * 1024 * 1024);
    EXPECT_EQ(readFileBytes(path), kOldBytes);
    EXPECT_EQ(namesIn(folder).join(',').toStdString(), "customers.txt");
}

// Where only named temporaries can be had, the killed save's temporary (owner-only) stays behind until the sweep
// at the next start removes it. The sweep leaves names that are not the writer's, links and a temporary that a
// live writer is still filling.
TEST(AtomicFileTest, KillBeforeRenameWithNamedTemporariesLeavesOneTheSweepRemoves)
{
    const ScopedNamedTemporaries named;
    const QString folder = testHome();
    const QString path = writeTestFile("setupkrn.ini", kOldBytes);
    killWhileSaving(path, 64 * 1024);
    EXPECT_EQ(readFileBytes(path), kOldBytes);
    const QStringList left = namesIn(folder).filter(".sorvanta-tmp-");
    ASSERT_EQ(left.size(), 1);
    EXPECT_TRUE(isAtomicFileTemporaryName(left.first()));
    EXPECT_EQ(modeOf(folder + left.first()), mode_t(0600));

    const QStringList foreign = {"setupkrn.ini.Ab12Cd", ".notes.sorvanta-tmp-abc", "list.sorvanta-tmp-ABCDEF",
                                 ".list.txt.sorvanta-tmp-ABCDE!"};
    for (const QString& name : foreign)
        writeFileBytes(folder + name, "not ours");
    ASSERT_TRUE(QFile::link(path, folder + ".link.sorvanta-tmp-AAAAAA"));
    AtomicFile live(folder + "list.txt");
    ASSERT_TRUE(live.open());
    const QStringList before = namesIn(folder);

    EXPECT_EQ(removeStaleTemporaries(folder), left);
    QStringList expected = before;
    expected.removeAll(left.first());
    EXPECT_EQ(namesIn(folder), expected);
    EXPECT_EQ(readFileBytes(path), kOldBytes);
    ASSERT_TRUE(live.write("still mine") > 0);
    EXPECT_TRUE(live.commit());
    EXPECT_EQ(readFileBytes(folder + "list.txt"), "still mine");
}

}  // namespace
