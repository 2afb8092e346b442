// libFuzzer target for the ini file reader and writer: any bytes read; every section and key read back
// through the look-ups; the file written and read again holds the same sections, keys and values, and
// writing that again gives the same bytes.
// Build and run: scripts/fuzz build, then scripts/fuzz run 60 ini_file_fuzz (see scripts/fuzz).

#include "fuzz/fuzz_files.h"
#include "platform/ini_file.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {

// Every section with its "key=value" lines, as the look-ups see them.
QStringList contents(const IniFile& ini)
{
    QStringList all;
    for (const QString& section : ini.sections()) {
        all.append(QStringLiteral("[") + section + QStringLiteral("]"));
        for (const QString& key : ini.sectionKeys(section))
            all.append(key + QStringLiteral("=") + ini.readString(section, key, QStringLiteral("\x01")));
    }
    return all;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString name = QStringLiteral("fuzz.ini");
    const QString path = fuzzfiles::writeScratchFile(name, QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)));
    const IniFile ini(path);
    const QStringList first = contents(ini);
    for (const QString& section : ini.sections()) {
        ini.readInteger(section, QStringLiteral("Count"), 0);
        ini.readBool(section, QStringLiteral("1"), false);
    }
    if (!ini.updateFile())
        std::abort();
    const QByteArray written = fuzzfiles::readScratchFile(name);

    IniFile reread(path);
    if (contents(reread) != first)
        std::abort();
    if (!reread.updateFile() || fuzzfiles::readScratchFile(name) != written)
        std::abort();
    reread.writeString(QStringLiteral("Fuzz"), QStringLiteral("Key"), QStringLiteral("value"));
    if (!reread.updateFile())
        std::abort();
    if (IniFile(path).readString(QStringLiteral("fuzz"), QStringLiteral("KEY"), QString()) != QLatin1String("value"))
        std::abort();
    return 0;
}
