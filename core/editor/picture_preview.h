// What the picture dialog shows beside its file list for one file: the picture scaled to fit a box, its size
// in pixels, or why there is none. JPEG files are decoded by our libjpeg reader (scaled while decoding,
// capped); every other type through Qt's image readers. Windows metafiles (.emf, .wmf), which Qt cannot draw,
// get a text saying so: they can still be chosen. No window here.
#pragma once

#include <QImage>
#include <QSize>
#include <QString>

struct PicturePreview {
    QImage image;    // at most the box's size, aspect kept; null when nothing can be shown
    QSize size;      // the picture's own size in pixels (upright), when known
    QString text;    // "800 x 600 pixels", and on a second line why the picture is not (wholly) shown
};

PicturePreview PreviewPicture(const QString& path, QSize box);
