#pragma once

#include "viewer/PlayerAudioCtrlState.h"

#include <QWidget>

class CPlomeraBtnCtrl;
class QLabel;
class QSlider;
class Video;

// One camera's volume control in the volume pop-up: its number, an inverted slider (top is
// loudest) and the audio button. Its requests go to the receiver given (the pop-up passes them
// on to the viewer) with the camera as first parameter.
class CPlayerAudioCtrl : public QWidget {
    Q_OBJECT
public:
    static constexpr int kSliderId = 1064;
    static constexpr int kButtonId = 1062;
    static constexpr int kLabelId = 1065;

    CPlayerAudioCtrl(Video* camera, int volume, QObject* receiver, QWidget* parent);

    QSlider* Slider() const { return slider_; }
    CPlomeraBtnCtrl* Button() const { return button_; }
    const PlayerAudioCtrlState& State() const { return state_; }

private:
    void Send(const std::vector<PlayerAudioCtrlState::Request>& requests);
    void Mirror();

    Video* camera_;
    QObject* receiver_;
    PlayerAudioCtrlState state_;
    QLabel* label_ = nullptr;
    QSlider* slider_ = nullptr;
    CPlomeraBtnCtrl* button_ = nullptr;
};
