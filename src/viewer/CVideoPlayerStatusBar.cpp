#include "viewer/CVideoPlayerStatusBar.h"

#include "controls/ResourceImage.h"
#include "viewer/VideoPlayerIds.h"
#include "viewer/VideoPlayerStrip.h"
#include "viewer/VideoPlayerTexts.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QHelpEvent>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QToolTip>

CVideoPlayerStatusBar::CVideoPlayerStatusBar(QWidget* parent)
    : QWidget(parent), colour_(VideoPlayerStrip::kSelectedColour)
{
    setObjectName(QString::number(VideoPlayerIds::StatusTemplate));
    icon_ = new QLabel(this);
    icon_->setObjectName(QString::number(VideoPlayerIds::StatusIcon));
    device_ = VideoPlayerStrip::MakeLabel(this, VideoPlayerIds::DeviceTitleLabel);
    state_ = VideoPlayerStrip::MakeLabel(this, VideoPlayerIds::StateLabel);
    state_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    state_->installEventFilter(this);

    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(4, 1, 4, 1);
    row->setSpacing(6);
    row->addWidget(icon_, 0);
    row->addWidget(device_, 1);
    row->addWidget(state_, 1);
    VideoPlayerStrip::Paint(this, colour_);
}

void CVideoPlayerStatusBar::Create(const QString& deviceTitle)
{
    const ResourceImage icon(VideoPlayerIds::StatusIcon);
    if (!icon.IsEmpty()) {
        icon_->setPixmap(QPixmap::fromImage(icon.Image()));
    }
    device_->setToolTip(VideoPlayerTexts::DeviceTitleTooltip(deviceTitle));
}

void CVideoPlayerStatusBar::SetDeviceTitle(const QString& title)
{
    device_->setText(title);
}

QString CVideoPlayerStatusBar::DeviceTitle() const
{
    return device_->text();
}

void CVideoPlayerStatusBar::SetState(const QString& text)
{
    state_->setText(text);
}

QString CVideoPlayerStatusBar::State() const
{
    return state_->text();
}

QString CVideoPlayerStatusBar::StateTooltip() const
{
    return VideoPlayerTexts::StatusTooltip(state_->text(), streamInfo ? streamInfo() : QString());
}

bool CVideoPlayerStatusBar::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == state_ && event->type() == QEvent::ToolTip) {
        const auto* help = static_cast<QHelpEvent*>(event);
        QToolTip::showText(help->globalPos(), StateTooltip(), state_);
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void CVideoPlayerStatusBar::SetColour(const QColor& colour)
{
    colour_ = colour;
    VideoPlayerStrip::Paint(this, colour_);
    update();
}

QSize CVideoPlayerStatusBar::sizeHint() const
{
    const int icon = icon_->pixmap().isNull() ? 0 : icon_->pixmap().height();
    return QSize(QWidget::sizeHint().width(), VideoPlayerStrip::Height(this, icon));
}

void CVideoPlayerStatusBar::paintEvent(QPaintEvent*)
{
    QPainter(this).fillRect(rect(), colour_);
}
