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
    {142, "Metadata Player"},
    {143, "Hide ToolTip"},
    {144, "Show ToolTip"},
    {314, "Scroll Right"},
    {330, "Show Metadata"},
    // The layout modes' tooltips (modes 0, 8, 9, 10, then 1 to 7 and 11).
    {332, "1x1"},
    {340, "Custom 14x1"},
    {341, "4x4"},
    {342, "Custom 3x1"},
    {529, "Scroll Left"},
    {531, "Custom 2x1"},
    {532, "Custom 6x1"},
    {533, "2x2"},
    {534, "Custom 2x2"},
    {535, "Custom 12x1"},
    {536, "3x3"},
    {537, "Custom 3x2"},
    {538, "Custom 4x1"},
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
