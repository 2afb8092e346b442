// SubstringMatcher: see substring_matcher.h. Children are kept as sibling chains (small and cache-friendly
// for the deep, narrow tries that keyword lists give); the root keeps a full table.

#include "lists/substring_matcher.h"

#include <deque>

std::uint32_t SubstringMatcher::child(std::uint32_t node, unsigned char byte) const
{
    if (node == 0)
        return m_rootChild[byte];
    for (std::uint32_t next = m_nodes[node].firstChild; next != 0; next = m_nodes[next].nextSibling)
        if (m_nodes[next].byte == byte)
            return next;
    return 0;
}

void SubstringMatcher::addPattern(QByteArrayView pattern)
{
    if (pattern.isEmpty())
        return;
    std::uint32_t node = 0;
    for (char c : pattern) {
        const unsigned char byte = static_cast<unsigned char>(c);
        std::uint32_t next = child(node, byte);
        if (next == 0) {
            next = std::uint32_t(m_nodes.size());
            Node created;
            created.byte = byte;
            if (node == 0) {
                m_rootChild[byte] = next;
            } else {
                created.nextSibling = m_nodes[node].firstChild;
                m_nodes[node].firstChild = next;
            }
            m_nodes.push_back(created);
        }
        node = next;
    }
    m_nodes[node].output = true;
}

void SubstringMatcher::finish()
{
    std::deque<std::uint32_t> queue;
    for (std::uint32_t next : m_rootChild)
        if (next != 0) {
            m_nodes[next].failure = 0;
            queue.push_back(next);
        }
    while (!queue.empty()) {
        const std::uint32_t node = queue.front();
        queue.pop_front();
        for (std::uint32_t next = m_nodes[node].firstChild; next != 0; next = m_nodes[next].nextSibling) {
            const std::uint32_t failure = step(m_nodes[node].failure, m_nodes[next].byte);
            m_nodes[next].failure = failure;
            m_nodes[next].output = m_nodes[next].output || m_nodes[failure].output;
            queue.push_back(next);
        }
    }
}

// The state after byte from node: follow failure links until a child fits, down to the root.
std::uint32_t SubstringMatcher::step(std::uint32_t node, unsigned char byte) const
{
    while (true) {
        if (const std::uint32_t next = child(node, byte))
            return next;
        if (node == 0)
            return 0;
        node = m_nodes[node].failure;
    }
}

bool SubstringMatcher::matches(QByteArrayView text) const
{
    std::uint32_t node = 0;
    for (char c : text) {
        node = step(node, static_cast<unsigned char>(c));
        if (m_nodes[node].output)
            return true;
    }
    return false;
}
