// SubstringMatcher: answers whether a text contains any of many patterns, in one pass over the text however
// many patterns there are (an Aho-Corasick automaton over UTF-8 bytes; a byte match of valid UTF-8 is a match
// of whole characters). Letters are compared exactly. Empty patterns are ignored: they never match.
#pragma once

#include <QByteArrayView>

#include <cstdint>
#include <vector>

class SubstringMatcher {
public:
    void addPattern(QByteArrayView pattern);
    // Builds the failure links; call once after the last addPattern and before the first search.
    void finish();
    bool matches(QByteArrayView text) const;
    bool empty() const { return m_nodes.size() <= 1; }

private:
    struct Node {
        std::uint32_t firstChild = 0;    // 0: none (the root is never a child)
        std::uint32_t nextSibling = 0;
        std::uint32_t failure = 0;
        unsigned char byte = 0;
        bool output = false;             // a pattern ends here or at a node on the failure chain
    };

    std::uint32_t child(std::uint32_t node, unsigned char byte) const;
    std::uint32_t step(std::uint32_t node, unsigned char byte) const;

    std::vector<Node> m_nodes{Node{}};
    std::uint32_t m_rootChild[256] = {};   // the root's children by byte: the busiest lookups
};
