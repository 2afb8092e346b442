// libFuzzer target for the DB Maker project reader: any bytes must read without a crash, and what is read,
// written and read again must read back the same (the writer never shifts a value).
// Build and run (clang, from the source root):
//   clang++ -std=c++20 -g -O1 -fPIC -fsanitize=fuzzer,address,undefined -I. fuzz/db_maker_project_fuzz.cpp \
//       lists/db_maker_project.cpp lists/comma_text.cpp platform/text_file.cpp platform/code_page.cpp \
//       platform/string_list.cpp $(pkg-config --cflags --libs Qt6Core) -o /tmp/db_maker_project_fuzz
//   /tmp/db_maker_project_fuzz -max_len=2048 -max_total_time=60 fuzz/corpus/db_maker_project_fuzz

#include "lists/db_maker_project.h"
#include "platform/text_file.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const DbMakerSettings read = parseDbMakerProject(splitLines(decodeText(bytes)), DbMakerSettings());
    const DbMakerSettings once = parseDbMakerProject(dbMakerProjectLines(read), DbMakerSettings());
    const DbMakerSettings twice = parseDbMakerProject(dbMakerProjectLines(once), DbMakerSettings());
    if (!(once == twice))
        std::abort();
    return 0;
}
