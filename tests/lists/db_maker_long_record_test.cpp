// DB Maker records longer than the hold limit (a file without markers is one such record): they are searched
// whole as they are read, so they give the rows of the whole text, every begin text and keyword hit counted
// once across the joins of the pieces; a value longer than its window is cut and counted.

#include "lists/db_maker_engine.h"
#include "tests/lists/db_maker_fixtures.h"
#include "tests/lists/list_grids.h"
#include "tests/support/test_files.h"
#include "tests/support/test_home.h"

#include <gtest/gtest.h>

#include <QDir>

#include <random>

namespace {

using namespace sorvanta::test;

// Text of short tokens between separators, so that every value of the fields below is shorter than the
// value window of the hold limits the test takes (64 bytes and up).
QByteArray randomText(std::mt19937& random, int tokens)
{
    static const QList<QByteArray> words{"a@b.c", "@", "X@Y.Z", "http://x.y/z", "href=\"http://q.r/s\"", "www.w.v",
                                         "www.", "name:", "Name:", "bob", "x", "<br>\r\n", "h@"};
    static const QList<QByteArray> separators{" ", "\r\n", "<br>", ";", "\n", "  ", ":"};
    QByteArray text;
    for (int i = 0; i < tokens; ++i)
        text += words[random() % words.size()] + separators[random() % separators.size()];
    return text;
}

DbMakerSettings fieldSettings(const QString& begin, const QString& end, const QList<QStringList>& fields)
{
    DbMakerSettings settings;
    settings.beginMarker = begin;
    settings.endMarker = end;
    settings.fieldRows = fields;
    return settings;
}

TEST(LongRecord, RecordsPastTheHoldLimitGiveTheRowsOfTheWholeText)
{
    const QList<QList<QStringList>> fieldSets{
        {{"Mail", "^Find@"}},
        {{"Mail", "^Find@", "", "3"}, {"Head", "", "", "", "8"}},
        {{"Url", "^FindUrl^+^FindDomain", "", "2"}, {"Any", "^Find@^+^Other", "", "4"}},
        {{"Name", "name:", "", "2", "12"}, {"Until", "name:", ";", "1", "12"}},
        {{"Lines", "<br>", "", "1", "20", "", "1"}, {"Words", " ", "", "3", "15", "2"}},
        {{"Never", "name:", "", "0"}, {"Mail", "^Find@", "", "0"}, {"Other", "^Other"}, {"Mail", "^Find@", "", "5"}},
    };
    const QList<QPair<QString, QString>> markers{{"", ""}, {"", "\n"}, {"name:", "<br>"}, {"", "@"}};
    std::mt19937 random(7);
    for (int round = 0; round < 60; ++round) {
        const QByteArray text = randomText(random, 20 + int(random() % 200));
        for (const auto& [begin, end] : markers) {
            for (const QList<QStringList>& fields : fieldSets) {
                DbMakerSettings settings = fieldSettings(begin, end, fields);
                settings.limitLength = round % 3 == 0;
                settings.maxLength = "150";
                const QList<QStringList> whole = extractFieldRows(text, settings);
                const qsizetype pieceSize = 1 + qsizetype(random() % 13);
                const qsizetype holdLimit = 64 + qsizetype(random() % 64);
                ASSERT_EQ(extractFieldRows(text, settings, pieceSize, holdLimit), whole)
                    << text.toStdString() << "\nmarkers " << begin.toStdString() << " / " << end.toStdString()
                    << " field " << fields[0][0].toStdString() << " pieces " << pieceSize << " hold " << holdLimit;
            }
        }
    }
}

// A file without markers is one record: an address after its first 16 MB is its value.
TEST(LongRecord, AnAddressPast16MegabytesIsFound)
{
    const QByteArray text = QByteArray(17 << 20, ' ') + "me@host.org";
    DbMakerSettings settings;
    settings.fieldRows = {{"Mail", "^Find@"}, {"Second", "^Find@", "", "2"}};
    EXPECT_EQ(extractFieldRows(text, settings), (QList<QStringList>{{"me@host.org", ""}}));
}

// A value longer than 1 MB in a record too long to hold is cut at 1 MB and counted; the run goes on.
TEST(LongRecord, AValueLongerThanItsWindowIsCutAndCounted)
{
    const QString folder = testHome() + "long";
    QDir().mkpath(folder);
    writeFileBytes(folder + "/long.txt", QByteArray(17 << 20, ' ') + "v=" + QByteArray(2 << 20, 'x') + " w@host.org");
    writeFileBytes(folder + "/short.txt", "v=short w@short.org");
    DbMakerSettings settings;
    settings.folder = folder;
    settings.fieldRows = {{"Value", "v="}, {"Mail", "^Find@"}};
    QMap<QString, QStringList> rows;
    DbMakerCallbacks callbacks;
    callbacks.row = [&](const DbMakerRow& row) { rows[row.fileName] = row.values; };
    const DbMakerRunResult result = runDbMaker(settings, callbacks);
    EXPECT_EQ(result.valuesCut, 1);
    EXPECT_EQ(rows["long.txt"].value(0), QString(1 << 20, 'x'));
    EXPECT_EQ(rows["long.txt"].value(1), "w@host.org");
    EXPECT_EQ(rows["short.txt"], (QStringList{"short", "w@short.org"}));
}

}  // namespace
