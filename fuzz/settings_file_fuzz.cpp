// libFuzzer target for "setupkrn.ini": any bytes load (block layout, INI layout or kept aside as
// "setupkrn.ini.bak"); what the program then writes loads again to the same settings, so a second write gives
// the same bytes (the round trip is stable).
// Build and run: scripts/fuzz build, then scripts/fuzz run 60 settings_file_fuzz (see scripts/fuzz).

#include "core/settings/settings_file.h"
#include "fuzz/fuzz_files.h"

#include <QFile>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {

QByteArray loadAndSave()
{
    LoadSettings();
    if (!SaveSettings())
        std::abort();
    return fuzzfiles::readScratchFile(QStringLiteral("setupkrn.ini"));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzzfiles::writeScratchFile(QStringLiteral("setupkrn.ini"),
                                QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)));
    const QByteArray first = loadAndSave();
    QFile::remove(settingsFilePath() + QStringLiteral(".bak"));
    if (loadAndSave() != first || QFile::exists(settingsFilePath() + QStringLiteral(".bak")))
        std::abort();   // what the program wrote must read back whole
    return 0;
}
