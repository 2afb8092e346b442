// libFuzzer target for the table header parser and the field reader: any bytes must parse or be rejected
// with a text, never read outside them; a parsed header keeps every field inside the record, and every field
// of a record made from the bytes after the header reads without leaving the record.
// Build and run (clang, from the source root):
//   clang++ -std=c++20 -g -O1 -fPIC -fsanitize=fuzzer,address,undefined -I. fuzz/dbf_header_fuzz.cpp \
//       dbase/dbf_header.cpp dbase/dbf_field_def.cpp dbase/field_reader.cpp dbase/language_drivers.cpp \
//       platform/code_page.cpp $(pkg-config --cflags --libs Qt6Core) -o /tmp/dbf_header_fuzz
//   /tmp/dbf_header_fuzz -max_len=4096 -max_total_time=60 fuzz/corpus/dbf_header_fuzz

#include "dbase/dbf_header.h"
#include "dbase/field_reader.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArrayView bytes(data, qsizetype(size));
    const auto parsed = dbfheader::parseHeader(bytes);
    const auto* header = std::get_if<dbfheader::Header>(&parsed);
    if (!header)
        return 0;
    const int recordSize = header->prefix.recordSize;
    if (header->fields.count() < 1 || header->fields.count() > dbfheader::MaxFieldCount)
        std::abort();
    for (int i = 0; i < header->fields.count(); ++i)
        if (header->fields[i].Offset < 1 || header->fields[i].Offset + header->fields[i].Size > recordSize)
            std::abort();
    QByteArray record = bytes.sliced(header->prefix.headerSize).toByteArray().left(recordSize);
    record.append(QByteArray(recordSize - record.size(), ' '));
    const FieldReadContext context{&header->fields, header->nullFlagsField, TDateTimeHandling::dtBDETimeStamp};
    for (int i = 0; i < header->fields.count(); ++i)
        (void)readFieldValue(context, header->fields[i], record);
    return 0;
}
