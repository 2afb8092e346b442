// libFuzzer target for "mime.def", the table of MIME types in fixed 333-byte records: any file loads (its
// whole records, at most 2000, or the built-in rows), every field within its length, and a record encoded
// again is stable; the look-ups answer for any name.
// Build and run: scripts/fuzz build, then scripts/fuzz run 60 mime_def_fuzz (see scripts/fuzz).

#include "fuzz/fuzz_files.h"
#include "transport/mime/mime_types.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const QString path = fuzzfiles::writeScratchFile(QStringLiteral("mime.def"), bytes);
    const TMimeManager table(path);
    if (table.count() < 1 || table.count() > TMimeManager::kMaxRecords)
        std::abort();
    if (fuzzfiles::readScratchFile(QStringLiteral("mime.def")) != bytes)
        std::abort();   // a damaged table is never rewritten
    for (int number = 1; number <= table.count(); ++number) {
        const MimeTypeRecord& record = table.record(number);
        if (record.mimeType.size() > 40 || record.description.size() > 30 || record.viewer.size() > 255
            || record.extension.size() > 3)
            std::abort();
        // Text the ANSI code page cannot hold changes on the first encoding; after that it is stable.
        const QByteArray encoded = TMimeManager::encodeRecord(record);
        const MimeTypeRecord decoded = TMimeManager::decodeRecord(encoded);
        if (encoded.size() != TMimeManager::kRecordSize || TMimeManager::encodeRecord(decoded) != encoded
            || decoded.flag != record.flag)
            std::abort();
    }
    const QString name = QString::fromLatin1(bytes.left(64));
    table.IndexOfType(name);
    table.ViewerFlag(name);
    table.TypeForFile(QStringLiteral("file.") + name);
    return 0;
}
