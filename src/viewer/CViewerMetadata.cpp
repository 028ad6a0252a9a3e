// The viewer's metadata requests: the strip under the time scale, its tooltip and settings, the
// samples the driver posts as play time passes them, and the map view they feed.
#include "viewer/CViewer.h"

#include "driver/MetadataSampleEvent.h"
#include "driver/MetadataStripScale.h"
#include "evidence/Device.h"
#include "logging/HandlerGuard.h"
#include "logging/Logger.h"
#include "map/COSMCtrl.h"
#include "metadata/CTimelineMapViewDlg.h"
#include "metadata/CTimelineMetadataPlayback.h"
#include "metadata/CTimelineMetadataSettingsDlg.h"
#include "metadata/CVehicleInfo.h"
#include "metadata/CVehicleInfoCollector.h"
#include "timeline/CTimeline.h"
#include "timeline/CTimelineTrackBar.h"
#include "viewer/LoggedFacadeCall.h"
#include "viewer/IViewerHost.h"

#include <QCursor>
#include <algorithm>
#include <iterator>

CTimelineMetadataPlayback* CViewer::MetadataStrip() const
{
    return host_ != nullptr ? host_->MetadataStrip() : nullptr;
}

// A file's first camera opened: the device knows where to post its samples; with a metadata track
// the strip is bound, the inputs read and the time scale's window played.
void CViewer::MetadataFileOpened(Video* first)
{
    if (Device* device = first->GetCamera()->GetDevice()) device->SetNotifyWindow(this);
    if (first->hasMetadata == 0) return;
    if (CTimelineMetadataPlayback* strip = MetadataStrip()) strip->SetEnabledFlag(true);
    LoggedFacadeCall([&] {
        const std::unique_ptr<MetadataConfigList> config = facade_.GetMetadataConfig(first);
        if (config) metadataConfig_ = *config;
    });
    if (CTimelineTrackBar* bar = timeline_->TrackBar()) {
        windowStart_ = bar->TimeAtLeftEdge();
        windowEnd_ = bar->TimeAtRightEdge();
    }
    PlayMetadata();
    if (mapDlg_) mapDlg_->SetDeviceName(first->GetCamera()->GetDevice()->GetName());
    if (FalFacade::MetadataMapOption() && !mapOpenedOnce_) {
        mapOpenedOnce_ = true;
        OnShowMap();
    }
}

// The files are let go: the renderer, the track and the strip's binding go with them.
void CViewer::MetadataFilesClosed()
{
    if (Video* first = FirstOpenCamera(); first != nullptr && first->hasMetadata != 0) {
        LoggedFacadeCall([&] { facade_.DisposeMetadataRenderer(first); });
    }
    metadataConfig_.reset();
    if (settingsDlg_) settingsDlg_->reject();
    if (CTimelineMetadataPlayback* strip = MetadataStrip()) {
        strip->SetEnabledFlag(false);
        strip->StripPicture()->fill(Qt::black);
        strip->update();
    }
    if (mapDlg_) mapDlg_->ClearTrack();
    if (host_ && host_->VehicleInfoPane()) host_->VehicleInfoPane()->Collector()->Clear();
    mapOpenedOnce_ = false;
}

// The entries marked for display, played between the window's edges.
void CViewer::PlayMetadata()
{
    if (!MetadataShown()) return;
    MetadataConfigList shown;
    std::copy_if(metadataConfig_->begin(), metadataConfig_->end(), std::back_inserter(shown),
                 [](const MetadataConfigEntry& e) { return e.display; });
    LoggedFacadeCall([&] { facade_.MetadataPlay(FirstOpenCamera(), shown, windowStart_, windowEnd_); });
    RenderMetadata();
}

void CViewer::RenderMetadata()
{
    CTimelineMetadataPlayback* strip = MetadataStrip();
    if (strip == nullptr || !MetadataShown()) return;
    LoggedFacadeCall([&] {
        facade_.RenderMetadataFrame(FirstOpenCamera(), strip->StripPicture(), windowStart_, windowEnd_,
                                    currentPosition_);
    });
    strip->update();
}

