#pragma once

#include <QString>
#include <vector>

// One camera's volume control without a window: the audio button's picture and tooltip, the
// inverted slider (top is loudest) and the requests a click or a slider move sends, in order.
// The button shows what a click does: 393 (sound crossed out) while the audio is on.
class PlayerAudioCtrlState {
public:
    static constexpr int kMaxVolume = 65535;
    static constexpr int kPictureWhileOff = 392;
    static constexpr int kPictureWhileOn = 393;

    struct Request {
        int message;     // EnableCameraAudio, DisableCameraAudio or SetAudioVolume
        int volume = 0;  // for SetAudioVolume
        bool operator==(const Request&) const = default;
    };

    // volume: the camera's last volume, where the slider opens.
    PlayerAudioCtrlState(bool audioOn, int volume);

    std::vector<Request> ClickButton();
    // position: the slider's, 0 at the top.
    std::vector<Request> MoveSlider(int position);

    bool AudioOn() const { return audioOn_; }
    int Volume() const { return volume_; }
    int SliderPosition() const { return kMaxVolume - volume_; }
    int Picture() const { return audioOn_ ? kPictureWhileOn : kPictureWhileOff; }
    const QString& ButtonTooltip() const { return buttonTooltip_; }
    // The volume in hundredths of full ("%d", 0 ... 100).
    QString SliderTooltip() const { return QString::number(volume_ / 655); }

private:
    bool audioOn_;
    int volume_;
    QString buttonTooltip_ = QStringLiteral("OFF");
};
