// TWSocket's send queue: a list of TBuffer blocks. Data fills the last block, then new blocks of the
// block size; the socket writes from the front, as many blocks in one write as it takes, and frees each
// block once it is sent and another follows.
#pragma once

#include "transport/net/send_buffer.h"

#include <QByteArrayView>
#include <QList>

#include <deque>
#include <memory>

class SendQueue {
public:
    explicit SendQueue(int blockSize = TBuffer::DefaultSize) : m_blockSize(blockSize) {}

    void append(QByteArrayView data);
    // The unread bytes of the first block; empty when everything was sent.
    QByteArrayView front() const;
    // Marks count bytes of the first block sent; a block emptied this way is freed when another follows.
    void removeFront(int count);
    // The unread bytes of the first blocks, at most maxBytes, in one piece: what one write hands the
    // kernel, so a message of several blocks leaves in as few segments as the network allows.
    QByteArray frontBytes(qint64 maxBytes) const;
    // Marks count bytes sent from the front, across blocks.
    void removeBytes(qint64 count);
    void clear();

    qint64 byteCount() const { return m_byteCount; }
    bool isEmpty() const { return m_byteCount == 0; }
    QList<int> blockSizes() const;   // unread bytes per block, front first

private:
    std::deque<std::unique_ptr<TBuffer>> m_blocks;
    int m_blockSize;
    qint64 m_byteCount = 0;
};
