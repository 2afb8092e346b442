// The picture dialog pictOD and its preview: JPEGs through the libjpeg reader (scaled, upright, damaged,
// refused), other types through Qt, metafiles named but not drawn; the pane shows the picture fitted to its
// box with the size in pixels; the dialog lists the picture types, previews the file the user is on, takes
// a metafile and a typed web address.

#include "core/editor/picture_open_dialog.h"
#include "core/editor/picture_preview.h"
#include "core/editor/picture_preview_pane.h"
#include "tests/core/modal_dialogs.h"
#include "tests/support/test_files.h"
#include "tests/support/test_home.h"
#include "tests/support/wait_until.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QFileSystemModel>
#include <QListView>
#include <QLabel>
#include <QLineEdit>

namespace {

using sorvanta::test::testHome;

QString jpegFixture(const char* name)
{
    return sorvanta::test::sourcePath(QStringLiteral("platform/widgets/data/jpeg/") + QLatin1String(name));
}

// The first record of an enhanced metafile: type 1, then " EMF" at offset 40.
QByteArray metafileBytes()
{
    QByteArray bytes(88, '\0');
    bytes[0] = 1;
    bytes[4] = 88;
    bytes.replace(40, 4, " EMF");
    return bytes;
}

struct PreviewCase {
    const char* name;
    QString path;
    QSize image;      // the shown image's size; empty for none
    QString text;
};

class PicturePreviewTest : public ::testing::TestWithParam<PreviewCase> {};

TEST_P(PicturePreviewTest, ShowsThePictureFittedOrSaysWhyNot)
{
    const PreviewCase& c = GetParam();
    const PicturePreview preview = PreviewPicture(c.path, QSize(200, 200));
    if (c.image.isEmpty())
        EXPECT_TRUE(preview.image.isNull());
    else
        EXPECT_EQ(preview.image.size(), c.image);
    EXPECT_EQ(preview.text, c.text);
}

QString pngFile()
{
    QImage image(300, 100, QImage::Format_RGB32);
    image.fill(Qt::darkGreen);
    const QString path = testHome() + "wide.png";
    image.save(path);
    return path;
}

QString metafile(const char* name)
{
    return sorvanta::test::writeTestFile(QLatin1String(name), metafileBytes());
}

INSTANTIATE_TEST_SUITE_P(
    Files, PicturePreviewTest,
    ::testing::Values(
        PreviewCase{"large_jpeg_scaled", jpegFixture("large.jpg"), {200, 150}, "800 x 600 pixels"},
        PreviewCase{"small_jpeg_as_it_is", jpegFixture("baseline.jpg"), {48, 32}, "48 x 32 pixels"},
        PreviewCase{"exif_rotated_upright", jpegFixture("exif_rotated.jpg"), {48, 32}, "48 x 32 pixels"},
        PreviewCase{"truncated_jpeg", jpegFixture("truncated.jpg"), {200, 150},
                    "800 x 600 pixels\nThe picture is damaged: shown as far as it goes."},
        PreviewCase{"huge_claim", jpegFixture("huge_claim.jpg"), {},
                    "65500 x 65500 pixels\nThe picture has 65500 x 65500 pixels, more than a preview shows."}),
    [](const auto& info) { return std::string(info.param.name); });

// Files made in the test's home, which exists only while a test runs.
TEST(PicturePreviewOtherTypesTest, PngThroughQtMetafilesNamedFolderEmpty)
{
    const PicturePreview png = PreviewPicture(pngFile(), QSize(200, 200));
    EXPECT_EQ(png.image.size(), QSize(200, 66));
    EXPECT_EQ(png.text, "300 x 100 pixels");
    for (const char* name : {"drawing.emf", "drawing.WMF"}) {
        const PicturePreview meta = PreviewPicture(metafile(name), QSize(200, 200));
        EXPECT_TRUE(meta.image.isNull()) << name;
        EXPECT_EQ(meta.text, "No preview: metafiles cannot be shown here, but the picture can be inserted.") << name;
    }
    const PicturePreview folder = PreviewPicture(testHome(), QSize(200, 200));
    EXPECT_TRUE(folder.image.isNull());
    EXPECT_TRUE(folder.text.isEmpty());
}

TEST(PicturePreviewPaneTest, ShowsTheSizeAndAPictureThatFitsTheBox)
{
    PicturePreviewPane pane;
    pane.showFile(jpegFixture("large.jpg"));
    const QPixmap shown = pane.picture()->pixmap();
    const int inside = PicturePreviewPane::BoxSide - 2 * pane.picture()->frameWidth();
    EXPECT_EQ(shown.width(), inside);
    EXPECT_EQ(shown.height(), inside * 3 / 4);
    EXPECT_EQ(pane.caption()->text(), "800 x 600 pixels");
    pane.showFile(QString());
    EXPECT_TRUE(pane.picture()->pixmap().isNull());
    EXPECT_TRUE(pane.caption()->text().isEmpty());
}

TEST(PictureOpenDialogTest, ListsThePictureTypesAndPreviewsTheCurrentFile)
{
    const QStringList filters = PictureOpenDialog::pictureFilters();
    EXPECT_EQ(filters.first(), "All (*.gif *.jpg *.jpeg *.bmp *.ico *.emf *.wmf *.png)");
    EXPECT_TRUE(filters.contains("Enhanced Metafile (*.emf)"));
    EXPECT_TRUE(filters.contains("Metafile (*.wmf)"));
    ASSERT_TRUE(QFile::copy(jpegFixture("large.jpg"), testHome() + "photo.jpg"));
    PictureOpenDialog dialog(nullptr, testHome());
    EXPECT_EQ(dialog.objectName(), "pictOD");
    dialog.show();
    // As a click on the file does: it becomes the list's current item.
    auto* list = dialog.findChild<QListView*>("listView");
    ASSERT_NE(list, nullptr);
    auto* files = qobject_cast<QFileSystemModel*>(list->model());
    ASSERT_NE(files, nullptr);
    ASSERT_TRUE(sorvanta::test::waitUntil([&] { return files->index(testHome() + "photo.jpg").isValid(); }));
    list->setCurrentIndex(files->index(testHome() + "photo.jpg"));
    EXPECT_TRUE(sorvanta::test::waitUntil([&] { return dialog.preview()->caption()->text() == "800 x 600 pixels"; }));
    EXPECT_TRUE(dialog.preview()->isVisible());
}

TEST(PictureOpenDialogTest, TakesAMetafileAndATypedWebAddress)
{
    const QString drawing = metafile("drawing.emf");
    sorvanta::test::onNextModal([&](QWidget* modal) {
        auto* dialog = static_cast<PictureOpenDialog*>(modal);
        dialog->selectFile(drawing);
        dialog->accept();
    });
    EXPECT_EQ(PictureOpenDialog::choosePicture(nullptr, testHome()), drawing);
    sorvanta::test::onNextModal([](QWidget* modal) {
        modal->findChild<QLineEdit*>("fileNameEdit")->setText(" https://pictures.example/a b.png ");
        static_cast<PictureOpenDialog*>(modal)->accept();
    });
    EXPECT_EQ(PictureOpenDialog::choosePicture(nullptr, testHome()), "https://pictures.example/a b.png");
    sorvanta::test::onNextModal([](QWidget* modal) { static_cast<QDialog*>(modal)->reject(); });
    EXPECT_EQ(PictureOpenDialog::choosePicture(nullptr, testHome()), QString());
}

}  // namespace
