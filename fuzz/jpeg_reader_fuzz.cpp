// libFuzzer target for the JPEG reader of the picture previews: any bytes give a picture or an error, never a
// crash, an abort from libjpeg or an image over the cap; a picture's image is no larger than its upright size
// and fits the box the DCT scaled it for. The first byte picks the box, so the scaling paths are fuzzed too.
// The cap is lowered so that a header claiming a large picture costs milliseconds, not seconds.
// fuzz-options: -max_len=65536

#include "platform/widgets/jpeg_reader.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {

constexpr qint64 kFuzzPixelCap = 4'000'000;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    const int side = 1 + data[0] % 64;
    const QByteArrayView bytes(reinterpret_cast<const char*>(data) + 1, qsizetype(size - 1));
    const JpegPicture picture = readJpeg(bytes, QSize(side, side), kFuzzPixelCap);
    if (picture.error == JpegPicture::Error::None) {
        if (picture.image.isNull() || picture.image.width() > picture.size.width()
            || picture.image.height() > picture.size.height())
            std::abort();
        if (qint64(picture.size.width()) * picture.size.height() > kFuzzPixelCap)
            std::abort();
    } else if (!picture.image.isNull() || picture.errorString.isEmpty()) {
        std::abort();
    }
    const int orientation = exifOrientation(bytes);
    if (orientation < 1 || orientation > 8)
        std::abort();
    return 0;
}
