// The viewer's audio requests: each camera's audio on and off, its volume, the all-audio button,
// the device's audio channels, and the volume pop-up under the caption.
#include "viewer/CViewer.h"

#include "evidence/Camera.h"
#include "logging/HandlerGuard.h"
#include "logging/Logger.h"
#include "navigator/CVideoFileSelector.h"
#include "viewer/CamerasVolumeDlg.h"
#include "viewer/CViewerCaption.h"
#include "viewer/IViewerHost.h"

#include <algorithm>

CamerasVolumeDlg* CViewer::VolumePopup() const
{
    return volumePopup_;
}

bool CViewer::HasAudio(Video* video)
{
    return video != nullptr && facade_.GetStreamInfo(video).hasAudio != 0;
}

// The caption's audio button shows whether any open camera's audio is on.
void CViewer::ShowAudioButton(Video* video)
{
    if (!HasAudio(video)) return;
    const bool anyOn = std::any_of(videos_.begin(), videos_.end(), [](const auto& v) { return v->audioOn != 0; });
    caption_->EnableAudioButton(true, anyOn ? ViewerCaptionState::kAudioOnPicture : ViewerCaptionState::kAudioOffPicture);
    caption_->EnableVolumeButton(true);
}

void CViewer::SwitchCameraAudio(Video* video, bool on)
{
    video->audioOn = on ? 1 : 0;
    if (host_ && host_->Navigator()) host_->Navigator()->UpdateCameraAudioOnOffStatus(video, on);
    facade_.SetAudio(video, on);
    // Sound-on resets the decoder's level: the camera's own volume goes back on.
    if (on) facade_.SetAudioVolume(video, volumes_.Volume(video));
}

void CViewer::OnEnableCameraAudio(Video* video)
{
    if (!video) return;
    SwitchCameraAudio(video, true);
    ShowAudioButton(video);
    Logger::GetInstance()->Info(QStringLiteral("Enabled Audio for Camera %1").arg(video->GetCamera()->GetChannel()));
}

void CViewer::OnDisableCameraAudio(Video* video)
{
    if (!video) return;
    SwitchCameraAudio(video, false);
    ShowAudioButton(video);
    Logger::GetInstance()->Info(QStringLiteral("Disabled Audio for Camera %1").arg(video->GetCamera()->GetChannel()));
}

void CViewer::OnSetAudioVolume(Video* video, int volume)
{
    if (!video) return;
    volume = std::clamp(volume, 0, CameraVolumes::kInitialVolume);
    volumes_.Set(video, volume);
    facade_.SetAudioVolume(video, volume);
    ShowAudioButton(video);
    Logger::GetInstance()->Info(
        QStringLiteral("Audio Volume (%1) Set for Camera %2").arg(volume).arg(video->GetCamera()->GetChannel()));
}

void CViewer::OnShowVideoPlayerVolumeBars(QRect anchor)
{
    Logger::GetInstance()->Info(QStringLiteral("Show VideoPlayers Volumebar requested"));
    if (volumePopup_) {
        if (volumePopup_->isVisible()) OnCloseVolumePopup();
        return;
    }
    HandlerGuard::Run(HandlerGuard::Text("ShowVideoPlayers VolumeBar is failed : %s"), [&] {
        Video* selected = SelectedCamera();
        if (!selected) return;
        volumePopup_ = new CamerasVolumeDlg(this, selected, volumes_.Volume(selected));
        volumePopup_->Open(QPoint(anchor.left(), anchor.bottom() + 1));
    });
}

void CViewer::OnCloseVolumePopup()
{
    if (!volumePopup_) return;
    volumePopup_->hide();
    // It may be inside its own timer's slot: destroyed once that returns.
    volumePopup_->deleteLater();
    volumePopup_ = nullptr;
}

void CViewer::OnEnableAllCamerasAudio(bool on)
{
    Video* selected = SelectedCamera();
    if (!HasAudio(selected)) return;
    SwitchCameraAudio(selected, on);
    caption_->EnableAudioButton(true, on ? ViewerCaptionState::kAudioOnPicture : ViewerCaptionState::kAudioOffPicture);
    caption_->EnableVolumeButton(true);
}

void CViewer::OnUpdateDeviceLevelAudio(bool channel1, bool channel2)
{
    Video* selected = SelectedCamera();
    if (!selected) return;
    facade_.UpdateDeviceLevelAudio(selected, channel1 || channel2);
    if (HasAudio(selected)) return;
    for (Video* v : SelectedCameras()) {
        if (v->audioOn != 0) {
            v->audioOn = 0;
            if (host_ && host_->Navigator()) host_->Navigator()->UpdateCameraAudioOnOffStatus(v, false);
        }
    }
}
