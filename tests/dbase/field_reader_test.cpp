// Field values by letter and family: text forms, the binary forms of FoxPro and dBase VII, null flags, and the
// AsString form each value takes.

#include "dbase/field_reader.h"
#include "dbase/field_text.h"

#include <gtest/gtest.h>

#include <QtEndian>

#include <cstring>

namespace {

QByteArray littleEndian64(qint64 value)
{
    QByteArray bytes(8, '\0');
    qToLittleEndian(value, bytes.data());
    return bytes;
}

QByteArray doubleBytes(double value)
{
    QByteArray bytes(8, '\0');
    std::memcpy(bytes.data(), &value, 8);
    return bytes;
}

QByteArray bigEndian64(quint64 value)
{
    QByteArray bytes(8, '\0');
    qToBigEndian(value, bytes.data());
    return bytes;
}

// dBase VII "O": a value of 0 or above has its sign bit set, a negative one every bit inverted.
QByteArray sevenDouble(double value)
{
    quint64 bits;
    std::memcpy(&bits, &value, 8);
    return bigEndian64(value >= 0 ? bits | (quint64(1) << 63) : ~bits);
}

QByteArray foxProStamp(qint64 julianDay, qint64 milliseconds)
{
    QByteArray bytes(8, '\0');
    qToLittleEndian(quint32(julianDay), bytes.data());
    qToLittleEndian(quint32(milliseconds), bytes.data() + 4);
    return bytes;
}

QByteArray sevenStamp(QDate date, int millisecondsOfDay)
{
    const double milliseconds = double(QDate(1, 1, 1).daysTo(date) + 1) * 86400000.0 + millisecondsOfDay;
    quint64 bits;
    std::memcpy(&bits, &milliseconds, 8);
    return bigEndian64(bits);
}

struct FieldCase {
    const char* name;
    TableFamily family;
    char letter;
    int size;
    int decimals;
    QByteArray stored;
    const char* text;   // AsString; nullptr for no value
};

class FieldReaderTest : public ::testing::TestWithParam<FieldCase> {
protected:
    void SetUp() override { fieldtext::setShortDateFormat("dd.MM.yyyy"); }
    void TearDown() override { fieldtext::setShortDateFormat({}); }
};

TEST_P(FieldReaderTest, ReadsValueAndText)
{
    const FieldCase& c = GetParam();
    TDbfFieldDefs defs(c.family);
    TDbfFieldDef def;
    def.FieldName = "F";
    def.NativeFieldType = c.letter;
    def.Size = c.size;
    def.Precision = c.decimals;
    def.Offset = 1;
    def.FieldType = fieldTypeOf(c.letter, c.size, c.decimals, c.family);
    defs.add(def);
    ASSERT_EQ(c.stored.size(), c.size);
    const QByteArray record = " " + c.stored;
    const auto value = readFieldValue({&defs, -1, TDateTimeHandling::dtBDETimeStamp}, def, record);
    ASSERT_EQ(value.has_value(), c.text != nullptr);
    if (value)
        EXPECT_EQ(fieldtext::textOf(*value), QString::fromUtf8(c.text));
}

const QDate SomeDay(2021, 3, 4);

INSTANTIATE_TEST_SUITE_P(Letters, FieldReaderTest, ::testing::Values(
    FieldCase{"c_trailing_blanks_dropped", TableFamily::DbaseIII, 'C', 6, 0, "  ab  ", "  ab"},
    FieldCase{"c_blank_no_value", TableFamily::DbaseIII, 'C', 3, 0, "   ", nullptr},
    FieldCase{"n_integer", TableFamily::DbaseIV, 'N', 9, 0, "     -42 ", "-42"},
    FieldCase{"n_float_shortest", TableFamily::DbaseIV, 'N', 8, 2, "   12.50", "12.5"},
    FieldCase{"n_float_whole", TableFamily::DbaseIV, 'N', 8, 2, "    3.00", "3"},
    FieldCase{"n_large", TableFamily::DbaseIV, 'N', 18, 0, "  9007199254740993", "9007199254740993"},
    FieldCase{"n_not_a_number", TableFamily::DbaseIV, 'N', 5, 0, "*****", "0"},
    FieldCase{"f_float", TableFamily::DbaseIV, 'F', 10, 3, "    -0.125", "-0.125"},
    FieldCase{"n_blank_no_value", TableFamily::DbaseIV, 'N', 4, 0, "    ", nullptr},
    FieldCase{"l_true_t", TableFamily::DbaseIII, 'L', 1, 0, "t", "True"},
    FieldCase{"l_true_y", TableFamily::DbaseIII, 'L', 1, 0, "Y", "True"},
    FieldCase{"l_false", TableFamily::DbaseIII, 'L', 1, 0, "F", "False"},
    FieldCase{"l_unknown", TableFamily::DbaseIII, 'L', 1, 0, "?", nullptr},
    FieldCase{"l_blank", TableFamily::DbaseIII, 'L', 1, 0, " ", nullptr},
    FieldCase{"d_date", TableFamily::DbaseIII, 'D', 8, 0, "20230102", "02.01.2023"},
    FieldCase{"d_impossible_is_base_date", TableFamily::DbaseIII, 'D', 8, 0, "20231340", "30.12.1899"},
    FieldCase{"d_blank", TableFamily::DbaseIII, 'D', 8, 0, "        ", nullptr},
    FieldCase{"t_text_stamp", TableFamily::DbaseIV, 'T', 14, 0, "20210304050607", "04.03.2021 05:06:07"},
    FieldCase{"seven_i_positive", TableFamily::DbaseVII, 'I', 4, 0, QByteArray("\x80\x00\x00\x05", 4), "5"},
    FieldCase{"seven_i_negative", TableFamily::DbaseVII, 'I', 4, 0, QByteArray("\x7F\xFF\xFF\xFB", 4), "-5"},
    FieldCase{"seven_i_zero_bytes", TableFamily::DbaseVII, 'I', 4, 0, QByteArray(4, '\0'), nullptr},
    FieldCase{"seven_autoinc", TableFamily::DbaseVII, '+', 4, 0, QByteArray("\x80\x00\x01\x00", 4), "256"},
    FieldCase{"seven_o_positive", TableFamily::DbaseVII, 'O', 8, 0, sevenDouble(2.75), "2.75"},
    FieldCase{"seven_o_negative", TableFamily::DbaseVII, 'O', 8, 0, sevenDouble(-1e-3), "-0.001"},
    FieldCase{"seven_stamp", TableFamily::DbaseVII, '@', 8, 0, sevenStamp(SomeDay, 3600000), "04.03.2021 01:00:00"},
    FieldCase{"fox_i_little_endian", TableFamily::FoxPro, 'I', 4, 0, QByteArray("\xFE\xFF\xFF\xFF", 4), "-2"},
    FieldCase{"fox_i_zero", TableFamily::FoxPro, 'I', 4, 0, QByteArray(4, '\0'), "0"},
    FieldCase{"fox_b_double", TableFamily::FoxPro, 'B', 8, 2, doubleBytes(2.25), "2.25"},
    FieldCase{"fox_b_zero_is_zero", TableFamily::FoxPro, 'B', 8, 0, QByteArray(8, '\0'), "0"},
    FieldCase{"fox_y_currency", TableFamily::FoxPro, 'Y', 8, 4, littleEndian64(15000), "1.5"},
    FieldCase{"fox_y_zero_is_zero", TableFamily::FoxPro, 'Y', 8, 4, QByteArray(8, '\0'), "0"},
    FieldCase{"fox_t_stamp", TableFamily::FoxPro, 'T', 8, 0, foxProStamp(SomeDay.toJulianDay(), 45296000),
              "04.03.2021 12:34:56"},
    FieldCase{"fox_t_empty", TableFamily::FoxPro, 'T', 8, 0, QByteArray(8, '\0'), nullptr},
    FieldCase{"fox_memo_binary_block", TableFamily::FoxPro, 'M', 4, 0, QByteArray("\x07\0\0\0", 4), "7"},
    FieldCase{"dbase_memo_block_text", TableFamily::DbaseIV, 'M', 10, 0, "        12", "12"},
    FieldCase{"dbase_b_is_memo_block", TableFamily::DbaseIV, 'B', 10, 0, "         3", "3"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(FieldTypeTest, NumbersTakeTheirTypeFromSizeAndDecimals)
{
    EXPECT_EQ(fieldTypeOf('N', 4, 0, TableFamily::DbaseIV), TFieldType::ftSmallint);
    EXPECT_EQ(fieldTypeOf('N', 9, 0, TableFamily::DbaseIV), TFieldType::ftInteger);
    EXPECT_EQ(fieldTypeOf('N', 10, 0, TableFamily::DbaseIV), TFieldType::ftLargeint);
    EXPECT_EQ(fieldTypeOf('N', 8, 2, TableFamily::DbaseIV), TFieldType::ftFloat);
    EXPECT_EQ(fieldTypeOf('B', 8, 0, TableFamily::FoxPro), TFieldType::ftFloat);
    EXPECT_EQ(fieldTypeOf('B', 10, 0, TableFamily::DbaseIV), TFieldType::ftBlob);
    EXPECT_EQ(fieldTypeOf('X', 1, 0, TableFamily::DbaseIV), TFieldType::ftUnknown);
}

TEST(FieldReaderTest, NumberFieldAsTextKeepsLeadingBlanks)
{
    TDbfFieldDefs defs(TableFamily::DbaseIV);
    TDbfFieldDef def;
    def.NativeFieldType = 'N', def.Size = 8, def.Precision = 2, def.Offset = 1;
    def.FieldType = TFieldType::ftFloat;
    defs.add(def);
    const QByteArray record = QByteArray(" ") + "  12.50 ";
    const auto text = readFieldValue({&defs, -1, {}}, def, record, TFieldType::ftString);
    ASSERT_TRUE(text);
    EXPECT_EQ(std::get<QByteArray>(*text), "  12.50");
    EXPECT_EQ(std::get<double>(*readFieldValue({&defs, -1, {}}, def, record)), 12.5);
}

// Only _NULLFLAGS makes a FoxPro value absent: bit i of the flags for the i-th nullable field.
TEST(FieldReaderTest, NullFlagsDecideWhetherAValueExists)
{
    TDbfFieldDefs defs(TableFamily::FoxPro);
    TDbfFieldDef price;
    price.NativeFieldType = 'Y', price.Size = 8, price.Offset = 1, price.NullBit = 0;
    price.FieldType = TFieldType::ftCurrency;
    TDbfFieldDef count = price;
    count.NativeFieldType = 'I', count.Size = 4, count.Offset = 9, count.NullBit = 1;
    count.FieldType = TFieldType::ftInteger;
    TDbfFieldDef flags;
    flags.FieldName = "_NULLFLAGS", flags.NativeFieldType = '0', flags.Size = 1, flags.Offset = 13;
    defs.add(price), defs.add(count), defs.add(flags);
    const FieldReadContext context{&defs, 2, TDateTimeHandling::dtBDETimeStamp};
    const QByteArray zeros = " " + QByteArray(12, '\0');
    EXPECT_FALSE(readFieldValue(context, price, zeros + '\x01'));
    EXPECT_TRUE(readFieldValue(context, count, zeros + '\x01'));
    EXPECT_TRUE(readFieldValue(context, price, zeros + '\x02'));
    EXPECT_FALSE(readFieldValue(context, count, zeros + '\x02'));
}

TEST(FieldReaderTest, FieldOutsideTheRecordReadsNothing)
{
    TDbfFieldDefs defs(TableFamily::DbaseIII);
    TDbfFieldDef def;
    def.NativeFieldType = 'C', def.Size = 10, def.Offset = 5, def.FieldType = TFieldType::ftString;
    defs.add(def);
    EXPECT_FALSE(readFieldValue({&defs, -1, {}}, def, QByteArray(8, 'x')));
}

}  // namespace
