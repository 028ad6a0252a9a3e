// The local-file driver's fisheye dewarp operations: single views, combined layouts, the PTZ hit
// test and drag, releasing views. All on the user-interface thread, like the rest of the driver.
#include "driver/DewarpLayouts.h"
#include "driver/KestraneDevice.h"
#include "evidence/FalException.h"
#include "evidence/Video.h"
#include "evidence/VideoFile.h"
#include "evidence/WideText.h"

namespace {

constexpr char kEnableFailed[] = "Cannot Enable Dewarp, VDL_DewarpEnable failed";
constexpr char kOpenViewFailed[] = "Cannot Open Dewarp View, VDL_DewarpOpenView failed";
constexpr char kSetWindowFailed[] = "Cannot Set Dewarp Window, VDL_DewarpSetWindow failed";
constexpr char kReleaseFailed[] = "Cannot Free local port, VDL_ReleasePort failed";
constexpr char kDisableFailed[] = "Cannot Close local port, VDL_DewarpDisable failed";

int32_t ModeOf(const VDL_DewarpParams& p) { return p.placementMode & ~0xFF; }

// The fisheye camera's file (mount type), else the view's own.
const VideoFile* MountFile(Video* video)
{
    if (video->rootCamera && video->rootCamera->GetVideoFile())
        return video->rootCamera->GetVideoFile();
    return video->GetVideoFile();
}

// The view's drag points: its own file's, else the fisheye camera's.
const VideoFile* DragFile(Video* video)
{
    return video->GetVideoFile() ? video->GetVideoFile() : MountFile(video);
}

template <typename Body>
void GuardDewarp(Body body)
{
    try {
        body();
    } catch (const FalException& e) {
        throw FalException(QStringLiteral("Error while Getting DewarpPlay : %1").arg(e.Message()));
    }
}

} // namespace

int32_t KestraneDevice::DewarpPortOf(Video* video) const
{
    if (video == nullptr)
        throw FalException(QStringLiteral("The camera was not opened by this driver"));
    return Port(video->rootCamera != nullptr ? video->rootCamera : video);
}

bool KestraneDevice::OpenDewarpView(Video* video, int32_t port, int32_t placement, int32_t mode,
                                    const VDL_DewarpParams* params)
{
    int32_t sub = 0;
    if (!Vdl().DewarpOpenView(port, &sub, placement, mode))
        return false;
    video->dewarpPort = sub;
    dewarpViews_[port].insert(sub);
    if (params != nullptr && !Vdl().DewarpSetParams(port, sub, params))
        return true; // the view stays open without a window
    Vdl().DewarpSetWindow(port, sub, video->renderWindow);
    return true;
}

void KestraneDevice::DewarpPlay(Video* video, const QString& viewMode, int32_t value1, int32_t value2)
{
    GuardDewarp([&] {
        const int32_t port = DewarpPortOf(video);
        Sdk(Vdl().DewarpEnable(port), port, kEnableFailed);
        QString text = WideText::UpToNul(viewMode); // the tag's text is padded with NULs
        while (!text.isEmpty() && text.back().isSpace())
            text.chop(1);
        const VideoFile* file = MountFile(video);
        // A mount text other than the three: the ceiling's placement, as the menus offer.
        const int32_t placement = DewarpLayouts::PlacementOf(file ? file->mountType : QString());
        const bool is180 = text == QLatin1String("Panoramic 180") || text == QLatin1String("Panaromic 180");
        const bool is360 = text == QLatin1String("Panoramic 360") || text == QLatin1String("Panaromic 360");
        VDL_DewarpParams block = {};
        if (text == QLatin1String("PTZ")) {
            int32_t sub = 0;
            // Raised: a view that did not open would leave a black tile with nothing logged.
            Sdk(Vdl().DewarpOpenView(port, &sub, placement, DewarpLayouts::kPtz), port, kOpenViewFailed);
            video->dewarpPort = sub;
            dewarpViews_[port].insert(sub);
            if (value1 != -1 && value2 != -1) {
                Vdl().DewarpGetParams(port, sub, &block);
                block.updateKind = VDL_DEWARP_UPDATE_POSITION;
                block.x = 0.5f;
                block.y = 0.5f;
            }
            Vdl().DewarpSetParams(port, sub, &block);
        } else if (is180 || is360) {
            int32_t sub = 0;
            Sdk(Vdl().DewarpOpenView(port, &sub, placement, is180 ? DewarpLayouts::kPanorama180 : DewarpLayouts::kPanorama360),
                port, kOpenViewFailed);
            video->dewarpPort = sub;
            dewarpViews_[port].insert(sub);
            block.updateKind = VDL_DEWARP_UPDATE_OFFSET;
            block.offset = 0.0f;
            Vdl().DewarpSetParams(port, sub, &block);
        }
        Sdk(Vdl().DewarpSetWindow(port, video->dewarpPort, video->renderWindow), port, kSetWindowFailed);
    });
}

