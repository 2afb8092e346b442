// TWSocket's send queue of TBuffer blocks.

#include "transport/net/send_queue.h"

#include <algorithm>

void SendQueue::append(QByteArrayView data)
{
    m_byteCount += data.size();
    while (!data.isEmpty()) {
        if (m_blocks.empty() || m_blocks.back()->isFull())
            m_blocks.push_back(std::make_unique<TBuffer>(m_blockSize));
        data = data.sliced(m_blocks.back()->write(data));
    }
}

QByteArrayView SendQueue::front() const
{
    return m_blocks.empty() ? QByteArrayView() : m_blocks.front()->peek();
}

void SendQueue::removeFront(int count)
{
    if (m_blocks.empty())
        return;
    TBuffer& block = *m_blocks.front();
    const int removed = std::clamp(count, 0, block.unreadCount());
    block.remove(removed);
    m_byteCount -= removed;
    // An empty block is freed when another follows; the last one is kept for the next append.
    if (block.unreadCount() == 0 && m_blocks.size() > 1)
        m_blocks.pop_front();
}

QByteArray SendQueue::frontBytes(qint64 maxBytes) const
{
    QByteArray bytes;
    bytes.reserve(qsizetype(std::min(maxBytes, m_byteCount)));
    for (const auto& block : m_blocks) {
        const QByteArrayView unread = block->peek();
        const qint64 room = maxBytes - bytes.size();
        if (room <= 0)
            break;
        bytes.append(unread.first(qsizetype(std::min<qint64>(room, unread.size()))));
    }
    return bytes;
}

void SendQueue::removeBytes(qint64 count)
{
    while (count > 0 && !isEmpty()) {
        const int step = int(std::min<qint64>(count, m_blocks.front()->unreadCount()));
        removeFront(step);
        count -= step;
        if (step == 0 && m_blocks.size() > 1)
            m_blocks.pop_front();
    }
}

void SendQueue::clear()
{
    m_blocks.clear();
    m_byteCount = 0;
}

QList<int> SendQueue::blockSizes() const
{
    QList<int> sizes;
    for (const auto& block : m_blocks)
        sizes.append(block->unreadCount());
    return sizes;
}
