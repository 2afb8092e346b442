// JPEG decoding through libjpeg: see jpeg_reader.h. libjpeg reports a fatal error by calling error_exit, which
// must not return; ours jumps back to the setjmp of the step that called libjpeg. The steps that call it
// (create, header, rows) hold no object with a destructor, so the jump skips nothing: the image and the row
// buffer are made between them by the caller.

#include "platform/widgets/jpeg_reader.h"

#include <QCoreApplication>
#include <QTransform>
#include <QtEndian>

#include <algorithm>
#include <cmath>
#include <csetjmp>
#include <cstdio>
#include <vector>

#include <jpeglib.h>
#include <jerror.h>

namespace {

// What libjpeg may allocate for one picture: progressive pictures keep every coefficient of the whole
// picture, two bytes each, so a header claiming millions of pixels would otherwise cost gigabytes.
constexpr long kLibjpegMemory = 160L * 1024 * 1024;
// Progressive pictures have about ten scans; a file of thousands of tiny scans would keep the decoder busy.
constexpr int kMostScans = 300;
constexpr int kDctScale = 8;

QString tr(const char* text)
{
    return QCoreApplication::translate("JpegReader", text);
}

struct ErrorManager {
    jpeg_error_mgr base;   // first: libjpeg hands back its address as the jpeg_error_mgr
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
    bool tooManyScans;
    bool incomplete;
};

struct Decoding {
    jpeg_decompress_struct info;
    ErrorManager errors;
    jpeg_progress_mgr progress;
    qint64 maxPixels;
    int orientation;
    bool overCap;
};

ErrorManager& errorsOf(j_common_ptr common)
{
    return *reinterpret_cast<ErrorManager*>(common->err);
}

[[noreturn]] void failDecoding(j_common_ptr common)
{
    ErrorManager& errors = errorsOf(common);
    common->err->format_message(common, errors.message);
    std::longjmp(errors.jump, 1);
}

// Warnings (level -1) are corrupt or missing data: libjpeg goes on and fills in grey. Trace messages are not
// shown anywhere.
void noteMessage(j_common_ptr common, int level)
{
    if (level < 0)
        errorsOf(common).incomplete = true;
}

void limitScans(j_common_ptr common)
{
    if (reinterpret_cast<j_decompress_ptr>(common)->input_scan_number > kMostScans) {
        errorsOf(common).tooManyScans = true;
        std::longjmp(errorsOf(common).jump, 1);
    }
}

int orientationOfMarkers(jpeg_saved_marker_ptr marker)
{
    for (; marker; marker = marker->next) {
        if (marker->marker == JPEG_APP0 + 1)
            return exifOrientation(QByteArrayView(reinterpret_cast<const char*>(marker->data), marker->data_length));
    }
    return 1;
}

bool turnsSideways(int orientation)
{
    return orientation >= 5;
}

// The DCT scale n/8, the smallest that still covers fit once the picture is upright; 8/8 without a fit.
unsigned int dctScaleNumerator(const jpeg_decompress_struct& info, QSize fit, int orientation)
{
    if (!fit.isValid() || fit.isEmpty())
        return kDctScale;
    if (turnsSideways(orientation))
        fit.transpose();
    const double needed = std::min(double(fit.width()) / info.image_width, double(fit.height()) / info.image_height);
    return unsigned(std::clamp(int(std::ceil(needed * kDctScale)), 1, kDctScale));
}

// Step 0: the decompressor itself (its first allocation can fail as well).
bool create(Decoding& d)
{
    if (setjmp(d.errors.jump))
        return false;
    jpeg_create_decompress(&d.info);
    d.info.progress = &d.progress;
    d.info.mem->max_memory_to_use = kLibjpegMemory;
    return true;
}

// Step 1: the header, the cap and the output form. Answers false when libjpeg failed.
bool readHeader(Decoding& d, QByteArrayView bytes, QSize fit)
{
    if (setjmp(d.errors.jump))
        return false;
    jpeg_mem_src(&d.info, reinterpret_cast<const unsigned char*>(bytes.data()), static_cast<unsigned long>(bytes.size()));
    jpeg_save_markers(&d.info, JPEG_APP0 + 1, 0xFFFF);
    jpeg_read_header(&d.info, TRUE);
    d.orientation = orientationOfMarkers(d.info.marker_list);
    // Divide rather than multiply: the claim comes from the file.
    d.overCap = d.info.image_height > 0 && qint64(d.info.image_width) > d.maxPixels / qint64(d.info.image_height);
    if (d.overCap)
        return true;
    switch (d.info.jpeg_color_space) {
    case JCS_GRAYSCALE: d.info.out_color_space = JCS_GRAYSCALE; break;
    case JCS_CMYK:
    case JCS_YCCK: d.info.out_color_space = JCS_CMYK; break;
    default:
        // Bytes B, G, R, A in memory are QImage::Format_RGB32 on little-endian machines; alpha is 0xFF.
        d.info.out_color_space = Q_BYTE_ORDER == Q_LITTLE_ENDIAN ? JCS_EXT_BGRA : JCS_EXT_ARGB;
        break;
    }
    d.info.scale_num = dctScaleNumerator(d.info, fit, d.orientation);
    d.info.scale_denom = kDctScale;
    jpeg_calc_output_dimensions(&d.info);
    return true;
}

// Adobe's inverted CMYK (what Photoshop and most writers store when they write the Adobe marker), else plain.
void cmykRowToRgb32(const uchar* cmyk, QRgb* out, JDIMENSION width, bool inverted)
{
    for (JDIMENSION x = 0; x < width; ++x, cmyk += 4) {
        int c = cmyk[0], m = cmyk[1], y = cmyk[2], k = cmyk[3];
        if (!inverted) {
            c = 255 - c, m = 255 - m, y = 255 - y, k = 255 - k;
        }
        out[x] = qRgb(c * k / 255, m * k / 255, y * k / 255);
    }
}

// Step 2: the rows into image (made by the caller at the output size). Answers false when libjpeg failed.
bool readRows(Decoding& d, QImage& image, std::vector<uchar>& cmykRow)
{
    if (setjmp(d.errors.jump))
        return false;
    jpeg_start_decompress(&d.info);
    const bool cmyk = d.info.out_color_space == JCS_CMYK;
    while (d.info.output_scanline < d.info.output_height) {
        uchar* line = image.scanLine(int(d.info.output_scanline));
        JSAMPROW row = cmyk ? cmykRow.data() : line;
        if (jpeg_read_scanlines(&d.info, &row, 1) != 1)
            break;   // cannot happen with a memory source, but never loop on it
        if (cmyk)
            cmykRowToRgb32(cmykRow.data(), reinterpret_cast<QRgb*>(line), d.info.output_width, d.info.saw_Adobe_marker);
    }
    jpeg_finish_decompress(&d.info);
    return true;
}

QImage upright(const QImage& image, int orientation)
{
    switch (orientation) {
    case 2: return image.mirrored(true, false);
    case 3: return image.mirrored(true, true);
    case 4: return image.mirrored(false, true);
    case 5: return image.mirrored(false, true).transformed(QTransform().rotate(90));
    case 6: return image.transformed(QTransform().rotate(90));
    case 7: return image.mirrored(true, false).transformed(QTransform().rotate(90));
    case 8: return image.transformed(QTransform().rotate(270));
    default: return image;
    }
}

JpegPicture failure(const Decoding& d, const QSize& size)
{
    JpegPicture picture;
    picture.size = size;
    const int code = d.errors.base.msg_code;
    if (d.errors.tooManyScans) {
        picture.error = JpegPicture::Error::Damaged;
        picture.errorString = tr("The picture has more than %1 scans.").arg(kMostScans);
    } else if (code == JERR_NO_SOI || code == JERR_INPUT_EMPTY) {
        picture.error = JpegPicture::Error::NotJpeg;
        picture.errorString = tr("This is not a JPEG picture.");
    } else if (code == JERR_NO_BACKING_STORE || code == JERR_OUT_OF_MEMORY) {
        picture.error = JpegPicture::Error::TooLarge;
        picture.errorString = tr("The picture needs more memory than a preview may use.");
    } else {
        picture.error = JpegPicture::Error::Damaged;
        picture.errorString = QString::fromLocal8Bit(d.errors.message);
    }
    return picture;
}

QSize uprightSize(const jpeg_decompress_struct& info, int orientation)
{
    const QSize stored(int(info.image_width), int(info.image_height));
    return turnsSideways(orientation) ? stored.transposed() : stored;
}

JpegPicture decode(Decoding& d, QByteArrayView bytes, QSize fit)
{
    if (!readHeader(d, bytes, fit))
        return failure(d, QSize());
    const QSize size = uprightSize(d.info, d.orientation);
    if (d.overCap) {
        JpegPicture picture;
        picture.error = JpegPicture::Error::TooLarge;
        picture.size = size;
        picture.errorString = tr("The picture has %1 x %2 pixels, more than a preview shows.")
                                  .arg(size.width()).arg(size.height());
        return picture;
    }
    const bool grey = d.info.out_color_space == JCS_GRAYSCALE;
    QImage image(int(d.info.output_width), int(d.info.output_height), grey ? QImage::Format_Grayscale8 : QImage::Format_RGB32);
    if (image.isNull()) {
        JpegPicture picture;
        picture.error = JpegPicture::Error::TooLarge;
        picture.size = size;
        picture.errorString = tr("The picture needs more memory than a preview may use.");
        return picture;
    }
    std::vector<uchar> cmykRow(d.info.out_color_space == JCS_CMYK ? size_t(d.info.output_width) * 4 : 0);
    if (!readRows(d, image, cmykRow))
        return failure(d, size);
    JpegPicture picture;
    picture.size = size;
    picture.image = upright(image, d.orientation);
    picture.complete = !d.errors.incomplete;
    return picture;
}

}  // namespace

