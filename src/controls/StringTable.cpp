#include "controls/StringTable.h"

#include <algorithm>
#include <iterator>

namespace {

struct Entry {
    int id;
    const char* text;
};

// Sorted by number. Add new texts in their place.
constexpr Entry kStrings[] = {
    {121, "Add Bookmark"},
    {314, "Scroll Right"},
    {529, "Scroll Left"},
};

} // namespace

QString StringTable::Load(int id)
{
    const auto* it = std::lower_bound(std::begin(kStrings), std::end(kStrings), id,
                                      [](const Entry& e, int n) { return e.id < n; });
    if (it == std::end(kStrings) || it->id != id) {
        return {};
    }
    return QString::fromUtf8(it->text);
}
