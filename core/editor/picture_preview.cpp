// The picture dialog's preview of one file: see picture_preview.h.

#include "core/editor/picture_preview.h"

#include "platform/widgets/jpeg_reader.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>

namespace {

// A preview reads the whole JPEG file into memory; bigger files are not pictures anyone mails.
constexpr qint64 kLargestJpegFile = 64 * 1024 * 1024;
// Qt's readers refuse pictures whose decoded form needs more than this.
constexpr int kImageReaderLimitMb = 256;

QString tr(const char* text)
{
    return QCoreApplication::translate("PicturePreview", text);
}

QString sizeText(QSize size)
{
    return tr("%1 x %2 pixels").arg(size.width()).arg(size.height());
}

bool isMetafile(const QString& path)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    return suffix == QLatin1String("emf") || suffix == QLatin1String("wmf");
}

PicturePreview withNote(PicturePreview preview, const QString& note)
{
    preview.text = preview.size.isValid() ? sizeText(preview.size) + u'\n' + note : note;
    return preview;
}

PicturePreview fitted(QImage image, QSize size, QSize box)
{
    PicturePreview preview;
    preview.size = size;
    if (image.width() > box.width() || image.height() > box.height())
        image = image.scaled(box, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    preview.image = image;
    preview.text = sizeText(size);
    return preview;
}

PicturePreview previewJpeg(const QString& path, QSize box)
{
    QFile file(path);
    if (file.size() > kLargestJpegFile)
        return withNote({}, tr("The file is too large to preview."));
    if (!file.open(QIODevice::ReadOnly))
        return withNote({}, file.errorString());
    const JpegPicture picture = readJpeg(file.readAll(), box);
    if (picture.error != JpegPicture::Error::None) {
        PicturePreview preview;
        preview.size = picture.size;
        return withNote(preview, picture.errorString);
    }
    PicturePreview preview = fitted(picture.image, picture.size, box);
    return picture.complete ? preview : withNote(preview, tr("The picture is damaged: shown as far as it goes."));
}

PicturePreview previewOther(const QString& path, QSize box)
{
    QImageReader reader(path);
    reader.setAutoTransform(true);
    reader.setAllocationLimit(kImageReaderLimitMb);
    if (!reader.canRead()) {
        if (isMetafile(path))
            return withNote({}, tr("No preview: metafiles cannot be shown here, but the picture can be inserted."));
        return withNote({}, tr("No preview: %1").arg(reader.errorString()));
    }
    QSize size = reader.size();
    if (reader.transformation() & QImageIOHandler::TransformationRotate90)
        size.transpose();
    const QImage image = reader.read();
    if (image.isNull()) {
        PicturePreview preview;
        preview.size = size;
        return withNote(preview, reader.errorString());
    }
    return fitted(image, size.isValid() ? size : image.size(), box);
}

bool startsLikeJpeg(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) && looksLikeJpeg(file.read(3));
}

}  // namespace

PicturePreview PreviewPicture(const QString& path, QSize box)
{
    if (path.isEmpty() || !QFileInfo(path).isFile())
        return {};
    return startsLikeJpeg(path) ? previewJpeg(path, box) : previewOther(path, box);
}
