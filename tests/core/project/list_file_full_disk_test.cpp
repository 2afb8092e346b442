// Saving a list over an old one on a full disk, through the seam and on a real full tmpfs: a short list (two rows
// over three) and a long one (20,000 rows) both answer false with "No space left on device", and the old list
// stays byte for byte with no temporary beside it.

#include "core/project/list_file.h"

#include "platform/disk_write.h"
#include "platform/string_grid.h"
#include "tests/support/full_disk.h"
#include "tests/support/test_files.h"
#include "tests/support/test_home.h"

#include <gtest/gtest.h>

#include <QDir>

namespace {

using namespace sorvanta::test;

const QByteArray kOldList =
    "ann@example.com;Ann;Kraków\r\nbob@example.com;Bob;Łódź\r\nchen@example.com;陈;北京\r\n";

StringGrid listOf(int records)
{
    StringGrid grid(3, records + 1);
    for (int row = 1; row <= records; ++row)
        grid.setRowCells(row, {QStringLiteral("user%1@example.com").arg(row), "Зоя", "Wrocław"});
    return grid;
}

struct ListCase {
    const char* name;
    int records;
    qint64 spaceLeft;   // room on the disk before the save
    friend void PrintTo(const ListCase& c, std::ostream* out) { *out << c.name; }
};

// What a save over "list.txt" left: its answer, its reason, whether the old list is whole, the folder's names.
QByteArray saveReport(const QString& folder, const ListCase& c, bool throughSeam)
{
    const QString path = folder + "/list.txt";
    const StringGrid grid = listOf(c.records);
    QString error;
    bool saved = false;
    if (throughSeam) {
        ScopedDiskFault disk({c.spaceLeft, ENOSPC});
        saved = SaveListFile(grid, path, ";", &error);
    } else {
        saved = SaveListFile(grid, path, ";", &error);
    }
    QStringList names = QDir(folder).entryList(QDir::Files | QDir::Hidden);
    names.removeAll("filler");
    return "saved=" + QByteArray::number(saved) + "\nerror=" + error.toUtf8() + "\nold list whole="
           + QByteArray::number(readFileBytes(path) == kOldList) + "\nnames=" + names.join(',').toUtf8();
}

const QByteArray kExpected = "saved=0\nerror=No space left on device\nold list whole=1\nnames=list.txt";

class ListFileFullDiskTest : public ::testing::TestWithParam<ListCase> {};

TEST_P(ListFileFullDiskTest, OldListStaysAndTheReasonIsNamed)
{
    const ListCase& c = GetParam();
    const QString folder = testHome() + "lists";
    QDir().mkpath(folder);
    writeFileBytes(folder + "/list.txt", kOldList);
    EXPECT_EQ(saveReport(folder, c, true).toStdString(), kExpected.toStdString());

    const FullDiskRun run = runOnFullDisk([](const QString& disk) { writeFileBytes(disk + "/list.txt", kOldList); },
                                          [&c](const QString& disk) { return saveReport(disk, c, false); },
                                          c.spaceLeft);
    if (!run.mounted)
        GTEST_SKIP() << "no tmpfs here: " << run.refusal.toStdString();
    EXPECT_EQ(run.report.toStdString(), kExpected.toStdString());
}

INSTANTIATE_TEST_SUITE_P(Lists, ListFileFullDiskTest,
                         ::testing::Values(ListCase{"two_rows_no_room", 2, 0},
                                           ListCase{"twenty_thousand_rows_part_way", 20000, 64 * 1024}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
