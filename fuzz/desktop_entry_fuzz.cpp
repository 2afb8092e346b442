// libFuzzer target for desktop entries and their Exec lines: any bytes must give an Exec value or an error,
// and splitting that value must give a program or an error, never both, never a crash or a read past it; the
// target's place lies inside the arguments.
// Build and run (clang, from the source root):
//   clang++ -std=c++20 -g -O1 -fPIC -fsanitize=fuzzer,address,undefined -I. fuzz/desktop_entry_fuzz.cpp \
//       controls/desktop_entry.cpp controls/desktop_exec.cpp $(pkg-config --cflags --libs Qt6Core) \
//       -o /tmp/desktop_entry_fuzz
//   mkdir -p /tmp/desktop_entry_corpus    # new inputs go to the first folder, the seeds stay as they are
//   /tmp/desktop_entry_fuzz -max_len=4096 -max_total_time=60 /tmp/desktop_entry_corpus fuzz/corpus/desktop_entry_fuzz

#include "controls/desktop_entry.h"
#include "controls/desktop_exec.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray contents(reinterpret_cast<const char*>(data), qsizetype(size));
    const DesktopEntryExec entry = desktopEntryExec(contents);
    if (entry.exec.isEmpty() == entry.error.isEmpty())
        std::abort();

    // The Exec value, and the raw bytes as one, both go through the splitter.
    for (const QString& exec : {entry.exec, QString::fromUtf8(contents)}) {
        const ExecCommand command = splitExecLine(exec);
        if (command.ok() == command.program.isEmpty())
            std::abort();
        if (!command.ok() && !command.arguments.isEmpty())
            std::abort();
        if (command.arguments.size() > exec.size())
            std::abort();
        if (command.targetArgument >= command.arguments.size())
            std::abort();
        if (command.targetArgument >= 0 && command.targetOffset > command.arguments[command.targetArgument].size())
            std::abort();
        if (command.ok() && !command.argumentsFor(QStringLiteral("target")).join(QString()).contains("target"))
            std::abort();
    }
    return 0;
}
