#include "evidence/FileTagJson.h"

#include "evidence/FileTag.h"
#include "evidence/WideText.h"

#include <QJsonArray>

namespace {

QString Text(const QString& s)
{
    return WideText::UpToNul(s);
}

} // namespace

QJsonObject FileTagJson::Of(const FileTag& tag, bool loaded)
{
    QJsonObject o;
    o[QStringLiteral("path")] = tag.FilePath();
    o[QStringLiteral("version")] = tag.Version();
    o[QStringLiteral("loaded")] = loaded;
    o[QStringLiteral("deviceType")] = tag.DeviceType();
    o[QStringLiteral("deviceName")] = Text(tag.DeviceName());
    o[QStringLiteral("modelName")] = Text(tag.ModelName());
    QJsonArray names;
    for (const QString& name : tag.CameraNames()) {
        names.append(Text(name));
    }
    o[QStringLiteral("cameraNames")] = names;
    o[QStringLiteral("channelMask")] = static_cast<qint64>(tag.ChannelMask());
    QJsonArray channels;
    for (int c : tag.Channels()) {
        channels.append(c);
    }
    o[QStringLiteral("channels")] = channels;
    o[QStringLiteral("startTime")] = tag.StartTime();
    o[QStringLiteral("endTime")] = tag.EndTime();
    o[QStringLiteral("afterEnd")] = tag.AfterEnd();
    o[QStringLiteral("number")] = static_cast<double>(tag.Number());
    o[QStringLiteral("encrypted")] = tag.Encrypted();
    o[QStringLiteral("flagB")] = tag.HasBookmarkSection() ? tag.FlagBWritten() : tag.FlagB();
    o[QStringLiteral("fisheyeKind")] = tag.FisheyeKind();
    o[QStringLiteral("leadingText")] = Text(tag.LeadingText());
    o[QStringLiteral("mountType")] = Text(tag.MountType());
    o[QStringLiteral("viewMode")] = Text(tag.ViewMode());
    o[QStringLiteral("viewFlag")] = tag.ViewFlag();
    o[QStringLiteral("value1")] = tag.Value1();
    o[QStringLiteral("value2")] = tag.Value2();
    o[QStringLiteral("tagStart")] = tag.StartOfTagPosition();
    o[QStringLiteral("loadTimeTagStart")] = tag.LoadTimeTagStart();
    QJsonArray sections;
    for (int slot = 0; slot < FileTag::kSectionSlots; ++slot) {
        const auto& s = tag.Sections()[slot];
        if (s.id != -1) {
            sections.append(QJsonObject{{QStringLiteral("slot"), slot},
                                        {QStringLiteral("id"), s.id},
                                        {QStringLiteral("position"), s.position}});
        }
    }
    o[QStringLiteral("sections")] = sections;
    QJsonArray bookmarks;
    for (const auto& b : tag.Bookmarks()) {
        bookmarks.append(QJsonObject{{QStringLiteral("name"), b->GetName()},
                                     {QStringLiteral("time"), b->GetTime()},
                                     {QStringLiteral("notes"), b->GetNotes()}});
    }
    o[QStringLiteral("bookmarks")] = bookmarks;
    return o;
}
