#include "viewer/PlayerAudioCtrlState.h"

#include "events/ViewerMessages.h"

#include <algorithm>

PlayerAudioCtrlState::PlayerAudioCtrlState(bool audioOn, int volume)
    : audioOn_(audioOn), volume_(std::clamp(volume, 0, kMaxVolume))
{
}

std::vector<PlayerAudioCtrlState::Request> PlayerAudioCtrlState::ClickButton()
{
    if (audioOn_) {
        audioOn_ = false;
        buttonTooltip_ = QStringLiteral("OFF");
        return {{ViewerMessages::DisableCameraAudio}};
    }
    audioOn_ = true;
    buttonTooltip_ = QStringLiteral("ON");
    return {{ViewerMessages::EnableCameraAudio}, {ViewerMessages::SetAudioVolume, volume_}};
}

std::vector<PlayerAudioCtrlState::Request> PlayerAudioCtrlState::MoveSlider(int position)
{
    volume_ = kMaxVolume - std::clamp(position, 0, kMaxVolume);
    std::vector<Request> requests;
    // Sound-on sets its own level, so the audio goes on before the slider's volume is sent.
    if (!audioOn_) {
        audioOn_ = true;
        buttonTooltip_ = QStringLiteral("OFF");
        requests.push_back({ViewerMessages::EnableCameraAudio});
    } else {
        buttonTooltip_ = QStringLiteral("ON");
    }
    requests.push_back({ViewerMessages::SetAudioVolume, volume_});
    return requests;
}
