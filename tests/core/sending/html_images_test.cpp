// EmbedHtmlImages: which picture references become related parts (relative names, absolute paths, file
// URLs, background values) and which stay (other addresses, missing files), and the shape of the ids.

#include "core/sending/html_images.h"

#include "tests/support/test_files.h"
#include "tests/support/test_home.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QRegularExpression>
#include <QUrl>

using sorvanta::test::testHome;
using sorvanta::test::writeFileBytes;

namespace {

class HtmlImagesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        project = testHome() + "project/";
        ASSERT_TRUE(QDir().mkpath(project + "noname1"));
        writeFileBytes(project + "logo.gif", "GIF89a");
        writeFileBytes(project + "noname1/photo.jpg", "jpeg");
        context.projectFolder = project;
        context.mailDomain = "mail.example.test";
    }

    QString embed(QString html)
    {
        EmbedHtmlImages(html, files, ids, context);
        return html;
    }

    QString project;
    HtmlImageContext context;
    QStringList files;
    QStringList ids;
};

TEST_F(HtmlImagesTest, BareNameInTheProjectFolderBecomesTheFirstPart)
{
    const QString html = embed(R"(<p><IMG alt=x SRC="logo.gif"></p>)");
    ASSERT_EQ(files, QStringList{project + "logo.gif"});
    ASSERT_EQ(ids.size(), 1);
    EXPECT_TRUE(QRegularExpression(R"(^part1\.[0-9A-F]{4,8}\.[0-9A-F]{4,8}@example\.test$)").match(ids[0]).hasMatch())
        << ids[0].toStdString();
    EXPECT_EQ(html, "<p><IMG alt=x SRC=\"cid:" + ids[0] + "\"></p>");
}

TEST_F(HtmlImagesTest, ReadsAbsolutePathsFileUrlsAndOldSubFolderNames)
{
    const QString absolute = project + "logo.gif";
    const QString url = QUrl::fromLocalFile(project + "noname1/photo.jpg").toString();
    const QString html = embed("<img src=" + absolute + "><img src='x'><img src=\"" + url
                               + "\"><img src=noname1\\photo.jpg>");
    EXPECT_EQ(files, (QStringList{absolute, project + "noname1/photo.jpg", project + "noname1/photo.jpg"}));
    ASSERT_EQ(ids.size(), 3);
    EXPECT_TRUE(ids[2].startsWith("part3."));
    EXPECT_EQ(html, "<img src=cid:" + ids[0] + "><img src='x'><img src=\"cid:" + ids[1] + "\"><img src=cid:" + ids[2]
                        + ">");
}

TEST_F(HtmlImagesTest, LeavesOtherAddressesAndMissingFiles)
{
    const QString source = R"(<img src="http://example.test/logo.gif"><img src="gone.png"><img alt="no source">)"
                           R"(<img src=logo.gif)";
    EXPECT_EQ(embed(source), source);
    EXPECT_TRUE(files.isEmpty());
    EXPECT_TRUE(ids.isEmpty());
}

TEST_F(HtmlImagesTest, BackgroundsFollowTheImages)
{
    const QString html = embed(R"(<body background="\noname1\photo.jpg"><img src=logo.gif>)"
                               R"(<td background=https://example.test/x.png>)");
    EXPECT_EQ(files, (QStringList{project + "logo.gif", project + "noname1/photo.jpg"}));
    EXPECT_EQ(html, "<body background=\"cid:" + ids[1] + "\"><img src=cid:" + ids[0]
                        + "><td background=https://example.test/x.png>");
}

TEST_F(HtmlImagesTest, BaseFolderWinsWhenItExistsAndIdsWithoutDomainEndAtTheRandomPart)
{
    ASSERT_TRUE(QDir().mkpath(testHome() + "base"));
    writeFileBytes(testHome() + "base/logo.gif", "GIF89a");
    context.baseUrl = testHome() + "base";
    context.mailDomain = "  ";
    embed("<img src=logo.gif>");
    EXPECT_EQ(files, QStringList{testHome() + "base/logo.gif"});
    EXPECT_FALSE(ids.value(0).contains('@'));
    context.baseUrl = testHome() + "missing";
    embed("<img src=logo.gif>");
    EXPECT_EQ(files, QStringList{project + "logo.gif"});
}

}  // namespace