// The time under the pointer on the strip, read across the strip with the window the strip draws.
std::optional<qint64> CViewer::StripTimeUnderPointer() const
{
    CTimelineMetadataPlayback* strip = MetadataStrip();
    if (strip == nullptr) return std::nullopt;
    const QPoint p = strip->mapFromGlobal(QCursor::pos());
    if (!strip->rect().contains(p)) return std::nullopt;
    return MetadataStripScale(windowStart_, windowEnd_, strip->width()).TimeAt(p.x());
}

void CViewer::OnMetadataHover(QObject* tooltipWindow, QPoint point)
{
    CTimelineMetadataPlayback* strip = MetadataStrip();
    if (strip == nullptr) return;
    if (tooltipWindow == nullptr || FirstOpenCamera() == nullptr) {
        strip->HideTooltip();
        return;
    }
    const std::optional<qint64> time =
        MetadataStripScale(windowStart_, windowEnd_, strip->width()).TimeAt(point.x());
    bool shown = false;
    if (time) {
        shown = facade_.RenderMetadataTooltip(FirstOpenCamera(), strip->TooltipPicture(), point.x(), point.y(), *time);
    }
    if (shown) {
        strip->ShowTooltipAt(point);
    } else {
        strip->HideTooltip();
    }
}

void CViewer::OnMetadataPaneSized()
{
    const Video* first = FirstOpenCamera();
    if (first == nullptr || first->hasMetadata == 0) return;
    if (CTimelineTrackBar* bar = timeline_->TrackBar()) bar->RaiseVisibleRange();
}

void CViewer::OnShowMetadataChart(bool show)
{
    if (host_) host_->ShowMetadataPane(show);
}

void CViewer::OnShowMap()
{
    Logger::GetInstance()->Info(QStringLiteral("Show Map / Metadata View requested"));
    if (!mapDlg_) {
        mapDlg_ = std::make_unique<CTimelineMapViewDlg>(this);
        // A double click on the map seeks through the main view's channel, as the panes do.
        mapDlg_->Map()->SetViewEventsSource([this]() -> IPlomeraViewEvents* { return host_ ? host_->ViewEvents() : nullptr; });
    }
    if (const Video* first = FirstOpenCamera()) mapDlg_->SetDeviceName(first->GetCamera()->GetDevice()->GetName());
    mapDlg_->show();
    mapDlg_->raise();
}

// One sample the play time passed: vehicle samples go to the map and the vehicle information.
void CViewer::OnMetadataSample(const MetadataSample& sample)
{
    if (sample.kind != 2) return;
    if (mapDlg_) mapDlg_->UpdateVehicleInfo(sample);
    if (host_ && host_->VehicleInfoPane()) host_->VehicleInfoPane()->Collector()->ShowSample(sample);
}

bool CViewer::MetadataEvent(QEvent* e)
{
    const auto* notice = MetadataSampleEvent::From(e);
    if (notice == nullptr) return false;
    HandlerGuard::Run("MetadataNotice", [&] { OnMetadataSample(notice->Sample()); });
    return true;
}

CTimelineMetadataSettingsDlg* CViewer::MetadataSettingsDialog() const
{
    return settingsDlg_.data();
}

// Request 1191: the inputs and colours of the strip, edited in the settings dialog. Without the
// inputs of an open file, or while the dialog is open, nothing happens.
void CViewer::OnDisplayMetadataSettings()
{
    if (!metadataConfig_ || settingsDlg_) return;
    auto* dlg = new CTimelineMetadataSettingsDlg(this, *metadataConfig_, this);
    dlg->setAttribute(Qt::WA_DeleteOnClose);
    dlg->setWindowModality(Qt::ApplicationModal);
    settingsDlg_ = dlg;
    dlg->show();
}

// Request 1188: the dialog's edited list; the strip plays its selected inputs again.
void CViewer::OnMetadataSettingsChanged(void* list)
{
    if (list == nullptr || !metadataConfig_) return;
    metadataConfig_ = *static_cast<const MetadataConfigList*>(list);
    PlayMetadata();
}