bool looksLikeJpeg(QByteArrayView bytes)
{
    return bytes.size() >= 3 && bytes.startsWith("\xFF\xD8\xFF");
}

JpegPicture readJpeg(QByteArrayView bytes, QSize fit, qint64 maxPixels)
{
    Decoding d{};
    d.info.err = jpeg_std_error(&d.errors.base);
    d.errors.base.error_exit = failDecoding;
    d.errors.base.emit_message = noteMessage;
    d.progress.progress_monitor = limitScans;
    d.maxPixels = std::max<qint64>(maxPixels, 1);
    d.orientation = 1;
    if (!create(d)) {
        jpeg_destroy_decompress(&d.info);   // safe on a decompressor that was never made whole
        return failure(d, QSize());
    }
    JpegPicture picture = decode(d, bytes, fit);
    jpeg_destroy_decompress(&d.info);
    return picture;
}

int exifOrientation(QByteArrayView app1)
{
    constexpr qsizetype kTiffStart = 6;   // after "Exif\0\0"
    constexpr quint16 kOrientationTag = 0x0112;
    constexpr quint16 kShortType = 3;
    if (!app1.startsWith(QByteArrayView("Exif\0\0", 6)) || app1.size() < kTiffStart + 8)
        return 1;
    const QByteArrayView tiff = app1.sliced(kTiffStart);
    const bool little = tiff.startsWith("II");
    if (!little && !tiff.startsWith("MM"))
        return 1;
    const auto read16 = [&](qsizetype at) {
        return little ? qFromLittleEndian<quint16>(tiff.data() + at) : qFromBigEndian<quint16>(tiff.data() + at);
    };
    const auto read32 = [&](qsizetype at) {
        return little ? qFromLittleEndian<quint32>(tiff.data() + at) : qFromBigEndian<quint32>(tiff.data() + at);
    };
    const quint32 directory = read32(4);
    if (directory > quint32(tiff.size() - 2))
        return 1;   // the directory lies past the segment
    const quint16 entries = read16(directory);
    for (quint32 i = 0; i < entries; ++i) {
        const quint64 entry = quint64(directory) + 2 + 12 * quint64(i);
        if (entry + 12 > quint64(tiff.size()))
            return 1;   // the directory runs past the segment
        if (read16(qsizetype(entry)) == kOrientationTag && read16(qsizetype(entry) + 2) == kShortType) {
            const quint16 value = read16(qsizetype(entry) + 8);
            return value >= 1 && value <= 8 ? value : 1;
        }
    }
    return 1;
}
