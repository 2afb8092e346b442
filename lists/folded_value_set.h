// FoldedValueSet: a set of cell values compared without letter case, for the duplicate finder and the exact
// keyword filter over lists of a million rows. Values are stored folded, once, in one byte arena, and found
// through an open-addressing table of their hashes: no allocation per value. Full folding follows Unicode
// case folding (ASCII text takes a fast path); ASCII folding changes only the letters A-Z.
#pragma once

#include <QByteArrayView>

#include <cstdint>
#include <string>
#include <vector>

enum class CaseFolding { Full, Ascii };

// value (UTF-8) folded into out (replaced).
void foldCase(QByteArrayView value, CaseFolding folding, std::string& out);

class FoldedValueSet {
public:
    explicit FoldedValueSet(CaseFolding folding = CaseFolding::Full);

    // Adds value; false when an equal value (after folding) is already held.
    bool insert(QByteArrayView value);
    bool contains(QByteArrayView value) const;
    std::size_t size() const { return m_count; }

private:
    struct Slot {
        std::uint64_t offset = 0;
        std::uint32_t hash = 0;
        std::uint32_t length = kEmpty;
    };
    static constexpr std::uint32_t kEmpty = 0xffffffffu;

    std::size_t findSlot(QByteArrayView folded, std::uint32_t hash) const;
    void grow();

    CaseFolding m_folding;
    std::vector<Slot> m_slots;
    std::vector<char> m_arena;
    std::size_t m_count = 0;
    mutable std::string m_scratch;
};
