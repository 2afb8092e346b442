// TBuffer: one fixed-size block of TWSocket's send queue, with a write offset (bytes stored) and a read
// offset (bytes already sent). It never grows by itself: write() stores what fits and says how much.
#pragma once

#include <QByteArrayView>

#include <memory>

class TBuffer {
public:
    static constexpr int DefaultSize = 1514;   // one Ethernet frame

    explicit TBuffer(int size = DefaultSize);   // size <= 0 means DefaultSize
    Q_DISABLE_COPY_MOVE(TBuffer)

    // Copies as many bytes of data as fit behind the stored ones; returns the count copied.
    int write(QByteArrayView data);
    // The stored bytes not yet read.
    QByteArrayView peek() const;
    // Marks up to count unread bytes read; once everything is read both offsets return to 0.
    void remove(int count);
    // Changes the block size, keeping the unread bytes (as many as fit).
    void resize(int size);

    int size() const { return m_size; }
    int unreadCount() const { return m_writeOffset - m_readOffset; }
    bool isFull() const { return m_writeOffset == m_size; }

private:
    std::unique_ptr<char[]> m_data;
    int m_size = 0;
    int m_writeOffset = 0;
    int m_readOffset = 0;
};
