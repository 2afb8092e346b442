// Pictures of the HTML page: file addresses to paths, data: addresses decoded, names of web pictures, the part
// kept under the picture folder on import, free names, the copies themselves (folders made, same file, same
// bytes, data: pictures written out, failures keep the address).

#include "core/editor/picture_copy.h"
#include "core/editor/picture_paths.h"
#include "tests/support/test_files.h"
#include "tests/support/test_home.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QUrl>

namespace {

using sorvanta::test::readFileBytes;
using sorvanta::test::testHome;
using sorvanta::test::writeFileBytes;

struct AddressCase {
    const char* name;
    QString address;
    std::optional<QString> path;
};

class LocalPathTest : public ::testing::TestWithParam<AddressCase> {};

TEST_P(LocalPathTest, MapsFileAddresses)
{
    EXPECT_EQ(LocalPathOfAddress(GetParam().address), GetParam().path);
}

INSTANTIATE_TEST_SUITE_P(Addresses, LocalPathTest, ::testing::Values(
    AddressCase{"three_slashes", "file:///home/ann/a.png", "/home/ann/a.png"},
    AddressCase{"two_slashes", "file://home/ann/a.png", "/home/ann/a.png"},
    AddressCase{"localhost", "file://localhost/srv/p.gif", "/srv/p.gif"},
    AddressCase{"scheme_in_capitals", "FILE:///Srv/P.GIF", "/Srv/P.GIF"},
    AddressCase{"percent_encoded", "file:///tmp/my%20pics/caf%C3%A9%231.png", "/tmp/my pics/caf\u00e9#1.png"},
    AddressCase{"query_cut", "file:///tmp/a.png?x=1#top", "/tmp/a.png"},
    AddressCase{"absolute_path", "/tmp/a b.png", "/tmp/a b.png"},
    AddressCase{"nul_rejected", "file:///tmp/a%00.png", std::nullopt},
    AddressCase{"remote", "http://example.com/a.png", std::nullopt},
    AddressCase{"data", "data:image/gif;base64,R0lG", std::nullopt},
    AddressCase{"relative", "img/a.png", std::nullopt}),
    [](const auto& info) { return std::string(info.param.name); });

struct DataCase {
    const char* name;
    QString address;
    std::optional<QByteArray> bytes;
    QString type;
};

class DataAddressTest : public ::testing::TestWithParam<DataCase> {};

TEST_P(DataAddressTest, DecodesPicturesOnly)
{
    const std::optional<DataPicture> picture = DecodeDataAddress(GetParam().address, 16);
    ASSERT_EQ(picture.has_value(), GetParam().bytes.has_value());
    if (picture) {
        EXPECT_EQ(picture->bytes, *GetParam().bytes);
        EXPECT_EQ(picture->mediaType, GetParam().type);
    }
}

INSTANTIATE_TEST_SUITE_P(Addresses, DataAddressTest, ::testing::Values(
    DataCase{"base64", "data:image/png;base64,cGljdHVyZQ==", "picture", "image/png"},
    DataCase{"base64_with_line_breaks_and_case", "DATA:Image/GIF;Base64,cGlj\r\n dHVy ZQ==", "picture", "image/gif"},
    DataCase{"percent_encoded", "data:image/svg+xml;charset=utf-8,%3Csvg%2F%3E", "<svg/>", "image/svg+xml"},
    DataCase{"not_a_picture", "data:text/html;base64,PGI+", std::nullopt, ""},
    DataCase{"no_type_is_text", "data:,hello", std::nullopt, ""},
    DataCase{"bad_base64", "data:image/png;base64,cGl*jdA==", std::nullopt, ""},
    DataCase{"empty", "data:image/png;base64,", std::nullopt, ""},
    DataCase{"over_the_cap", "data:image/png;base64,MDEyMzQ1Njc4OWFiY2RlZmc=", std::nullopt, ""},
    DataCase{"no_comma", "data:image/png;base64", std::nullopt, ""},
    DataCase{"file_address", "file:///a.png", std::nullopt, ""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(WebPictureNameTest, LastSegmentMadeSafeWithTheTypesExtension)
{
    const auto name = [](const char* address, const char* type = "image/png") {
        return PictureNameOfWebAddress(QUrl(QString::fromUtf8(address)), type);
    };
    EXPECT_EQ(name("https://a.example/img/logo.gif"), "logo.gif");
    EXPECT_EQ(name("https://a.example/img/logo.gif?size=2#x"), "logo.gif");
    EXPECT_EQ(name("https://a.example/show?id=3", "image/jpeg; charset=x"), "show.jpg");
    EXPECT_EQ(name("https://a.example/", "image/webp"), "picture.webp");
    EXPECT_EQ(name("https://a.example/a%2F..%2F..%2Fetc%2Fpasswd"), "passwd.png");   // no way out
    EXPECT_EQ(name("https://a.example/%E6%97%A5%E6%9C%AC.png"), u"日本.png"_qs);
    EXPECT_EQ(name("https://a.example/tab%09name.png"), "tabname.png");
    EXPECT_EQ(name("https://a.example/..", "image/gif"), "picture.gif");
    EXPECT_EQ(name("https://a.example/noext", "application/octet-stream"), "noext");
    EXPECT_EQ(name(("https://a.example/" + std::string(300, 'x') + ".png").c_str()), QString(100, 'x') + ".png");
}

struct PartCase {
    const char* name;
    QString base, source, part;
};

class ImportedPartTest : public ::testing::TestWithParam<PartCase> {};

TEST_P(ImportedPartTest, KeepsSubFoldersInsideTheBaseOnly)
{
    EXPECT_EQ(ImportedPicturePart(GetParam().base, GetParam().source), GetParam().part);
}

INSTANTIATE_TEST_SUITE_P(Parts, ImportedPartTest, ::testing::Values(
    PartCase{"same_folder", "/site", "/site/a.png", "a.png"},
    PartCase{"sub_folders", "/site/", "/site/img/small/a.png", "img/small/a.png"},
    PartCase{"elsewhere", "/site", "/other/img/a.png", "a.png"},
    PartCase{"letter_case_counts", "/Site", "/site/img/a.png", "a.png"},
    PartCase{"prefix_is_not_a_folder", "/site", "/site2/img/a.png", "a.png"},
    PartCase{"climbing_out", "/site", "/site/img/../../etc/a.png", "a.png"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(FreePictureNameTest, NumbersTakenNamesAndReusesAcceptedOnes)
{
    const QString folder = testHome() + "pics";
    ASSERT_TRUE(QDir().mkpath(folder + "/sub.d"));
    const auto never = [](const QString&) { return false; };
    EXPECT_EQ(FreePictureName(folder, "a.png", never), "a.png");
    writeFileBytes(folder + "/a.png", "1");
    writeFileBytes(folder + "/a-1.png", "2");
    EXPECT_EQ(FreePictureName(folder, "a.png", never), "a-2.png");
    EXPECT_EQ(FreePictureName(folder, "a.png", [&](const QString& path) { return path.endsWith("a-1.png"); }),
              "a-1.png");
    writeFileBytes(folder + "/README", "x");
    EXPECT_EQ(FreePictureName(folder, "README", never), "README-1");
    writeFileBytes(folder + "/sub.d/pic", "x");
    EXPECT_EQ(FreePictureName(folder, "sub.d/pic", never), "sub.d/pic-1");
}

class PictureCopyTest : public ::testing::Test {
protected:
    QString folder() const { return testHome() + "Mailing"; }
};

TEST_F(PictureCopyTest, CopiesIntoEveryMissingFolderLevel)
{
    const QString source = testHome() + "site/img/a b.png";
    ASSERT_TRUE(QDir().mkpath(testHome() + "site/img"));
    writeFileBytes(source, "picture");
    const auto copy = CopyPictureInto(QUrl::fromLocalFile(source).toString(), folder(), "img/deep/a b.png");
    ASSERT_TRUE(copy);
    EXPECT_EQ(*copy, folder() + "/img/deep/a b.png");
    EXPECT_EQ(readFileBytes(*copy), "picture");
}

TEST_F(PictureCopyTest, TakenNameGetsAFreeOneAndSameBytesAreReused)
{
    ASSERT_TRUE(QDir().mkpath(folder()));
    writeFileBytes(folder() + "/logo.png", "another picture");
    writeFileBytes(testHome() + "logo.png", "our picture");
    const auto copy = CopyPictureToFolder(testHome() + "logo.png", folder());
    ASSERT_TRUE(copy);
    EXPECT_EQ(*copy, folder() + "/logo-1.png");
    EXPECT_EQ(readFileBytes(folder() + "/logo.png"), "another picture");
    EXPECT_EQ(CopyPictureToFolder(testHome() + "logo.png", folder()), folder() + "/logo-1.png");   // no third copy
    EXPECT_FALSE(QFile::exists(folder() + "/logo-2.png"));
}

TEST_F(PictureCopyTest, CopyOntoItselfSucceeds)
{
    ASSERT_TRUE(QDir().mkpath(folder()));
    writeFileBytes(folder() + "/self.gif", "gif");
    EXPECT_EQ(CopyPictureToFolder(QUrl::fromLocalFile(folder() + "/self.gif").toString(), folder()),
              folder() + "/self.gif");
    EXPECT_EQ(readFileBytes(folder() + "/self.gif"), "gif");
}

TEST_F(PictureCopyTest, ImportRewritesCopiesAndKeepsWhatCannotBeCopied)
{
    const QString site = testHome() + "site";
    ASSERT_TRUE(QDir().mkpath(site + "/img"));
    writeFileBytes(site + "/img/in.png", "in");
    writeFileBytes(testHome() + "out.png", "out");
    const QStringList sources = {
        QUrl::fromLocalFile(site + "/img/in.png").toString(QUrl::FullyEncoded),
        QUrl::fromLocalFile(testHome() + "out.png").toString(QUrl::FullyEncoded),
        QUrl::fromLocalFile(site + "/gone.png").toString(QUrl::FullyEncoded),
        "http://127.0.0.1:9/remote.png",
        "data:image/gif;base64,R0lG",
    };
    const QStringList result = ImportPictures(sources, site, folder());
    ASSERT_EQ(result.size(), sources.size());
    EXPECT_EQ(result[0], QUrl::fromLocalFile(folder() + "/img/in.png").toString(QUrl::FullyEncoded));
    EXPECT_EQ(result[1], QUrl::fromLocalFile(folder() + "/out.png").toString(QUrl::FullyEncoded));
    EXPECT_EQ(result.mid(2, 2), sources.mid(2, 2));   // a missing file and a web address keep their address
    EXPECT_EQ(result[4], QUrl::fromLocalFile(folder() + "/picture.gif").toString(QUrl::FullyEncoded));
    EXPECT_EQ(readFileBytes(folder() + "/picture.gif"), "GIF");
    EXPECT_EQ(readFileBytes(folder() + "/img/in.png"), "in");
    EXPECT_FALSE(QFile::exists(folder() + "/gone.png"));
}

}  // namespace
