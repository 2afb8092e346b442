// Index files read-only: numeric key bytes and their order, page arithmetic, fixture indexes in both tag
// layouts and the single-index layout walked by the cursor, a table opening its production index, and
// damaged indexes that are left out of use while the table reads in full.

#include "dbase/dbf.h"
#include "dbase/index_cursor.h"
#include "dbase/index_file.h"
#include "dbase/numeric_key.h"
#include "tests/dbase/dbf_builder.h"
#include "tests/dbase/index_builder.h"
#include "tests/support/test_files.h"

#include <QRandomGenerator>
#include <QtEndian>

#include <gtest/gtest.h>

#include <algorithm>

using namespace dbftest;
using sorvanta::test::writeTestFile;

namespace {

QByteArray hex(const std::optional<QByteArray>& bytes) { return bytes ? bytes->toHex(' ') : "none"; }

TEST(NumericKeyTest, BytesFollowTheDecimalRule)
{
    const struct {
        double value;
        bool integral;
        const char* bytes;
    } cases[] = {
        {0, true, "34 01 00 00 00 00 00 00 00 00 00 00"},
        {0, false, "34 01 00 00 00 00 00 00 00 00 00 00"},
        {5, true, "35 09 50 00 00 00 00 00 00 00 00 00"},
        {-5, true, "35 89 50 00 00 00 00 00 00 00 00 00"},
        {123, true, "37 11 12 30 00 00 00 00 00 00 00 00"},
        {100, true, "37 09 10 00 00 00 00 00 00 00 00 00"},
        {123456, false, "3a 19 12 34 56 00 00 00 00 00 00 00"},
        {0.5, false, "34 09 50 00 00 00 00 00 00 00 00 00"},
        {12.5, false, "36 11 12 50 00 00 00 00 00 00 00 00"},
        {-0.05, false, "33 89 50 00 00 00 00 00 00 00 00 00"},
    };
    for (const auto& c : cases) {
        const auto key = c.integral ? numerickey::fromInteger(qint64(c.value)) : numerickey::fromDouble(c.value);
        EXPECT_EQ(hex(key), c.bytes) << c.value;
        ASSERT_TRUE(key);
        EXPECT_DOUBLE_EQ(numerickey::toDouble(*key), c.value);
    }
    EXPECT_FALSE(numerickey::fromDouble(1e250));   // the exponent byte cannot hold it
    EXPECT_FALSE(numerickey::fromDouble(std::numeric_limits<double>::quiet_NaN()));
}

TEST(NumericKeyTest, KeysOrderAsTheirValues)
{
    QRandomGenerator random(16);
    QList<double> values = {0, 1, -1, 10, -10, 0.001, -0.001, 99999999, 1e15, -1e15};
    for (int i = 0; i < 400; ++i) {
        const double magnitude = std::pow(10.0, random.bounded(-6, 12)) * random.generateDouble();
        values.append(random.bounded(2) ? -magnitude : magnitude);
        values.append(double(qint64(random.bounded(2000000)) - 1000000));
    }
    for (qsizetype i = 1; i < values.size(); ++i) {
        const double a = values[i - 1], b = values[i];
        const int order = numerickey::compare(*numerickey::fromDouble(a), *numerickey::fromDouble(b));
        EXPECT_EQ(order < 0, a < b) << a << " " << b;
        EXPECT_EQ(order == 0, a == b) << a << " " << b;
    }
}

TEST(IndexLayoutTest, PageArithmetic)
{
    using indexlayout::Kind;
    const struct {
        Kind kind;
        int keyLength, entrySize, keysPerPage;
    } cases[] = {{Kind::Multiple, 10, 16, 63}, {Kind::Single, 10, 20, 25}, {Kind::Multiple, 12, 16, 63},
                 {Kind::Single, 8, 16, 31}, {Kind::Multiple, 100, 104, 9}};
    for (const auto& c : cases) {
        const auto geometry = indexlayout::geometryFor(c.kind, c.keyLength);
        EXPECT_EQ(geometry.entrySize, c.entrySize) << c.keyLength;
        EXPECT_EQ(geometry.keysPerPage, c.keysPerPage) << c.keyLength;
    }
}

const QList<FieldSpec> PeopleFields = {{"NAME", 'C', 10}, {"CNT", 'N', 5}};
const QList<QPair<QByteArray, int>> People = {{"ward", 7}, {"Adams", 3}, {"baker", -2}, {"Clark", 40},
                                              {"evans", 0}, {"Dunn", 12}, {"Ford", 5}, {"Gray", 12}};

QByteArray peopleTable(quint8 language = 0x57)
{
    TableBuilder table(0x03, PeopleFields);
    table.language(language).indexFlag(1);
    for (const auto& person : People)
        table.record({person.first, QByteArray::number(person.second).rightJustified(5, ' ')});
    return table.bytes();
}

QByteArray padded(const QByteArray& text) { return text.leftJustified(10, ' '); }

// UPPER(NAME) keys in order, with record 4 entered twice in a row; CNT keys in either numeric layout.
TagSpec nameTag()
{
    QList<IndexKey> keys;
    for (qsizetype i = 0; i < People.size(); ++i)
        keys.append({padded(People[i].first.toUpper()), quint32(i + 1)});
    std::sort(keys.begin(), keys.end(), [](const IndexKey& a, const IndexKey& b) { return a.key < b.key; });
    const auto clark = std::find_if(keys.begin(), keys.end(), [](const IndexKey& k) { return k.record == 4; });
    keys.insert(clark, *clark);
    return {"NAMES", "UPPER(NAME)", 'C', 10, keys, 2};
}

TagSpec countTag(bool multiple)
{
    QList<QPair<int, quint32>> values;
    for (qsizetype i = 0; i < People.size(); ++i)
        values.append({People[i].second, quint32(i + 1)});
    std::stable_sort(values.begin(), values.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    QList<IndexKey> keys;
    for (const auto& value : values) {
        QByteArray key(8, '\0');
        qToLittleEndian(double(value.first), key.data());
        keys.append({multiple ? *numerickey::fromInteger(value.first) : key, value.second});
    }
    return {"COUNTS", "CNT", 'N', multiple ? 12 : 8, keys, 3};
}

// Record numbers of a whole walk forward and of one backward from the end.
QPair<QList<quint32>, QList<quint32>> walk(TIndexCursor& cursor)
{
    QList<quint32> forward, backward;
    cursor.First();
    while (cursor.Next())
        forward.append(cursor.PhysicalRecNo());
    EXPECT_FALSE(cursor.Next());   // stays after the last entry
    while (cursor.Prev())
        backward.append(cursor.PhysicalRecNo());
    EXPECT_FALSE(cursor.Prev());
    std::reverse(backward.begin(), backward.end());
    return {forward, backward};
}

class IndexFixtureTest : public ::testing::TestWithParam<bool> {};

TEST_P(IndexFixtureTest, MultipleIndexWalksBothTagsInKeyOrder)
{
    const bool seven = GetParam();
    writeTestFile("people.mdx", IndexBuilder(true, seven).language(0x57).tag(nameTag()).tag(countTag(true)).bytes());
    TDbf dbf;
    dbf.setTableName(writeTestFile("people.dbf", peopleTable()));
    dbf.Open();
    ASSERT_TRUE(dbf.productionIndex()) << dbf.productionIndexError().toStdString();
    const TIndexFile& index = *dbf.productionIndex();
    ASSERT_EQ(index.tagCount(), 2);
    EXPECT_EQ(index.tag(0).name, "NAMES");
    EXPECT_GE(index.tag(0).levels, 3);
    EXPECT_EQ(index.indexOfTag("counts"), 1);

    TIndexCursor names(index, 0);
    const QList<quint32> byName = {2, 3, 4, 6, 5, 7, 8, 1};   // Clark's repeated entry stepped over
    EXPECT_EQ(walk(names), qMakePair(byName, byName));
    names.First();
    names.Next();
    EXPECT_EQ(index.keyText(names.currentKey()), "ADAMS     ");

    TIndexCursor counts(index, 1);
    const QList<quint32> byCount = {3, 5, 2, 7, 1, 6, 8, 4};   // Dunn and Gray share 12 but are two records
    EXPECT_EQ(walk(counts), qMakePair(byCount, byCount));
    counts.Last();
    counts.Prev();
    EXPECT_DOUBLE_EQ(index.keyNumber(counts.currentKey()), 40);
    counts.First();
    counts.Next();
    EXPECT_DOUBLE_EQ(index.keyNumber(counts.currentKey()), -2);

    // The table still reads in file order.
    QStringList names2;
    for (dbf.First(); !dbf.Eof(); dbf.Next())
        names2.append(dbf.Fields(0).AsString());
    EXPECT_EQ(names2, (QStringList{"ward", "Adams", "baker", "Clark", "evans", "Dunn", "Ford", "Gray"}));
}

INSTANTIATE_TEST_SUITE_P(TagLayouts, IndexFixtureTest, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "dBaseVII" : "dBaseIV"; });

TEST(IndexFileTest, SingleIndexFile)
{
    TDbfFile table;
    table.Open(writeTestFile("people.dbf", peopleTable()), TPagedFileMode::pfReadOnly);
    const QString path = writeTestFile("counts.ndx", IndexBuilder(false).tag(countTag(false)).bytes());
    TIndexFile index;
    ASSERT_TRUE(index.Open(path, table)) << index.errorString().toStdString();
    EXPECT_EQ(index.kind(), indexlayout::Kind::Single);
    EXPECT_EQ(index.tag(0).name, "COUNTS");
    TIndexCursor cursor(index, 0);
    EXPECT_EQ(walk(cursor).first, (QList<quint32>{3, 5, 2, 7, 1, 6, 8, 4}));
    cursor.Last();
    cursor.Prev();
    EXPECT_DOUBLE_EQ(index.keyNumber(cursor.currentKey()), 40);
}

// Weights: a leaf entry is 1, an entry one level up stands for keys-per-page entries.
TEST(IndexCursorTest, SequentialNumbers)
{
    TDbfFile table;
    table.Open(writeTestFile("people.dbf", peopleTable()), TPagedFileMode::pfReadOnly);
    TagSpec flat = countTag(true);
    flat.perPage = 20;   // one leaf holding every key
    TIndexFile index;
    ASSERT_TRUE(index.Open(writeTestFile("flat.mdx", IndexBuilder(true).language(0x57).tag(flat).bytes()), table));
    TIndexCursor cursor(index, 0);
    EXPECT_EQ(cursor.SequentialRecNo(), 0);
    EXPECT_EQ(cursor.SequentialRecordCount(), 9);   // the root's weight times its entries + 1
    cursor.Next();
    EXPECT_EQ(cursor.SequentialRecNo(), 1);
    cursor.Last();
    EXPECT_EQ(cursor.SequentialRecNo(), TIndexCursor::AfterLastPosition);
    const struct {
        qint32 number;
        quint32 record;
        qint32 position;
    } cases[] = {{0, 0, 0}, {-3, 0, 0}, {1, 3, 1}, {4, 7, 4}, {8, 4, 8}, {9, 0, TIndexCursor::AfterLastPosition}};
    for (const auto& c : cases) {
        cursor.setSequentialRecNo(c.number);
        EXPECT_EQ(cursor.PhysicalRecNo(), c.record) << c.number;
        EXPECT_EQ(cursor.SequentialRecNo(), c.position) << c.number;
    }

    TIndexFile deep;
    ASSERT_TRUE(deep.Open(writeTestFile("deep.mdx", IndexBuilder(true).language(0x57).tag(nameTag()).bytes()), table));
    TIndexCursor names(deep, 0);
    names.setSequentialRecNo(1);
    EXPECT_EQ(names.PhysicalRecNo(), 2u);
    names.setSequentialRecNo(2);   // the second entry of the first leaf
    EXPECT_EQ(names.PhysicalRecNo(), 3u);
    names.setSequentialRecNo(3);   // past the first leaf of two entries: the next leaf's first
    EXPECT_EQ(names.PhysicalRecNo(), 4u);
    names.setSequentialRecNo(std::numeric_limits<qint32>::max());
    EXPECT_EQ(names.SequentialRecNo(), TIndexCursor::AfterLastPosition);
}

struct DamageCase {
    const char* name;
    void (*damage)(QByteArray& bytes, const QList<BuiltTag>& tags);
    const char* reason;
};

class DamagedIndexTest : public ::testing::TestWithParam<DamageCase> {};

TEST_P(DamagedIndexTest, IsLeftOutAndTheTableReads)
{
    IndexBuilder builder(true);
    builder.language(0x57).tag(nameTag()).tag(countTag(true));
    QByteArray bytes = builder.bytes();
    GetParam().damage(bytes, builder.built());
    writeTestFile("people.mdx", bytes);
    TDbf dbf;
    dbf.setTableName(writeTestFile("people.dbf", peopleTable()));
    dbf.Open();
    EXPECT_FALSE(dbf.productionIndex());
    EXPECT_TRUE(dbf.productionIndexError().contains(GetParam().reason)) << dbf.productionIndexError().toStdString();
    int records = 0;
    for (dbf.First(); !dbf.Eof(); dbf.Next())
        ++records;
    EXPECT_EQ(records, People.size());
}

INSTANTIATE_TEST_SUITE_P(Damage, DamagedIndexTest, ::testing::Values(
    DamageCase{"tag_count_60", [](QByteArray& b, const QList<BuiltTag>&) { putU16(b, 28, 60); },
               "60 tags, more than the 47"},
    DamageCase{"entry_length_0", [](QByteArray& b, const QList<BuiltTag>&) { b[26] = 0; },
               "a tag entry of 0 bytes"},
    DamageCase{"page_past_the_end", [](QByteArray& b, const QList<BuiltTag>& t) {
                   putU32(b, t[1].rootPage * 512 + 8, 5000); },
               "page 5000 lies outside the file"},
    DamageCase{"page_points_at_itself", [](QByteArray& b, const QList<BuiltTag>& t) {
                   putU32(b, t[0].rootPage * 512 + 8, quint32(t[0].rootPage)); },
               "is reached twice"},
    DamageCase{"too_many_entries", [](QByteArray& b, const QList<BuiltTag>& t) { putU32(b, t[0].pages[0] * 512, 64); },
               "holds 64 entries, more than 63"},
    DamageCase{"unknown_function", [](QByteArray& b, const QList<BuiltTag>& t) {
                   std::memcpy(b.data() + t[0].headerPage * 512 + 24, "SOUNDEX(NAME)", 14); },
               "tag NAMES: Index based on unknown field \"SOUNDEX\"."},
    DamageCase{"header_page_outside", [](QByteArray& b, const QList<BuiltTag>&) { putU32(b, 512 + 32, 9999); },
               "header page 9999 lies outside the file"},
    DamageCase{"other_language", [](QByteArray& b, const QList<BuiltTag>&) { b[31] = 0x65; },
               "made for language id 101"},
    DamageCase{"huge_entries", [](QByteArray& b, const QList<BuiltTag>& t) {
                   putU16(b, t[0].headerPage * 512 + 14, 0xFF00);
                   putU16(b, t[0].headerPage * 512 + 18, 0xFA00); },
               "to a page, do not fit a page"},
    DamageCase{"key_type", [](QByteArray& b, const QList<BuiltTag>& t) { b[t[0].headerPage * 512 + 9] = 'X'; },
               "keys of type 88"},
    DamageCase{"key_too_long", [](QByteArray& b, const QList<BuiltTag>& t) {
                   std::memcpy(b.data() + t[0].headerPage * 512 + 24, "STR(CNT,101)", 13); },
               "too long, >100 characters (101)"},
    DamageCase{"numeric_key_on_text", [](QByteArray& b, const QList<BuiltTag>& t) {
                   std::memcpy(b.data() + t[1].headerPage * 512 + 24, "NAME", 5); },
               "Invalid index type"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(IndexFileTest, LongStoredKeyIsCutWhenItsEntriesOverflowThePage)
{
    TagSpec wide = nameTag();
    for (IndexKey& key : wide.keys)
        key.key = key.key.leftJustified(100, ' ');
    wide.keyLength = 100;
    IndexBuilder builder(true);
    builder.language(0x57).tag(wide);
    QByteArray bytes = builder.bytes();
    const int header = builder.built()[0].headerPage * 512;
    putU16(bytes, header + 12, 150);   // 150-byte keys in 156-byte entries, 63 to a page: cannot fit
    putU16(bytes, header + 14, 63);
    putU16(bytes, header + 18, 156);
    TDbfFile table;
    table.Open(writeTestFile("people.dbf", peopleTable()), TPagedFileMode::pfReadOnly);
    TIndexFile index;
    ASSERT_TRUE(index.Open(writeTestFile("people.mdx", bytes), table)) << index.errorString().toStdString();
    EXPECT_EQ(index.tag(0).geometry.keyLength, 100);
    EXPECT_EQ(index.tag(0).geometry.keysPerPage, 9);
}

TEST(IndexFileTest, UnsupportedLocaleLeavesTheIndexOut)
{
    writeTestFile("people.mdx", IndexBuilder(true).tag(nameTag()).bytes());
    TDbf dbf;
    dbf.setTableName(writeTestFile("people.dbf", peopleTable(0x03)));   // a FoxPro id with no collation
    dbf.Open();
    EXPECT_FALSE(dbf.productionIndex());
    EXPECT_FALSE(dbf.productionIndexError().isEmpty());
    EXPECT_EQ(dbf.RecordCount(), People.size());
}

}  // namespace
