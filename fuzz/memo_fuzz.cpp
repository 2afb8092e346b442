// libFuzzer target for the memo reader: the first byte picks the layout (dBase III, IV, FoxPro), the next
// four the block number, the rest is the memo file. A memo never reads outside the file and is never longer
// than it.
// Build and run (clang, from the source root):
//   clang++ -std=c++20 -g -O1 -fPIC -fsanitize=fuzzer,address,undefined -I. fuzz/memo_fuzz.cpp \
//       dbase/memo_file.cpp dbase/paged_file.cpp $(pkg-config --cflags --libs Qt6Core) -o /tmp/memo_fuzz
//   /tmp/memo_fuzz -max_len=8192 -max_total_time=60 fuzz/corpus/memo_fuzz

#include "dbase/memo_file.h"

#include <QtEndian>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 5)
        return 0;
    const auto layout = memoformat::Layout(data[0] % 3);
    const qint64 block = qFromLittleEndian<quint32>(data + 1);
    const QByteArray file(reinterpret_cast<const char*>(data + 5), qsizetype(size - 5));
    QByteArray header = file.left(memoformat::HeaderSize);
    header.append(QByteArray(memoformat::HeaderSize - header.size(), '\0'));
    const int blockSize = memoformat::blockSize(layout, header);
    const auto readAt = [&](qint64 offset, char* buffer, qint64 length) -> qint64 {
        if (offset < 0 || offset > file.size() || length < 0)
            std::abort();
        const qint64 got = std::min(length, file.size() - offset);
        std::memcpy(buffer, file.constData() + offset, size_t(got));
        return got;
    };
    const QByteArray memo = memoformat::readMemo(layout, blockSize, block, file.size(), readAt);
    if (memo.size() > file.size())
        std::abort();
    return 0;
}
