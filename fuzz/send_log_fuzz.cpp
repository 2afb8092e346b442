// libFuzzer target for the send-log reader of the log viewer: any file reads as one item per line, each with
// a time (midnight when unreadable), a state that is Ok, No or none, and texts that never hold a line end.
// Build and run: scripts/fuzz build, then scripts/fuzz run 60 send_log_fuzz (see scripts/fuzz).

#include "core/logs/log_list.h"
#include "fuzz/fuzz_files.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString path = fuzzfiles::writeScratchFile(QStringLiteral("send.log"),
                                                     QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)));
    TLogListObj log(path, QStringLiteral("Ok"), QStringLiteral("No"));
    log.LoadLog();
    for (const auto& item : log.Items) {
        if (!item->Time.isValid() || item->Address.contains(QLatin1Char('\n')) || item->Comment.contains(QLatin1Char('\r')))
            std::abort();
        if (item->Status != 0 && item->Status != TLogDataObj::kStatusOk && item->Status != TLogDataObj::kStatusNo)
            std::abort();
        if (item->timeText().size() != 8)
            std::abort();
    }
    return 0;
}