void KestraneDevice::DewarpLayoutPlay(const VideoList& videos)
{
    GuardDewarp([&] {
        if (videos.empty() || videos.front() == nullptr)
            return;
        Video* first = videos.front();
        const int32_t port = DewarpPortOf(first);
        Sdk(Vdl().DewarpEnable(port), port, kEnableFailed);
        const VideoFile* file = MountFile(first);
        // A mount text other than the three: the ceiling's layouts, so the new tiles are not left black.
        const int32_t placement = DewarpLayouts::PlacementOf(file ? file->mountType : QString());
        const DewarpLayouts::Plan plan = DewarpLayouts::For(placement, first->dewarpLayoutMode);
        if (plan.views.empty())
            return;
        for (size_t i = 0; i < plan.views.size() && i < videos.size(); ++i) {
            const DewarpLayouts::View& v = plan.views[i];
            if (videos[i] == nullptr)
                continue;
            if (v.updateKind == 0) {
                OpenDewarpView(videos[i], port, v.placement, v.mode, nullptr);
                continue;
            }
            VDL_DewarpParams block = {};
            block.updateKind = v.updateKind;
            block.x = v.x;
            block.y = v.y;
            block.zoom = v.zoom;
            block.offset = v.offset;
            OpenDewarpView(videos[i], port, v.placement, v.mode, &block);
        }
        if (plan.outlineMode != DewarpLayouts::kNoOutline && first->dewarpPort != 0)
            Vdl().DewarpSetOutlineMode(port, first->dewarpPort, plan.outlineMode);
    });
}

void KestraneDevice::DewarpShowView(Video* view, const DewarpLayouts::View& setting, const QSize& size)
{
    GuardDewarp([&] {
        const int32_t port = DewarpPortOf(view);
        Sdk(Vdl().DewarpEnable(port), port, kEnableFailed);
        const VideoFile* file = MountFile(view);
        const int32_t placement = DewarpLayouts::PlacementOf(file ? file->mountType : QString());
        int32_t sub = 0;
        Sdk(Vdl().DewarpOpenView(port, &sub, placement, setting.mode), port, kOpenViewFailed);
        view->dewarpPort = sub;
        dewarpViews_[port].insert(sub);
        try {
            if (setting.updateKind != 0) {
                VDL_DewarpParams block = {};
                Sdk(Vdl().DewarpGetParams(port, sub, &block), port, "Cannot Get Dewarp Parameters, VDL_DewarpGetParams failed");
                block.updateKind = setting.updateKind;
                block.x = setting.x;
                block.y = setting.y;
                block.zoom = setting.zoom;
                block.offset = setting.offset;
                Sdk(Vdl().DewarpSetParams(port, sub, &block), port, "Cannot Set Dewarp Parameters, VDL_DewarpSetParams failed");
            }
            if (!size.isEmpty()) {
                Sdk(Vdl().SetSurfaceView(VDL_DEWARP_VIEW(port, sub), 0, 0, 0, 0, size.width(), size.height()), port,
                    "Cannot SetRenderView, VDL_SetSurfaceView failed");
            }
            Sdk(Vdl().DewarpSetWindow(port, sub, view->renderWindow), port, kSetWindowFailed);
        } catch (const FalException&) {
            // A half-made view is not left open on the port.
            Vdl().DewarpCloseView(port, sub);
            dewarpViews_[port].erase(sub);
            view->dewarpPort = 0;
            throw;
        }
    });
}

