// Collations of index keys by language id: the registry of the 48 language-driver names. No weight tables are
// held, so every collation compares by bytes; keys are compared only by the index layer, which reading
// tables never needs.
#pragma once

#include <QByteArray>
#include <QByteArrayView>

#include <optional>

namespace collation {

enum class Order { Less = 1, Equal = 2, Greater = 3 };

struct Collation {
    int languageId = 0;
    QByteArray name;   // at most 8 characters; empty for a slot nobody filled
};

// The collation of an id; nullopt for ids outside 0..255. Unfilled slots compare by bytes with no name.
std::optional<Collation> collationOf(int languageId);
// Unsigned bytes pair by pair; the shorter string is smaller when all compared bytes are equal.
Order compare(const Collation& collation, QByteArrayView left, QByteArrayView right);

}  // namespace collation
