#include "metadata/MetadataSettingsForm.h"

MetadataSettingsForm::MetadataSettingsForm(MetadataConfigList entries)
    : entries_(std::move(entries))
{
    checked_.reserve(entries_.size());
    for (std::size_t i = 0; i < entries_.size(); ++i) {
        checked_.push_back(entries_[i].display);
        Group group;
        if (GroupOf(entries_[i].id, &group)) rows_[static_cast<std::size_t>(group)].push_back(i);
    }
}

bool MetadataSettingsForm::GroupOf(int32_t type, Group* group)
{
    if (type >= 501 && type <= 512) {
        *group = Group::Digital;
    } else if ((type >= 2 && type <= 7) || type == 10 || type == 11) {
        *group = Group::Analog;
    } else if (type == 8 || type == 9) {
        *group = Group::J1939;
    } else if (type >= 513 && type <= 516) {
        *group = Group::Accelerometer;
    } else {
        return false;
    }
    return true;
}

namespace {

// Each list's group box: caption, box id, list id, in the order of Group.
struct GroupControls {
    const char* title;
    int boxId;
    int listId;
};
constexpr GroupControls kGroups[MetadataSettingsForm::kGroupCount] = {
    {"Digital Inputs", 4003, 4000},
    {"Analog Inputs", 7087, 4001},
    {"J1939 Inputs", 7085, 4002},
    {"Accelerometer Inputs", 7086, 4004},
};

} // namespace

QString MetadataSettingsForm::GroupTitle(Group group)
{
    return QString::fromLatin1(kGroups[static_cast<std::size_t>(group)].title);
}

int MetadataSettingsForm::GroupBoxId(Group group)
{
    return kGroups[static_cast<std::size_t>(group)].boxId;
}

int MetadataSettingsForm::ListId(Group group)
{
    return kGroups[static_cast<std::size_t>(group)].listId;
}

void MetadataSettingsForm::SetColour(std::size_t entry, uint32_t rgb)
{
    entries_.at(entry).colour = 0xFF000000u | (rgb & 0x00FFFFFFu);
}

MetadataSettingsForm::Verdict MetadataSettingsForm::Validate() const
{
    int inputs = 0;
    int digital = 0;
    for (std::size_t g = 0; g < kGroupCount; ++g) {
        for (std::size_t entry : rows_[g]) {
            if (!checked_[entry]) continue;
            if (static_cast<Group>(g) == Group::Digital) {
                ++digital;
            } else {
                ++inputs;
            }
        }
    }
    if (inputs + digital == 0) return Verdict::NoneSelected;
    if (inputs > kMaxInputs) return Verdict::TooManyInputs;
    return Verdict::Accepted;
}

QString MetadataSettingsForm::Message(Verdict verdict)
{
    switch (verdict) {
    case Verdict::Accepted: return {};
    case Verdict::NoneSelected: return QStringLiteral("Select at least one Setting.");
    case Verdict::TooManyInputs:
        return QStringLiteral("Maximum of 4 Inputs can be selected in Analog/J1939/Accelerometer");
    }
    return {};
}

MetadataConfigList MetadataSettingsForm::Accepted() const
{
    MetadataConfigList list = entries_;
    for (std::size_t g = 0; g < kGroupCount; ++g) {
        for (std::size_t entry : rows_[g]) list[entry].display = checked_[entry];
    }
    return list;
}
