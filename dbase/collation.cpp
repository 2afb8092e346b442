// The collation registry: see collation.h.

#include "dbase/collation.h"

#include <algorithm>
#include <cstring>

namespace collation {
namespace {

struct Slot {
    int id;
    const char* name;
};

constexpr Slot Registry[] = {
    {89, "DBWINES0"}, {87, "DBWINUS0"}, {88, "DBWINWE0"}, {15, "DB437DE0"}, {24, "DB437ES1"},
    {11, "DB437FI0"}, {13, "DB437FR0"}, {134, "db437gr0"}, {17, "DB437IT0"}, {9, "DB437NL0"},
    {21, "DB437SV0"}, {25, "DB437UK0"}, {27, "DB437US0"}, {29, "DB850CF0"}, {16, "DB850DE0"},
    {20, "DB850ES0"}, {14, "DB850FR0"}, {18, "DB850IT1"}, {10, "DB850NL0"}, {37, "DB850PT0"},
    {22, "DB850SV1"}, {26, "DB850UK0"}, {55, "DB850US0"}, {31, "DB852CZ0"}, {34, "db852hdc"},
    {35, "db852po0"}, {135, "db852sl0"}, {136, "DB857TR0"}, {36, "DB860PT0"}, {28, "DB863CF1"},
    {8, "DB865DA0"}, {23, "DB865NO0"}, {38, "db866ru0"}, {32, "DB867CZ0"}, {80, "db874th0"},
    {19, "DB932JP0"}, {86, "DB932JP1"}, {77, "DB936CN0"}, {78, "DB949KO0"}, {79, "DB950TW0"},
    {133, "dbHebrew"}, {104, "FOXCZ895"}, {155, "FOXCZWIN"}, {94, "FOXDE437"}, {97, "FOXDEWIN"},
    {95, "FOXNO437"}, {96, "FOXNO850"}, {98, "FOXNOWIN"},
};
static_assert(std::size(Registry) == 48);

}  // namespace

std::optional<Collation> collationOf(int languageId)
{
    if (languageId < 0 || languageId > 255)
        return std::nullopt;
    for (const Slot& slot : Registry)
        if (slot.id == languageId)
            return Collation{languageId, slot.name};
    return Collation{languageId, {}};
}

Order compare(const Collation&, QByteArrayView left, QByteArrayView right)
{
    const qsizetype shorter = std::min(left.size(), right.size());
    const int byBytes = shorter == 0 ? 0 : std::memcmp(left.data(), right.data(), size_t(shorter));
    if (byBytes != 0)
        return byBytes < 0 ? Order::Less : Order::Greater;
    if (left.size() == right.size())
        return Order::Equal;
    return left.size() < right.size() ? Order::Less : Order::Greater;
}

}  // namespace collation
