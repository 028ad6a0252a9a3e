#pragma once

#include "viewer/PopupPointerRule.h"

#include <QTimer>
#include <QWidget>

class CPlayerAudioCtrl;
class Video;

// The volume pop-up under the caption's volume button: one CPlayerAudioCtrl for the selected
// camera. It passes the control's requests on to the viewer, and when the pointer rule closes it
// asks the viewer (CloseVolumePopup) to hide and destroy it.
class CamerasVolumeDlg : public QWidget {
    Q_OBJECT
public:
    // viewer: the owner and the receiver of every request.
    CamerasVolumeDlg(QWidget* viewer, Video* camera, int volume);

    // Shows it with its top right corner at the given point (global); the pointer rule starts.
    void Open(const QPoint& topRight);
    CPlayerAudioCtrl* Control() const { return control_; }

protected:
    bool event(QEvent* e) override;

private:
    void Tick();

    QWidget* viewer_;
    CPlayerAudioCtrl* control_ = nullptr;
    PopupPointerRule rule_;
    QTimer timer_;
};
