#include "viewer/VideoPlayerMenuTable.h"

#include "events/ViewerMessages.h"
#include "evidence/Device.h"
#include "evidence/WideText.h"
#include "viewer/VideoPlayerIds.h"

#include <algorithm>
#include <iterator>

namespace {

using namespace VideoPlayerIds;

struct Command {
    int id;
    const char* text;
    const char* viewName;  // sent with 1209; null for the others
};

constexpr Command kCommands[] = {
    {EnableAudio, "Enable Audio", nullptr},
    {DisableAudio, "Disable Audio", nullptr},
    {Watermark, "Watermark", nullptr},
    {ViewPtz, "Ptz", "PTZ"},
    {ViewPanoramic180, "Panoramic 180", "Panoramic 180"},
    {ViewPanoramic360, "Panoramic 360", "Panoramic 360"},
    {View360PanoramaPtz, "360 Panorama+PTZ", "Panorama360+Ptz"},
    {View360Panorama3Ptz, "360 Panorama+3PTZ", "Panorama360+3Ptz"},
    {View360Panorama6Ptz, "360 Panorama+6PTZ", "Panorama360+6Ptz"},
    {View360Panorama8Ptz, "360 Panorama+8PTZ", "Panorama360+8Ptz"},
    {View2Ptz, "2PTZ", "Panorama2Ptz"},
    {View4Ptz, "4PTZ", "Panorama4Ptz"},
    {View360Degree3Ptz, "360 Degree+3 PTZ", "Fishye3Ptz"},
    {View360Degree8Ptz, "360 Degree+8 PTZ", "Fishye8Ptz"},
    {ViewPanorama3Ptz, "Panorama+3 PTZ", "Panorama+3Ptz"},
    {ViewPanorama8Ptz, "Panorama+8 PTZ", "Panorama+8Ptz"},
    {ViewPanorama, "Panorama View", "Panorama"},
    {View180Panorama, "180 Panorama View", "Panorama180"},
    {View360Panorama, "360 Panorama View", "Panorama360"},
};

const Command* Find(int id)
{
    const auto it = std::find_if(std::begin(kCommands), std::end(kCommands), [id](const Command& c) { return c.id == id; });
    return it == std::end(kCommands) ? nullptr : &*it;
}

VideoPlayerMenuTable::Item ItemOf(int id, int picture = 0)
{
    return {id, QString::fromLatin1(Find(id)->text), picture};
}

// The three single views every sub-menu starts with; a full-dewarp fisheye keeps only these.
constexpr int kSingleViews[] = {ViewPtz, ViewPanoramic180, ViewPanoramic360};
constexpr int kCeilingViews[] = {View180Panorama, View360Panorama, View360PanoramaPtz, View360Panorama3Ptz,
                                 View360Panorama6Ptz, View360Panorama8Ptz, View2Ptz, View4Ptz,
                                 View360Degree3Ptz, View360Degree8Ptz};
constexpr int kWallViews[] = {ViewPanorama, ViewPanorama3Ptz, ViewPanorama8Ptz, View4Ptz, View360Degree3Ptz,
                              View360Degree8Ptz};

} // namespace

bool VideoPlayerMenuTable::Allowed(const Video& video)
{
    const Camera* camera = video.GetCamera();
    const Device* device = camera != nullptr ? camera->GetDevice() : nullptr;
    if (device != nullptr && device->GetCapability(NoMenuCapability) != 0) {
        return false;
    }
    return video.playbackState == PlaybackState::Playing;
}

VideoPlayerMenuTable VideoPlayerMenuTable::For(const Video& video, bool dewarpTile)
{
    const VideoFile* file = video.GetVideoFile();
    return For(video.audioOn != 0, file != nullptr ? file->mountType : QString(),
               file != nullptr && file->fisheyeFullDewarp, file != nullptr && file->fisheyeSecondKind, dewarpTile);
}

VideoPlayerMenuTable VideoPlayerMenuTable::For(bool audioOn, const QString& mountType, bool fullDewarp,
                                               bool secondKind, bool dewarpTile)
{
    VideoPlayerMenuTable menu;
    // The tag's text is padded with NULs: compared up to the first.
    const QString mount = WideText::UpToNul(mountType);
    const bool desktop = mount == QLatin1String("Desktop");
    const bool wall = mount == QLatin1String("Wall");
    if (desktop) {
        menu.resource_ = audioOn ? MenuDesktopAudioOn : MenuDesktopAudioOff;
    } else if (wall) {
        menu.resource_ = audioOn ? MenuWallAudioOn : MenuWallAudioOff;
    } else {
        menu.resource_ = audioOn ? MenuCeilingAudioOn : MenuCeilingAudioOff;
    }
    // The first item says what a click does; its picture shows the sound as it is now.
    menu.items_.push_back(audioOn ? ItemOf(DisableAudio, AudioOnPicture) : ItemOf(EnableAudio, AudioOffPicture));
    menu.items_.push_back(ItemOf(Watermark));

    if (dewarpTile || (!fullDewarp && !secondKind)) {
        return menu;
    }
    for (int id : kSingleViews) {
        menu.dewarp_.push_back(ItemOf(id));
    }
    if (fullDewarp) {
        return menu;
    }
    menu.dewarp_.push_back(Item{});
    if (wall) {
        for (int id : kWallViews) {
            menu.dewarp_.push_back(ItemOf(id));
        }
    } else {
        const bool ceilingMenu = menu.resource_ == MenuCeilingAudioOn || menu.resource_ == MenuCeilingAudioOff;
        for (int id : kCeilingViews) {
            if (id != View2Ptz || ceilingMenu) {
                menu.dewarp_.push_back(ItemOf(id));
            }
        }
    }
    return menu;
}

VideoPlayerMenuTable::Action VideoPlayerMenuTable::ActionOf(int command)
{
    const Command* c = Find(command);
    if (c == nullptr) {
        return {};
    }
    switch (command) {
    case EnableAudio: return {ViewerMessages::EnableCameraAudio, QString(), 1};
    case DisableAudio: return {ViewerMessages::DisableCameraAudio, QString(), 0};
    case Watermark: return {ViewerMessages::ShowWatermark, QString(), -1};
    default: return {ViewerMessages::OpenDewarpView, QString::fromLatin1(c->viewName), -1};
    }
}
