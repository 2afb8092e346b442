// The MIME-type registry: the file it creates, how it reads good and damaged files, and type look-ups.

#include "transport/mime/mime_types.h"

#include "tests/support/test_files.h"
#include "tests/support/test_home.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QThread>

#include <gtest/gtest.h>

using sorvanta::test::readFileBytes;
using sorvanta::test::sourcePath;
using sorvanta::test::testHome;
using sorvanta::test::writeFileBytes;

namespace {

QString mimeDefPath()
{
    return testHome() + "mime.def";
}

TEST(MimeManager, CreatesMissingFileWithBuiltInRows)
{
    TMimeManager manager(mimeDefPath());
    EXPECT_EQ(manager.count(), 25);
    const QByteArray written = readFileBytes(mimeDefPath());
    EXPECT_EQ(written.size(), 8325);
    EXPECT_EQ(written, readFileBytes(sourcePath("transport/data/mime_def_fresh.bin")));
}

TEST(MimeManager, ReadsEveryRecordOfAGoodFile)
{
    MimeTypeRecord custom{"application/x-custom", 1, "Custom", "/usr/bin/viewer", "cus"};
    QByteArray bytes = readFileBytes(sourcePath("transport/data/mime_def_fresh.bin"));
    bytes.append(TMimeManager::encodeRecord(custom));
    writeFileBytes(mimeDefPath(), bytes);

    TMimeManager manager(mimeDefPath());
    ASSERT_EQ(manager.count(), 26);
    EXPECT_EQ(manager.record(26).viewer, "/usr/bin/viewer");
    EXPECT_EQ(manager.TypeForFile("x.CUS"), "application/x-custom");
    EXPECT_EQ(manager.ViewerFlag("Application/X-Custom"), 1);
}

TEST(MimeManager, DamagedFileKeepsItsWholeRecordsAndIsNotRewritten)
{
    MimeTypeRecord first{"text/x-first", 0, "First", "", "fst"};
    MimeTypeRecord second{"text/x-second", 0, "Second", "", "snd"};
    const QByteArray damaged = TMimeManager::encodeRecord(first) + TMimeManager::encodeRecord(second) + "partial";
    writeFileBytes(mimeDefPath(), damaged);

    TMimeManager manager(mimeDefPath());
    ASSERT_EQ(manager.count(), 2);
    EXPECT_EQ(manager.record(2).mimeType, "text/x-second");
    EXPECT_EQ(readFileBytes(mimeDefPath()), damaged);
}

TEST(MimeManager, FileWithoutAWholeRecordUsesBuiltInRowsInMemory)
{
    writeFileBytes(mimeDefPath(), "short");
    TMimeManager manager(mimeDefPath());
    EXPECT_EQ(manager.count(), 25);
    EXPECT_EQ(manager.TypeForFile("a.pdf"), "application/pdf");
    EXPECT_EQ(readFileBytes(mimeDefPath()), "short");
}

TEST(MimeManager, LengthByteLargerThanItsFieldIsClamped)
{
    QByteArray record = TMimeManager::encodeRecord({"abc", 0, "d", "", "xyz"});
    record[0] = char(0xFF);                 // type field holds 40 characters
    record[329] = char(0xFF);               // extension field holds 3
    const MimeTypeRecord decoded = TMimeManager::decodeRecord(record);
    EXPECT_EQ(decoded.mimeType.size(), 40);
    EXPECT_TRUE(decoded.mimeType.startsWith("abc"));
    EXPECT_EQ(decoded.extension, "xyz");
}

TEST(MimeManager, LongTextsAreCutToTheirFields)
{
    const MimeTypeRecord decoded =
        TMimeManager::decodeRecord(TMimeManager::encodeRecord({QString(50, 't'), 0, QString(40, 'd'), "", "jpeg"}));
    EXPECT_EQ(decoded.mimeType, QString(40, 't'));
    EXPECT_EQ(decoded.description, QString(30, 'd'));
    EXPECT_EQ(decoded.extension, "jpe");
}

struct TypeCase {
    const char* name;
    const char* file;
    const char* type;
};

class TypeForFileTest : public ::testing::TestWithParam<TypeCase> {};

TEST_P(TypeForFileTest, GivesTheFirstMatchingType)
{
    TMimeManager manager(mimeDefPath());
    EXPECT_EQ(manager.TypeForFile(GetParam().file), GetParam().type);
}

INSTANTIATE_TEST_SUITE_P(
    Files, TypeForFileTest,
    ::testing::Values(TypeCase{"cut_and_case", "report.HTML", "text/html"},
                      TypeCase{"four_letters_match_nothing", "photo.jpeg", "application/octet-stream"},
                      TypeCase{"two_letters", "sound.au", "audio/basic"},
                      TypeCase{"no_extension", "README", "application/octet-stream"},
                      TypeCase{"trailing_dot", "name.", "application/octet-stream"},
                      TypeCase{"dot_in_folder", "/home/a.b/file", "application/octet-stream"},
                      TypeCase{"path", "/tmp/x/sheet.xlt", "application/vnd.ms-excel"},
                      TypeCase{"unknown", "archive.tgz", "application/octet-stream"},
                      TypeCase{"prefix_only", "image.ti", "application/octet-stream"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(MimeManager, IndexAndViewerFlagOfTypes)
{
    MimeTypeRecord flagged = TMimeManager::builtInRecords().first();
    flagged.flag = 1;
    QByteArray bytes = TMimeManager::encodeRecord(flagged);
    bytes.append(TMimeManager::encodeRecord({"image/gif", 1, "GIF", "", "gif"}));
    writeFileBytes(mimeDefPath(), bytes);

    TMimeManager manager(mimeDefPath());
    EXPECT_EQ(manager.IndexOfType("APPLICATION/OCTET-STREAM"), 1);
    EXPECT_EQ(manager.IndexOfType("text/none"), 0);
    EXPECT_EQ(manager.ViewerFlag("application/octet-stream"), 0);   // record 1 never has a viewer flag
    EXPECT_EQ(manager.ViewerFlag("image/gif"), 1);
    EXPECT_EQ(manager.ViewerFlag("text/none"), 0);
}

TEST(MimeManager, ViewFileFailsForUnknownTypeOrMissingProgram)
{
    TMimeManager manager(mimeDefPath());
    EXPECT_FALSE(manager.ViewFile(testHome() + "missing.txt", "text/none"));
    EXPECT_FALSE(manager.ViewFile(testHome() + "missing.txt", "text/plain"));   // no file, no program
    EXPECT_EQ(TMimeManager::AssociatedProgram(testHome() + "missing.txt"), "");
}

TEST(MimeManager, ViewerGetsTheFileAsOneArgument)
{
    const QString output = testHome() + "argument count";
    const QString viewer = testHome() + "viewer.sh";
    // The viewer writes beside the output and renames it, so the output appears whole or not at all.
    writeFileBytes(viewer, QStringLiteral("#!/bin/sh\necho $# \"$1\" > '%1.part' && mv '%1.part' '%1'\n")
                               .arg(output).toUtf8());
    QFile::setPermissions(viewer, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    writeFileBytes(mimeDefPath(), TMimeManager::encodeRecord({"text/plain", 0, "Text", viewer, "txt"}));

    TMimeManager manager(mimeDefPath());
    const QString file = testHome() + "a file; with $(blanks).txt";
    ASSERT_TRUE(manager.ViewFile(file, "text/plain"));
    QDeadlineTimer deadline(60000);                 // a bound for a loaded machine, not an expectation
    while (!QFile::exists(output) && !deadline.hasExpired())
        QThread::msleep(10);
    EXPECT_EQ(readFileBytes(output), "1 " + file.toUtf8() + "\n");
}

}  // namespace
