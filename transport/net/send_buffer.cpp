// TBuffer: a send-queue block.

#include "transport/net/send_buffer.h"

#include <algorithm>
#include <cstring>

TBuffer::TBuffer(int size)
{
    resize(size);
}

int TBuffer::write(QByteArrayView data)
{
    const int count = int(std::min<qsizetype>(data.size(), m_size - m_writeOffset));
    if (count > 0) {
        std::memcpy(m_data.get() + m_writeOffset, data.data(), size_t(count));
        m_writeOffset += count;
    }
    return count;
}

QByteArrayView TBuffer::peek() const
{
    return QByteArrayView(m_data.get() + m_readOffset, unreadCount());
}

void TBuffer::remove(int count)
{
    m_readOffset += std::clamp(count, 0, unreadCount());
    if (m_readOffset == m_writeOffset)
        m_readOffset = m_writeOffset = 0;
}

void TBuffer::resize(int size)
{
    const int newSize = size > 0 ? size : DefaultSize;
    auto data = std::make_unique<char[]>(size_t(newSize));
    const int kept = m_data ? std::min(unreadCount(), newSize) : 0;
    if (kept > 0)
        std::memcpy(data.get(), m_data.get() + m_readOffset, size_t(kept));
    m_data = std::move(data);
    m_size = newSize;
    m_readOffset = 0;
    m_writeOffset = kept;
}