void KestraneDevice::DewarpHitTest(Video* video)
{
    if (video->playbackState == PlaybackState::Closed)
        return;
    const int32_t port = DewarpPortOf(video);
    Sdk(Vdl().DewarpEnable(port), port, kEnableFailed);
    VDL_DewarpParams block = {};
    Vdl().DewarpGetParams(port, video->dewarpPort, &block);
    if (ModeOf(block) == DewarpLayouts::kPtz) {
        currentPtzPort_ = 0;
        return;
    }
    const VideoFile* file = DragFile(video);
    currentPtzPort_ = Vdl().DewarpViewAt(port, video->dewarpPort, file ? file->dragX0 : 0.0f, file ? file->dragY0 : 0.0f);
}

void KestraneDevice::DewarpDrag(Video* video)
{
    if (video->playbackState == PlaybackState::Closed)
        return;
    const int32_t port = DewarpPortOf(video);
    Sdk(Vdl().DewarpEnable(port), port, kEnableFailed);
    const VideoFile* file = DragFile(video);
    const float x0 = file ? file->dragX0 : 0.0f, y0 = file ? file->dragY0 : 0.0f;
    const float x1 = file ? file->dragX1 : 0.0f, y1 = file ? file->dragY1 : 0.0f;
    if (currentPtzPort_ != 0) {
        VDL_DewarpParams block = {};
        Vdl().DewarpGetParams(port, currentPtzPort_, &block);
        if (ModeOf(block) != DewarpLayouts::kFisheye) {
            float x = 0.0f, y = 0.0f;
            if (Vdl().DewarpMapDrag(port, currentPtzPort_, video->dewarpPort, block.x, block.y, x0, y0, x1, y1, &x, &y)) {
                block.updateKind = VDL_DEWARP_UPDATE_POSITION;
                block.x = x;
                block.y = y;
                Vdl().DewarpSetParams(port, currentPtzPort_, &block);
            }
            return;
        }
    }
    DewarpPanoramaOrPtzDrag(video, port);
}

void KestraneDevice::DewarpPanoramaOrPtzDrag(Video* video, int32_t port)
{
    const VideoFile* file = DragFile(video);
    const float x0 = file ? file->dragX0 : 0.0f, y0 = file ? file->dragY0 : 0.0f;
    const float x1 = file ? file->dragX1 : 0.0f, y1 = file ? file->dragY1 : 0.0f;
    VDL_DewarpParams block = {};
    Vdl().DewarpGetParams(port, video->dewarpPort, &block);
    const int32_t mode = ModeOf(block);
    if (mode == DewarpLayouts::kPanorama180 || mode == DewarpLayouts::kPanorama360) {
        block.updateKind = VDL_DEWARP_UPDATE_OFFSET;
        block.offset += (x1 - x0) * 3.0f;
        Vdl().DewarpSetParams(port, video->dewarpPort, &block);
    } else if (mode == DewarpLayouts::kPtz) {
        float x = 0.0f, y = 0.0f;
        if (Vdl().DewarpMapDrag(port, video->dewarpPort, video->dewarpPort, block.x, block.y, x0, y0, x1, y1, &x, &y)) {
            block.updateKind = VDL_DEWARP_UPDATE_POSITION;
            block.x = x;
            block.y = y;
            Vdl().DewarpSetParams(port, video->dewarpPort, &block);
        }
    }
}

void KestraneDevice::ReleaseDewarpPort(Video* video)
{
    if (video->playbackState == PlaybackState::Closed)
        return;
    const int32_t port = DewarpPortOf(video);
    Sdk(Vdl().DewarpCloseView(port, video->dewarpPort), port, kReleaseFailed);
    dewarpViews_[port].erase(video->dewarpPort);
    if (currentPtzPort_ == video->dewarpPort)
        currentPtzPort_ = 0;
    video->dewarpPort = 0;
}

void KestraneDevice::DewarpClose(Video* video)
{
    if (video->playbackState == PlaybackState::Closed)
        return;
    const int32_t port = DewarpPortOf(video);
    // Only once no view of the port remains: closing one view tile must not freeze the others.
    auto views = dewarpViews_.find(port);
    if (views != dewarpViews_.end() && !views->second.empty())
        return;
    Sdk(Vdl().DewarpDisable(port), port, kDisableFailed);
    dewarpViews_.erase(port);
}
