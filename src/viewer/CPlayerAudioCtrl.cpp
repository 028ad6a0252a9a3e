#include "viewer/CPlayerAudioCtrl.h"

#include "controls/CPlomeraBtnCtrl.h"
#include "events/ViewerMessageEvent.h"
#include "evidence/Camera.h"
#include "evidence/Video.h"

#include <QLabel>
#include <QSlider>
#include <QVBoxLayout>

CPlayerAudioCtrl::CPlayerAudioCtrl(Video* camera, int volume, QObject* receiver, QWidget* parent)
    : QWidget(parent), camera_(camera), receiver_(receiver), state_(camera->audioOn != 0, volume)
{
    label_ = new QLabel(QString::asprintf("%d", camera->GetCamera()->GetChannel() + 1), this);
    label_->setObjectName(QString::number(kLabelId));
    label_->setAlignment(Qt::AlignCenter);
    label_->setToolTip(!camera->title.isEmpty() ? camera->title : camera->GetCamera()->GetName());
    slider_ = new QSlider(Qt::Vertical, this);
    slider_->setObjectName(QString::number(kSliderId));
    slider_->setRange(0, PlayerAudioCtrlState::kMaxVolume);
    slider_->setInvertedAppearance(true);
    slider_->setPageStep(PlayerAudioCtrlState::kMaxVolume / 10);
    button_ = new CPlomeraBtnCtrl(this);
    button_->setObjectName(QString::number(kButtonId));
    button_->setFixedSize(20, 20);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(2, 2, 2, 2);
    column->setSpacing(2);
    column->addWidget(label_);
    column->addWidget(slider_, 1, Qt::AlignHCenter);
    column->addWidget(button_, 0, Qt::AlignHCenter);
    setFixedSize(30, 100);
    Mirror();

    connect(button_, &CPlomeraBtnCtrl::clicked, this, [this] { Send(state_.ClickButton()); });
    connect(slider_, &QSlider::valueChanged, this, [this](int position) {
        if (position != state_.SliderPosition()) Send(state_.MoveSlider(position));
    });
}

void CPlayerAudioCtrl::Send(const std::vector<PlayerAudioCtrlState::Request>& requests)
{
    Mirror();
    for (const auto& r : requests) {
        ViewerMessageEvent::Send(receiver_, r.message, ViewerMessageEvent::AddressParam(camera_),
                                 static_cast<quintptr>(r.volume));
    }
}

void CPlayerAudioCtrl::Mirror()
{
    const QSignalBlocker quiet(slider_);
    slider_->setValue(state_.SliderPosition());
    slider_->setToolTip(state_.SliderTooltip());
    button_->SetImage(state_.Picture(), true);
    button_->SetTooltipText(state_.ButtonTooltip());
}
