// The import wizard on ".dbf" files that do not open as tables: when they are no text either, the table
// layer's reason is what the wizard reports ("<file> : <reason>"), not the text reader's "This is not a text
// file.".

#include "lists/import_wizard_model.h"
#include "tests/dbase/dbf_builder.h"
#include "tests/support/test_files.h"

#include <gtest/gtest.h>

namespace {

using namespace sorvanta::test;

QByteArray goodTable()
{
    return dbftest::TableBuilder(0x03, {{"NAME", 'C', 8}, {"MAIL", 'C', 20}}).record({"Ann", "a@x.test"}).bytes();
}

QByteArray withU16(QByteArray bytes, int at, quint16 value)
{
    dbftest::putU16(bytes, at, value);
    return bytes;
}

QByteArray withByte(QByteArray bytes, int at, char value)
{
    bytes[at] = value;
    return bytes;
}

struct DamagedCase {
    const char* name;
    QByteArray bytes;
    QString reason;
};

TEST(WizardDamagedTableTest, ReportsTheTablesReason)
{
    const QString invalid = "Invalid DBF file.";
    QByteArray noFields(33, '\0');
    noFields[0] = 0x03;
    noFields[32] = 0x0D;
    dbftest::putU16(noFields, 8, 33);
    dbftest::putU16(noFields, 10, 1);
    const DamagedCase cases[] = {
        {"header_cut", goodTable().left(20), invalid},
        {"header_size_past_the_end", withU16(goodTable(), 8, 5000), invalid},
        {"record_size_zero", withU16(goodTable(), 10, 0), invalid},
        {"version_00", withByte(goodTable(), 0, '\x00'), invalid},
        {"version_ff", withByte(goodTable(), 0, '\xFF'), invalid},
        {"no_fields", noFields, "Invalid field count: 0 (must be between 1 and 4095)."},
    };
    for (const DamagedCase& c : cases) {
        ImportWizardModel model;
        ASSERT_TRUE(model.chooseFile(writeTestFile(QString(c.name) + ".DBF", c.bytes)));
        EXPECT_EQ(model.enterSource(), c.reason) << c.name;
        EXPECT_EQ(model.kind(), ImportKind::Delimited) << c.name;
        EXPECT_EQ(model.setDos(true), c.reason) << c.name;   // the OEM re-read says the same
    }
}

// A file of another extension that is not text keeps the text reader's message.
TEST(WizardDamagedTableTest, OtherFilesKeepTheTextMessage)
{
    ImportWizardModel model;
    ASSERT_TRUE(model.chooseFile(writeTestFile("table.bin", withU16(goodTable(), 10, 0))));
    EXPECT_EQ(model.enterSource(), "This is not a text file.");
}

}  // namespace
