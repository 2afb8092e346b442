// libFuzzer target for what decides the code page of a table whose header names none: the name in a ".cpg"
// file gives 0 or a page the code-page service converts; the UTF-8 probe agrees with Qt's validator and
// calls plain ASCII ASCII.
// Build and run: scripts/fuzz build, then scripts/fuzz run 60 table_text_fuzz (see scripts/fuzz).

#include "dbase/code_page_file.h"
#include "dbase/utf8_probe.h"
#include "platform/code_page.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArrayView bytes(data, qsizetype(size));
    const int page = codepagefile::codePageOfName(bytes);
    if (page != 0 && codepage::iconvName(page).isEmpty())
        std::abort();

    // Valid UTF-8 is never refused; what the probe takes is valid once a character cut short at the end
    // (at most three bytes) is dropped.
    const Utf8Form form = utf8FormOf(bytes);
    if (bytes.isValidUtf8() && form == Utf8Form::Invalid)
        std::abort();
    if (form != Utf8Form::Invalid) {
        qsizetype keep = bytes.size();
        while (keep > 0 && bytes.size() - keep < 3 && !bytes.first(keep).isValidUtf8())
            --keep;
        if (!bytes.first(keep).isValidUtf8())
            std::abort();
    }
    bool ascii = true;
    for (char c : bytes)
        ascii = ascii && quint8(c) < 0x80;
    if (ascii && form != Utf8Form::Ascii)
        std::abort();
    return 0;
}
