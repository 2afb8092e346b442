// Table file: family from the version byte, the header checks against the file, damaged files, the record
// count against the file size, the dBase VII properties block, and that opening never writes.

#include "dbase/dbf.h"
#include "dbase/dbf_error.h"
#include "dbase/dbf_file.h"
#include "dbase/dbf_header.h"
#include "dbase/production_index.h"
#include "tests/dbase/dbf_builder.h"
#include "tests/support/test_files.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QFileInfo>

using namespace dbftest;
using sorvanta::test::readFileBytes;
using sorvanta::test::writeTestFile;

namespace {

const QList<FieldSpec> NameAndAmount = {{"NAME", 'C', 10}, {"AMOUNT", 'N', 8, 2}};

TableBuilder twoRecords(quint8 version, quint8 language = 0)
{
    TableBuilder table(version, NameAndAmount);
    table.language(language).record({"Ann", "   12.50"}).record({"Bob", "    3.00"});
    return table;
}

// The error text of opening bytes as a table, or "" when it opens.
QString openError(const QByteArray& bytes)
{
    const QString path = writeTestFile("t.dbf", bytes);
    TDbfFile file;
    try {
        file.Open(path, TPagedFileMode::pfReadOnly);
    } catch (const EDbfError& error) {
        return error.message();
    }
    return {};
}

struct VersionCase {
    const char* name;
    quint8 version;
    quint8 language;
    std::optional<TableFamily> family;
};

class VersionByteTest : public ::testing::TestWithParam<VersionCase> {};

TEST_P(VersionByteTest, GivesFamilyOrError)
{
    const VersionCase& c = GetParam();
    EXPECT_EQ(dbfheader::familyOf(c.version, c.language), c.family);
    // Through a whole file as well (dBase VII has its own layout, covered by its own tests).
    if ((c.version & 7) == 4)
        return;
    const QString error = openError(twoRecords(c.version, c.language).bytes());
    EXPECT_EQ(error.isEmpty(), c.family.has_value()) << error.toStdString();
    if (!c.family) {
        EXPECT_EQ(error, "Invalid DBF file.");
    }
}

INSTANTIATE_TEST_SUITE_P(Families, VersionByteTest, ::testing::Values(
    VersionCase{"iii", 0x03, 0, TableFamily::DbaseIII},
    VersionCase{"iv_by_language", 0x03, 0x57, TableFamily::DbaseIV},
    VersionCase{"iii_memo", 0x83, 0, TableFamily::DbaseIII},
    VersionCase{"iv_memo", 0x8B, 0x57, TableFamily::DbaseIV},
    VersionCase{"iii_fb", 0xFB, 0, TableFamily::DbaseIII},
    VersionCase{"vii", 0x04, 0, TableFamily::DbaseVII},
    VersionCase{"vii_memo", 0x8C, 0, TableFamily::DbaseVII},
    VersionCase{"foxbase", 0x02, 0, TableFamily::FoxPro},
    VersionCase{"foxpro_memo", 0xF5, 0x03, TableFamily::FoxPro},
    VersionCase{"visual_foxpro", 0x30, 0x03, TableFamily::FoxPro},
    VersionCase{"visual_foxpro_autoinc", 0x31, 0x03, TableFamily::FoxPro},
    VersionCase{"one", 0x01, 0, std::nullopt},
    VersionCase{"zero", 0x00, 0, std::nullopt},
    VersionCase{"seven_low_bits", 0x07, 0, std::nullopt},
    VersionCase{"six", 0x06, 0, std::nullopt}),
    [](const auto& info) { return std::string(info.param.name); });

struct DamageCase {
    const char* name;
    QByteArray bytes;
    const char* error;
};

class DamagedTableTest : public ::testing::TestWithParam<DamageCase> {};

TEST_P(DamagedTableTest, FailsWithClearText)
{
    EXPECT_EQ(openError(GetParam().bytes), QString::fromLatin1(GetParam().error));
}

QByteArray withU16(QByteArray bytes, int at, quint16 value)
{
    putU16(bytes, at, value);
    return bytes;
}

// 5,000 one-byte descriptors without a terminator, behind a header that claims its largest size.
QByteArray fiveThousandDescriptors()
{
    QList<FieldSpec> fields;
    for (int i = 0; i < 5000; ++i)
        fields.append({"F" + QByteArray::number(i), 'C', 1});
    QByteArray bytes = TableBuilder(0x03, fields).header();
    putU16(bytes, 8, 0xFFFF);
    putU16(bytes, 10, 11);
    bytes.replace(bytes.size() - 1, 1, QByteArray(1, 'C'));   // no terminator either
    return bytes + QByteArray(1000, ' ');
}

QByteArray descriptorWith(int at, char value)
{
    QByteArray bytes = twoRecords(0x03).bytes();
    bytes[32 + at] = value;
    return bytes;
}

INSTANTIATE_TEST_SUITE_P(Damage, DamagedTableTest, ::testing::Values(
    DamageCase{"empty_file", QByteArray(), "Invalid DBF file."},
    DamageCase{"short_prefix", twoRecords(0x03).bytes().left(31), "Invalid DBF file."},
    DamageCase{"cut_header", twoRecords(0x03).bytes().left(70), "Invalid DBF file."},
    DamageCase{"record_size_zero", withU16(twoRecords(0x03).bytes(), 10, 0), "Invalid DBF file."},
    DamageCase{"header_size_zero", withU16(twoRecords(0x03).bytes(), 8, 0), "Invalid DBF file."},
    DamageCase{"header_past_file", withU16(twoRecords(0x03).bytes(), 8, 60000), "Invalid DBF file."},
    DamageCase{"field_past_record", withU16(twoRecords(0x03).bytes(), 10, 12), "Invalid DBF file."},
    DamageCase{"five_thousand_descriptors", fiveThousandDescriptors(), "Invalid DBF file."},
    DamageCase{"empty_name", descriptorWith(0, '\0'), "Invalid DBF file."},
    DamageCase{"unknown_letter", descriptorWith(11, 'X'), "Invalid DBF file."},
    DamageCase{"no_fields", withU16(TableBuilder(0x03, {}).bytes(), 10, 1),
               "Invalid field count: 0 (must be between 1 and 4095)."},
    DamageCase{"null_bits_past_flags",
               TableBuilder(0x30, {{"A", 'C', 1, 0, 2}, {"B", 'C', 1, 0, 2}, {"_NULLFLAGS", '0', 0}}).bytes(),
               "Invalid DBF file."}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(DbfFileTest, MissingFileGivesNotFoundText)
{
    TDbfFile file;
    const QString path = sorvanta::test::testHome() + "none.dbf";
    try {
        file.Open(path, TPagedFileMode::pfReadOnly);
        FAIL() << "opened a missing file";
    } catch (const EDbfError& error) {
        EXPECT_EQ(error.message(), QString("Open: file not found: \"%1\".").arg(path));
    }
}

TEST(DbfFileTest, RecordCountFollowsTheFileSizeBothWays)
{
    for (const quint32 stored : {quint32(1), quint32(2), quint32(4000000000u)}) {
        const QString path = writeTestFile("t.dbf", twoRecords(0x03).storedCount(stored).bytes());
        TDbfFile file;
        file.Open(path, TPagedFileMode::pfReadOnly);
        EXPECT_EQ(file.RecordCount(), 2) << stored;
        EXPECT_EQ(file.headerRecordCount(), stored);
    }
}

TEST(DbfFileTest, SharedModeSeesRecordsAddedByAnotherProgram)
{
    TableBuilder table = twoRecords(0x03);
    const QString path = writeTestFile("t.dbf", table.bytes());
    TDbfFile file;
    file.Open(path, TPagedFileMode::pfReadWriteOpen);
    EXPECT_EQ(file.RecordCount(), 2);
    table.record({"Cy", "1"});
    sorvanta::test::writeFileBytes(path, table.bytes());
    EXPECT_EQ(file.RecordCount(), 3);
}

TEST(DbfFileTest, EarlyTerminatorEndsTheDescriptors)
{
    QByteArray bytes = twoRecords(0x03).bytes();
    bytes[32 + 32] = 0x0D;   // the second descriptor's place
    const QString path = writeTestFile("t.dbf", bytes);
    TDbfFile file;
    file.Open(path, TPagedFileMode::pfReadOnly);
    ASSERT_EQ(file.fieldDefs().count(), 1);
    EXPECT_EQ(file.fieldDefs()[0].FieldName, "NAME");
}

TEST(DbfFileTest, FoxProCharacterFieldTakesTheHighByteOfItsLength)
{
    const QString path = writeTestFile("t.dbf", TableBuilder(0x30, {{"LONG", 'C', 300}}).record({"x"}).bytes());
    TDbfFile file;
    file.Open(path, TPagedFileMode::pfReadOnly);
    EXPECT_EQ(file.fieldDefs()[0].Size, 300);
    EXPECT_EQ(file.recordSize(), 301);
}

// dBase VII: 48-byte descriptors, the driver name, and a properties block with a required flag, a default
// and a property for a field that does not exist.
TEST(DbfFileTest, DbaseSevenHeaderWithPropertiesBlock)
{
    QByteArray block(4 + 3 * 15 + 3, '\0');
    putU16(block, 0, 3);
    putU16(block, 2, 4);
    const auto property = [&](int index, int field, int type, int valueAt, int width) {
        const int at = 4 + index * 15;
        putU16(block, at + 2, quint16(field));
        block[at + 4] = char(type);
        putU16(block, at + 11, quint16(valueAt));
        putU16(block, at + 13, quint16(width));
    };
    property(0, 1, 1, 0, 0);
    property(1, 2, 4, 49, 3);
    property(2, 9, 4, 49, 3);
    block.replace(49, 3, "abc");
    block += QByteArray(20, '\0');
    const TableBuilder table = TableBuilder(0x04, {{"FIRST_LONG_NAME", 'C', 5}, {"CODE", 'C', 3}})
                                   .driverName("DBWINUS0").properties(block).record({"x", "y"});
    const QString path = writeTestFile("t.dbf", table.bytes());
    TDbfFile file;
    file.Open(path, TPagedFileMode::pfReadOnly);
    EXPECT_EQ(file.family(), TableFamily::DbaseVII);
    EXPECT_EQ(file.tableCodePage(), 1252);
    EXPECT_EQ(file.languageId(), 0x57);
    ASSERT_EQ(file.fieldDefs().count(), 2);
    EXPECT_EQ(file.fieldDefs()[0].FieldName, "FIRST_LONG_NAME");
    EXPECT_TRUE(file.fieldDefs()[0].Required);
    EXPECT_TRUE(file.fieldDefs()[1].HasDefault);
    EXPECT_EQ(file.fieldDefs()[1].DefaultValue, "abc");
    EXPECT_FALSE(file.fieldDefs()[1].Required);
}

TEST(DbfFileTest, PropertiesPointingOutsideTheBlockAreIgnored)
{
    QByteArray block(40, '\0');
    putU16(block, 0, 60000);   // far more properties than the block holds
    putU16(block, 2, 4);
    putU16(block, 4 + 2, 1);
    block[4 + 4] = 4;
    putU16(block, 4 + 11, 65000);
    putU16(block, 4 + 13, 65000);
    const QString path = writeTestFile("t.dbf", TableBuilder(0x04, {{"A", 'C', 2}}).properties(block).record({"x"}).bytes());
    TDbfFile file;
    file.Open(path, TPagedFileMode::pfReadOnly);
    EXPECT_FALSE(file.fieldDefs()[0].HasDefault);
}

class RecordingIndexOpener : public ProductionIndexOpener {
public:
    bool openProductionIndex(TDbfFile&, const QString& indexPath) override
    {
        opened = indexPath;
        return true;
    }
    QString opened;
};

TEST(DbfFileTest, ProductionIndexIsFoundWithoutCaseAndHandedToTheOpener)
{
    const QString path = writeTestFile("T.DBF", twoRecords(0x03, 0x57).indexFlag(1).bytes());
    TDbfFile withoutOpener;
    withoutOpener.Open(path, TPagedFileMode::pfReadOnly);
    EXPECT_TRUE(withoutOpener.productionIndexPath().isEmpty());
    EXPECT_TRUE(withoutOpener.openedWithoutProductionIndex());

    const QString index = writeTestFile("t.mdx", "index");
    RecordingIndexOpener opener;
    TDbfFile file;
    file.setProductionIndexOpener(&opener);
    file.Open(path, TPagedFileMode::pfReadOnly);
    EXPECT_EQ(opener.opened, index);
    EXPECT_FALSE(file.openedWithoutProductionIndex());
}

// Every mode, every record and field read, a count that disagrees, a production-index flag without an index,
// memo bits that disagree with the fields: the file keeps every byte and its time.
TEST(DbfFileTest, OpeningAndReadingNeverWrites)
{
    QByteArray bytes = TableBuilder(0x8B, NameAndAmount).language(0x57).indexFlag(1).storedCount(7)
                           .record({"Ann", "1"}).record({"Bob", "2"}, true).bytes();
    const QString path = writeTestFile("t.dbf", bytes);
    QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther);
    const QDateTime modified = QFileInfo(path).lastModified();
    for (const bool readOnly : {false, true}) {
        for (const bool exclusive : {false, true}) {
            TDbf dbf;
            dbf.setTableName(path);
            dbf.setReadOnly(readOnly);
            dbf.setExclusive(exclusive);
            dbf.setShowDeleted(true);
            dbf.Open();
            for (; !dbf.Eof(); dbf.Next())
                for (int i = 0; i < dbf.FieldCount(); ++i)
                    dbf.Fields(i).AsString();
            dbf.Close();
        }
    }
    EXPECT_EQ(readFileBytes(path), bytes);
    EXPECT_EQ(QFileInfo(path).lastModified(), modified);
}

}  // namespace
