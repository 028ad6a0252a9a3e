#include "viewer/CamerasVolumeDlg.h"

#include "events/ViewerMessageEvent.h"
#include "events/ViewerMessages.h"
#include "viewer/CPlayerAudioCtrl.h"

#include <QCoreApplication>
#include <QCursor>
#include <QHBoxLayout>

CamerasVolumeDlg::CamerasVolumeDlg(QWidget* viewer, Video* camera, int volume)
    : QWidget(viewer, Qt::Tool | Qt::FramelessWindowHint), viewer_(viewer)
{
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(1, 1, 1, 1);
    row->setSpacing(0);
    control_ = new CPlayerAudioCtrl(camera, volume, this, this);
    row->addWidget(control_);
    timer_.setInterval(PopupPointerRule::kTickMillis);
    connect(&timer_, &QTimer::timeout, this, &CamerasVolumeDlg::Tick);
}

void CamerasVolumeDlg::Open(const QPoint& topRight)
{
    const QSize size = control_->size() + QSize(2, 2);
    resize(size);
    move(topRight.x() - size.width(), topRight.y());
    show();
    raise();
    activateWindow();
    rule_.Open();
    timer_.start();
}

bool CamerasVolumeDlg::event(QEvent* e)
{
    // The control's requests, passed on unchanged.
    if (ViewerMessageEvent* m = ViewerMessageEvent::From(e)) {
        ViewerMessageEvent::Send(viewer_, m->Message(), m->WParam(), m->LParam());
        return true;
    }
    return QWidget::event(e);
}

void CamerasVolumeDlg::Tick()
{
    if (rule_.Tick(frameGeometry().contains(QCursor::pos()), isActiveWindow())) {
        timer_.stop();
        ViewerMessageEvent::Send(viewer_, ViewerMessages::CloseVolumePopup);
    }
}
