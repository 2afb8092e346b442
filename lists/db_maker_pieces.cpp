// Piece-wise reading: see db_maker_pieces.h.

#include "lists/db_maker_pieces.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

bool FileByteSource::open(const std::filesystem::path& path)
{
    close();
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return false;
    }
    m_fd = fd;
    m_position = 0;
    m_size = qint64(info.st_size);
    m_sparse = qint64(info.st_blocks) * 512 < m_size;
    return true;
}

void FileByteSource::close()
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
}

// The bytes the file had when it was opened are read, as a whole-file read would. A hole of a sparse file
// reads as zero bytes: they are filled here instead of copied by the kernel, so a huge sparse file (a disk
// image, a preallocated log) costs no more than its data.
qint64 FileByteSource::read(char* buffer, qint64 length)
{
    length = std::min(length, m_size - m_position);
    if (length <= 0)
        return 0;
    const qint64 zeros = m_sparse ? std::min(length, holeAhead()) : 0;
    if (zeros > 0) {
        std::memset(buffer, 0, size_t(zeros));
        m_position += zeros;
        return zeros;
    }
    for (;;) {
        const ssize_t got = ::pread(m_fd, buffer, size_t(length), off_t(m_position));
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return -1;
        m_position += got;
        return qint64(got);
    }
}

qint64 FileByteSource::holeAhead() const
{
    const off_t data = ::lseek(m_fd, off_t(m_position), SEEK_DATA);
    if (data >= 0)
        return qint64(data) - m_position;
    struct stat info {};
    if (errno == ENXIO && ::fstat(m_fd, &info) == 0)   // no data after the position: a hole to the end
        return qint64(info.st_size) - m_position;
    return 0;
}

qint64 MemoryByteSource::read(char* buffer, qint64 length)
{
    const qint64 count = std::min({length, qint64(m_maxRead), qint64(m_bytes.size() - m_position)});
    if (count <= 0)
        return 0;   // also for empty bytes, whose data may be null
    std::memcpy(buffer, m_bytes.data() + m_position, size_t(count));
    m_position += count;
    return count;
}

void lowerAsciiInto(const char* from, char* to, qsizetype length)
{
    qsizetype i = 0;
#if defined(__SSE2__)
    // 16 bytes at a time: bytes in 'A'..'Z' get 0x20 added. Signed compares suffice, as every letter is
    // below 0x80 and every byte from 0x80 up compares as negative.
    const __m128i beforeA = _mm_set1_epi8('A' - 1);
    const __m128i afterZ = _mm_set1_epi8('Z' + 1);
    const __m128i caseBit = _mm_set1_epi8(0x20);
    for (; i + 16 <= length; i += 16) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(from + i));
        const __m128i upper = _mm_and_si128(_mm_cmpgt_epi8(bytes, beforeA), _mm_cmplt_epi8(bytes, afterZ));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(to + i), _mm_add_epi8(bytes, _mm_and_si128(upper, caseBit)));
    }
#endif
    for (; i < length; ++i) {
        const char c = from[i];
        to[i] = c >= 'A' && c <= 'Z' ? char(c + ('a' - 'A')) : c;
    }
}

void SlidingBuffer::reset(ByteSource* source)
{
    m_source = source;
    m_begin = 0;
    m_used = 0;
    m_atEnd = source == nullptr;
    m_failed = false;
    m_stopped = false;
}

bool SlidingBuffer::readMore(qint64 keepFrom)
{
    if (m_atEnd)
        return false;
    Q_ASSERT(keepFrom >= m_begin && keepFrom <= end());
    const qsizetype drop = qsizetype(keepFrom - m_begin);
    const qsizetype kept = m_used - drop;
    if (drop > 0 && m_data.size() - m_used < m_pieceSize) {   // move only when the piece would not fit
        std::memmove(m_data.data(), m_data.constData() + drop, size_t(kept));
        if (m_keepLowered)
            std::memmove(m_lowered.data(), m_lowered.constData() + drop, size_t(kept));
        m_begin = keepFrom;
        m_used = kept;
    }
    if (m_data.size() - m_used < m_pieceSize) {
        m_data.resize(m_used + m_pieceSize);
        if (m_keepLowered)
            m_lowered.resize(m_data.size());
    }
    const qint64 got = m_source->read(m_data.data() + m_used, m_pieceSize);
    if (got <= 0) {
        m_atEnd = true;
        m_failed = got < 0;
        return false;
    }
    if (m_keepLowered)
        lowerAsciiInto(m_data.constData() + m_used, m_lowered.data() + m_used, qsizetype(got));
    m_used += qsizetype(got);
    if (m_pieceHook && !m_pieceHook(qsizetype(got))) {
        m_atEnd = true;
        m_stopped = true;
    }
    return true;
}
