// libFuzzer target for the address-book record files: any bytes must load into a store whose every line has
// an id above 0 (MaxId the largest), and every kept line must read into a contact and its catalogue row
// without a crash.
// Build and run (clang, from the source root):
//   clang++ -std=c++20 -g -O1 -fPIC -fsanitize=fuzzer,address,undefined -I. fuzz/address_book_fuzz.cpp \
//       lists/low_file.cpp lists/record_values.cpp lists/record_locale.cpp lists/address_book_record.cpp \
//       core/base/text_helpers.cpp platform/text_file.cpp platform/code_page.cpp platform/program_folder.cpp \
//       platform/string_list.cpp $(pkg-config --cflags --libs Qt6Core) -o /tmp/address_book_fuzz
//   /tmp/address_book_fuzz -max_len=4096 -max_total_time=60 fuzz/corpus/address_book_fuzz

#include "lists/address_book_record.h"
#include "lists/low_file.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    TLowFile store;
    loadRecordLines(store, QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)));
    if (store.Lines.size() != store.Ids.size())
        std::abort();
    int largest = 0;
    for (const int id : std::as_const(store.Ids)) {
        if (id <= 0)
            std::abort();
        largest = std::max(largest, id);
    }
    if (largest != store.MaxId)
        std::abort();
    TAbook record;
    for (const QString& line : std::as_const(store.Lines)) {
        AbookParseLine(record, line);
        if (abookCatalogueRow(record).size() != AbookColumnCount)
            std::abort();
    }
    return 0;
}
