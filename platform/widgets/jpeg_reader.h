// JPEG pictures decoded with libjpeg for previews: scaled down while decoding by the DCT (1/8 to 8/8, the
// smallest that still fills the box), turned upright by the EXIF orientation, greyscale, YCbCr and CMYK (Adobe
// inverted) alike. Untrusted bytes: a picture over the pixel cap is refused from its header before anything is
// allocated, libjpeg's own memory is capped, and its fatal errors come back as an error, never an abort; data
// that ends early gives the part decoded so far, marked incomplete.
#pragma once

#include <QByteArrayView>
#include <QImage>
#include <QSize>
#include <QString>

struct JpegPicture {
    enum class Error {
        None,
        NotJpeg,         // the bytes do not start a JPEG stream
        TooLarge,        // over the pixel cap, or its decoding would need more memory than libjpeg may use
        Damaged,         // libjpeg gave up; errorString has its reason
    };
    Error error = Error::None;
    QString errorString;
    QSize size;          // the picture's own size, upright; known for TooLarge too
    QImage image;        // the decoded picture, upright; null on error
    bool complete = true;   // false when the data ended early or was corrupt: the rest is grey
};

inline constexpr qint64 kJpegPixelCap = 100'000'000;

// Decodes bytes; fit (when valid) is the box the picture will be shown in, so the DCT scales down to the
// smallest size that still covers it; an empty fit decodes the full size.
JpegPicture readJpeg(QByteArrayView bytes, QSize fit = QSize(), qint64 maxPixels = kJpegPixelCap);
// True when the bytes start with a JPEG start-of-image marker.
bool looksLikeJpeg(QByteArrayView bytes);
// The orientation (1 to 8) that an APP1 "Exif" segment's first image directory names; 1 when it names none or
// the segment is malformed.
int exifOrientation(QByteArrayView app1);
