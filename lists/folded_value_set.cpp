// FoldedValueSet: see folded_value_set.h.

#include "lists/folded_value_set.h"

#include <QHashFunctions>
#include <QString>

#include <cstring>

namespace {

bool isAscii(QByteArrayView value)
{
    for (char c : value)
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
    return true;
}

std::uint32_t hashOf(QByteArrayView folded)
{
    const std::size_t h = qHash(folded, 0x5bd1e995u);
    return std::uint32_t(h ^ (std::uint64_t(h) >> 32));
}

}  // namespace

void foldCase(QByteArrayView value, CaseFolding folding, std::string& out)
{
    if (folding == CaseFolding::Ascii || isAscii(value)) {
        out.assign(value.data(), std::size_t(value.size()));
        for (char& c : out)
            if (c >= 'A' && c <= 'Z')
                c = char(c - 'A' + 'a');
        return;
    }
    const QByteArray folded = QString::fromUtf8(value).toCaseFolded().toUtf8();
    out.assign(folded.constData(), std::size_t(folded.size()));
}

FoldedValueSet::FoldedValueSet(CaseFolding folding)
    : m_folding(folding)
    , m_slots(1024)
{
}

std::size_t FoldedValueSet::findSlot(QByteArrayView folded, std::uint32_t hash) const
{
    const std::size_t mask = m_slots.size() - 1;
    for (std::size_t index = hash & mask;; index = (index + 1) & mask) {
        const Slot& slot = m_slots[index];
        if (slot.length == kEmpty)
            return index;
        // An empty value's view may have no data pointer, which memcmp must never get.
        if (slot.hash == hash && slot.length == std::size_t(folded.size())
            && (slot.length == 0 || std::memcmp(m_arena.data() + slot.offset, folded.data(), slot.length) == 0))
            return index;
    }
}

bool FoldedValueSet::insert(QByteArrayView value)
{
    foldCase(value, m_folding, m_scratch);
    const QByteArrayView folded(m_scratch.data(), qsizetype(m_scratch.size()));
    const std::uint32_t hash = hashOf(folded);
    std::size_t index = findSlot(folded, hash);
    if (m_slots[index].length != kEmpty)
        return false;
    if ((m_count + 1) * 4 > m_slots.size() * 3) {   // keep the table at most three quarters full
        grow();
        index = findSlot(folded, hash);
    }
    m_slots[index] = Slot{m_arena.size(), hash, std::uint32_t(m_scratch.size())};
    m_arena.insert(m_arena.end(), m_scratch.begin(), m_scratch.end());
    ++m_count;
    return true;
}

bool FoldedValueSet::contains(QByteArrayView value) const
{
    foldCase(value, m_folding, m_scratch);
    const QByteArrayView folded(m_scratch.data(), qsizetype(m_scratch.size()));
    return m_slots[findSlot(folded, hashOf(folded))].length != kEmpty;
}

void FoldedValueSet::grow()
{
    std::vector<Slot> old = std::move(m_slots);
    m_slots.assign(old.size() * 2, Slot{});
    const std::size_t mask = m_slots.size() - 1;
    for (const Slot& slot : old) {
        if (slot.length == kEmpty)
            continue;
        std::size_t index = slot.hash & mask;
        while (m_slots[index].length != kEmpty)
            index = (index + 1) & mask;
        m_slots[index] = slot;
    }
}
