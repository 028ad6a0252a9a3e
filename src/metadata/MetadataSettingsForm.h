#pragma once

#include "driver/MetadataTypes.h"

#include <QString>
#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

// The working state of the metadata settings dialog, without a window: the inputs sorted into
// their four lists by type, each row's tick and colour, and the rule OK applies. It edits its own
// copy of the list, so Cancel leaves the viewer's entries (flags and colours) as they were.
class MetadataSettingsForm {
public:
    // The dialog's four lists, in the order their group boxes stand.
    enum class Group { Digital, Analog, J1939, Accelerometer };
    static constexpr std::size_t kGroupCount = 4;
    // At most this many analog, J1939 and accelerometer inputs are drawn at once.
    static constexpr int kMaxInputs = 4;

    enum class Verdict { Accepted, NoneSelected, TooManyInputs };

    explicit MetadataSettingsForm(MetadataConfigList entries);

    // The list an input type belongs in, false for types the dialog does not show (they keep
    // their state).
    static bool GroupOf(int32_t type, Group* group);
    // The group box's caption and control ids (box, list).
    static QString GroupTitle(Group group);
    static int GroupBoxId(Group group);
    static int ListId(Group group);

    // The entries of a group's list, as indices into Entries(), in list order.
    const std::vector<std::size_t>& Rows(Group group) const { return rows_[static_cast<std::size_t>(group)]; }
    const MetadataConfigList& Entries() const { return entries_; }

    bool Checked(std::size_t entry) const { return checked_.at(entry); }
    void SetChecked(std::size_t entry, bool checked) { checked_.at(entry) = checked; }
    // The chosen colour (0xRRGGBB) with full opacity.
    void SetColour(std::size_t entry, uint32_t rgb);

    Verdict Validate() const;
    // The message box text for a refusal, empty for Accepted.
    static QString Message(Verdict verdict);
    static QString MessageCaption() { return QStringLiteral("Metadata Settings"); }

    // The edited list: every row's tick written into its entry's selected flag.
    MetadataConfigList Accepted() const;

private:
    MetadataConfigList entries_;
    std::vector<bool> checked_;
    std::array<std::vector<std::size_t>, kGroupCount> rows_;
};
