// libFuzzer target for the ".hcr" custom-colour reader and the picture address mapping: any text must give
// exactly sixteen valid colours, an address either no path or an absolute one without a NUL, a data: address
// either nothing or a non-empty picture within the cap, and a web address a file name without separators or
// control characters.
// Build and run (clang, from the source root):
//   clang++ -std=c++20 -g -O1 -fPIC -fsanitize=fuzzer,address,undefined -I. fuzz/custom_colours_fuzz.cpp \
//       core/editor/html_colours.cpp core/editor/picture_paths.cpp platform/text_file.cpp platform/code_page.cpp \
//       $(pkg-config --cflags --libs Qt6Gui) -o /tmp/custom_colours_fuzz
//   /tmp/custom_colours_fuzz -max_len=4096 -max_total_time=60 fuzz/corpus/custom_colours_fuzz

#include "core/editor/html_colours.h"
#include "core/editor/picture_paths.h"
#include "platform/text_file.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString text = decodeText(QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)));
    const QList<QColor> colours = ParseCustomColours(text, {});
    if (colours.size() != CustomColourCount)
        std::abort();
    for (const QColor& colour : colours) {
        if (!colour.isValid())
            std::abort();
    }
    if (ParseCustomColours(CustomColoursText(colours), {}) != colours)
        std::abort();
    const std::optional<QString> path = LocalPathOfAddress(text);
    if (path && (!path->startsWith(u'/') || path->contains(QChar(0))))
        std::abort();
    constexpr qsizetype kCap = 1024;
    const std::optional<DataPicture> picture = DecodeDataAddress(text, kCap);
    if (picture && (picture->bytes.isEmpty() || picture->bytes.size() > kCap || !picture->mediaType.startsWith("image/")))
        std::abort();
    const QString name = PictureNameOfWebAddress(QUrl(text), text.left(40));
    if (name.isEmpty() || name.contains(u'/') || name == QStringLiteral("..")
        || std::any_of(name.begin(), name.end(), [](QChar c) { return c.unicode() < 0x20; }))
        std::abort();
    return 0;
}
