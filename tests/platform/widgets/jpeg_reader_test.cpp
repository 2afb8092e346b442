// The JPEG reader on real pictures (made by cjpeg and Pillow, see data/jpeg/make_fixtures.py): baseline,
// progressive, greyscale, Adobe CMYK and an EXIF-rotated picture decode upright with their colours and agree
// with Qt's own JPEG plug-in; a truncated one decodes as far as it goes; headers that claim gigapixels, and
// bytes that are no JPEG, are refused within a small memory bound. Also the DCT scaling and the EXIF parser
// on malformed segments.

#include "platform/widgets/jpeg_reader.h"
#include "tests/support/resource_meter.h"
#include "tests/support/test_files.h"
#include "tests/support/test_home.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QImageReader>
#include <QtEndian>

namespace {

using sorvanta::test::kMegabyte;
using sorvanta::test::sanitizerAllowance;

QByteArray fixture(const char* name)
{
    return sorvanta::test::readExistingFileBytes(sorvanta::test::sourcePath(QStringLiteral("platform/widgets/data/jpeg/")
                                                                             + QLatin1String(name)));
}

enum class Look {
    Quadrants,   // red, green / blue, white, upright
    Grey,        // the same quadrants in grey
    Any,
};

struct JpegCase {
    const char* name;
    const char* file;
    JpegPicture::Error error;
    QSize size;
    bool complete;
    Look look;
};

class JpegReaderTest : public ::testing::TestWithParam<JpegCase> {};

bool near(QRgb actual, QRgb expected)
{
    constexpr int kTolerance = 40;
    return std::abs(qRed(actual) - qRed(expected)) <= kTolerance && std::abs(qGreen(actual) - qGreen(expected)) <= kTolerance
        && std::abs(qBlue(actual) - qBlue(expected)) <= kTolerance;
}

void expectQuadrants(const QImage& image, bool grey)
{
    const QRgb colours[] = {qRgb(255, 0, 0), qRgb(0, 255, 0), qRgb(0, 0, 255), qRgb(255, 255, 255)};
    for (int index = 0; index < 4; ++index) {
        const QPoint centre((index % 2) * image.width() / 2 + image.width() / 4,
                            (index / 2) * image.height() / 2 + image.height() / 4);
        QRgb expected = colours[index];
        if (grey) {
            const int luma = qRound(0.299 * qRed(expected) + 0.587 * qGreen(expected) + 0.114 * qBlue(expected));
            expected = qRgb(luma, luma, luma);
        }
        EXPECT_TRUE(near(image.pixel(centre), expected))
            << "quadrant " << index << ": " << std::hex << image.pixel(centre) << " for " << expected;
    }
}

// Qt's plug-in decodes with its own colour conversion and EXIF handling: the two must show the same picture.
void expectSameAsQt(const QImage& ours, const QByteArray& bytes)
{
    QBuffer buffer;
    buffer.setData(bytes);
    QImageReader reader(&buffer, "jpeg");
    reader.setAutoTransform(true);
    const QImage theirs = reader.read().convertToFormat(QImage::Format_RGB32);
    ASSERT_FALSE(theirs.isNull()) << reader.errorString().toStdString();
    ASSERT_EQ(ours.size(), theirs.size());
    const QImage mine = ours.convertToFormat(QImage::Format_RGB32);
    for (int y = 0; y < mine.height(); y += 3)
        for (int x = 0; x < mine.width(); x += 3)
            ASSERT_TRUE(near(mine.pixel(x, y), theirs.pixel(x, y))) << x << "," << y;
}

TEST_P(JpegReaderTest, DecodesOrRefusesWithinBounds)
{
    const JpegCase& c = GetParam();
    const QByteArray bytes = fixture(c.file);
    JpegPicture picture;
    const sorvanta::test::ResourceUse use = sorvanta::test::measureResources([&] { picture = readJpeg(bytes); });
    EXPECT_LT(use.peakGrowthBytes, 24 * kMegabyte * sanitizerAllowance());
    EXPECT_LT(use.seconds, 2 * sanitizerAllowance());
    EXPECT_EQ(picture.error, c.error) << picture.errorString.toStdString();
    EXPECT_EQ(picture.size, c.size);
    if (c.error != JpegPicture::Error::None) {
        EXPECT_TRUE(picture.image.isNull());
        EXPECT_FALSE(picture.errorString.isEmpty());
        return;
    }
    EXPECT_EQ(picture.complete, c.complete);
    ASSERT_EQ(picture.image.size(), c.size);
    if (c.look != Look::Any)
        expectQuadrants(picture.image, c.look == Look::Grey);
    if (c.complete)
        expectSameAsQt(picture.image, bytes);
}

using Error = JpegPicture::Error;

INSTANTIATE_TEST_SUITE_P(
    Fixtures, JpegReaderTest,
    ::testing::Values(
        JpegCase{"baseline", "baseline.jpg", Error::None, {48, 32}, true, Look::Quadrants},
        JpegCase{"progressive", "progressive.jpg", Error::None, {48, 32}, true, Look::Quadrants},
        JpegCase{"greyscale", "greyscale.jpg", Error::None, {48, 32}, true, Look::Grey},
        JpegCase{"adobe_cmyk", "cmyk.jpg", Error::None, {48, 32}, true, Look::Quadrants},
        JpegCase{"exif_rotated", "exif_rotated.jpg", Error::None, {48, 32}, true, Look::Quadrants},
        JpegCase{"large", "large.jpg", Error::None, {800, 600}, true, Look::Quadrants},
        JpegCase{"truncated", "truncated.jpg", Error::None, {800, 600}, false, Look::Any},
        JpegCase{"claims_65500_square", "huge_claim.jpg", Error::TooLarge, {65500, 65500}, true, Look::Any},
        JpegCase{"progressive_claims_9000_square", "progressive_huge_claim.jpg", Error::TooLarge, {9000, 9000}, true,
                 Look::Any},
        JpegCase{"gif_named_jpg", "not_a_jpeg.jpg", Error::NotJpeg, {}, true, Look::Any}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(JpegReaderScalingTest, DctScalesToTheSmallestSizeThatCoversTheBox)
{
    const QByteArray large = fixture("large.jpg");   // 800 x 600
    struct { QSize fit; QSize decoded; } cases[] = {
        {{100, 100}, {100, 75}},    // 1/8
        {{120, 200}, {200, 150}},   // 1/8 is 100 wide: 2/8
        {{400, 300}, {400, 300}},   // 4/8
        {{2000, 2000}, {800, 600}}, // never larger than the picture
        {{}, {800, 600}},
    };
    for (const auto& c : cases) {
        const JpegPicture picture = readJpeg(large, c.fit);
        EXPECT_EQ(picture.image.size(), c.decoded) << c.fit.width() << "x" << c.fit.height();
        EXPECT_EQ(picture.size, QSize(800, 600));
    }
    // Sideways pictures fit the box once upright: stored 32 x 48, shown 48 x 32.
    EXPECT_EQ(readJpeg(fixture("exif_rotated.jpg"), {6, 4}).image.size(), QSize(6, 4));
}

TEST(JpegReaderDamageTest, BrokenStreamsAreErrorsNotAborts)
{
    const QByteArray baseline = fixture("baseline.jpg");
    EXPECT_EQ(readJpeg(QByteArray()).error, Error::NotJpeg);
    EXPECT_EQ(readJpeg(QByteArray("\xFF\xD8\xFF\xE0", 4)).error, Error::Damaged);
    QByteArray badTable = baseline;
    badTable.replace(badTable.indexOf("\xFF\xC4"), 4, QByteArray("\xFF\xC4\x00\x03", 4));   // a cut Huffman table
    EXPECT_NE(readJpeg(badTable).error, Error::None);
    EXPECT_EQ(readJpeg(baseline, {}, 48 * 32 - 1).error, Error::TooLarge);   // the cap is the caller's to set
    EXPECT_EQ(readJpeg(baseline, {}, 48 * 32).error, Error::None);
}

QByteArray exifSegment(bool little, quint16 entries, quint16 tag, quint16 type, quint16 value, quint32 directory = 8)
{
    QByteArray tiff(little ? "II*\0" : "MM\0*", 4);
    const auto put16 = [&](quint16 v) {
        char b[2];
        little ? qToLittleEndian(v, b) : qToBigEndian(v, b);
        tiff.append(b, 2);
    };
    const auto put32 = [&](quint32 v) {
        char b[4];
        little ? qToLittleEndian(v, b) : qToBigEndian(v, b);
        tiff.append(b, 4);
    };
    put32(directory);
    put16(entries);
    put16(tag);
    put16(type);
    put32(1);
    put16(value);
    put16(0);
    return QByteArray("Exif\0\0", 6) + tiff;
}

TEST(ExifOrientationTest, ReadsTheTagOrAnswersUpright)
{
    EXPECT_EQ(exifOrientation(exifSegment(true, 1, 0x0112, 3, 6)), 6);
    EXPECT_EQ(exifOrientation(exifSegment(false, 1, 0x0112, 3, 8)), 8);
    EXPECT_EQ(exifOrientation(exifSegment(true, 1, 0x0110, 3, 6)), 1);       // another tag
    EXPECT_EQ(exifOrientation(exifSegment(true, 1, 0x0112, 3, 9)), 1);       // no such orientation
    EXPECT_EQ(exifOrientation(exifSegment(true, 500, 0x0110, 3, 6)), 1);     // entries run past the segment
    EXPECT_EQ(exifOrientation(exifSegment(true, 1, 0x0112, 3, 6, 0xFFFFFFF0)), 1);   // directory past it
    EXPECT_EQ(exifOrientation(QByteArray("Exif\0\0XX*\0", 10)), 1);
    EXPECT_EQ(exifOrientation(QByteArray("JFIF")), 1);
}

}  // namespace
