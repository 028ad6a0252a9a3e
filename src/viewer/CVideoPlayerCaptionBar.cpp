#include "viewer/CVideoPlayerCaptionBar.h"

#include "controls/CPlomeraBtnCtrl.h"
#include "viewer/VideoPlayerIds.h"
#include "viewer/VideoPlayerStrip.h"
#include "viewer/VideoPlayerTexts.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>

CVideoPlayerCaptionBar::CVideoPlayerCaptionBar(QWidget* parent)
    : QWidget(parent), colour_(VideoPlayerStrip::kSelectedColour)
{
    setObjectName(QString::number(VideoPlayerIds::CaptionTemplate));
    title_ = VideoPlayerStrip::MakeLabel(this, VideoPlayerIds::CameraTitleLabel);
    time_ = VideoPlayerStrip::MakeLabel(this, VideoPlayerIds::TimeLabel);
    time_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    // The time its whole width when there is room, the title what is left.
    time_->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Preferred);
    time_->setMinimumWidth(1);
    badgeLabel_ = new QLabel(this);
    badgeLabel_->setAutoFillBackground(true);
    badgeLabel_->setContentsMargins(4, 0, 4, 0);
    badgeLabel_->hide();
    close_ = new CPlomeraBtnCtrl(this);
    close_->setObjectName(QString::number(VideoPlayerIds::CloseButton));
    // Tab goes from tile to tile; the close button is the pointer's.
    close_->setFocusPolicy(Qt::NoFocus);
    connect(close_, &QAbstractButton::clicked, this, &CVideoPlayerCaptionBar::closeClicked);

    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(4, 1, 2, 1);
    row->setSpacing(6);
    row->addWidget(title_, 1);
    row->addWidget(badgeLabel_, 0);
    row->addWidget(time_, 0);
    row->addWidget(close_, 0);
    VideoPlayerStrip::Paint(this, colour_);
}

void CVideoPlayerCaptionBar::Create(const QString& cameraTitle)
{
    close_->SetImage(VideoPlayerIds::ClosePicture, true);
    close_->setFixedSize(close_->sizeHint() + QSize(4, 4));
    title_->setToolTip(VideoPlayerTexts::CameraTitleTooltip(cameraTitle));
}

void CVideoPlayerCaptionBar::SetWatermarkBadge(const WatermarkBadge& badge)
{
    if (badge == badge_) {
        return;
    }
    badge_ = badge;
    if (!badge.Shown()) {
        badgeLabel_->hide();
        return;
    }
    QPalette palette = badgeLabel_->palette();
    palette.setColor(QPalette::Window, badge.background);
    palette.setColor(QPalette::WindowText, badge.foreground);
    badgeLabel_->setPalette(palette);
    badgeLabel_->setText(badge.text);
    badgeLabel_->setToolTip(badge.tooltip);
    badgeLabel_->show();
}

void CVideoPlayerCaptionBar::SetTitle(const QString& title)
{
    title_->setText(title);
}

QString CVideoPlayerCaptionBar::Title() const
{
    return title_->text();
}

void CVideoPlayerCaptionBar::SetTime(const CalendarFields& time)
{
    if (!showTime_) {
        return;
    }
    const QString text = VideoPlayerTexts::TimeText(time, showMilliseconds_);
    time_->setText(text);
    time_->repaint();
    time_->setToolTip(text);
}

QString CVideoPlayerCaptionBar::TimeText() const
{
    return time_->text();
}

void CVideoPlayerCaptionBar::SetShowTime(bool on)
{
    showTime_ = on;
    if (!on) {
        time_->clear();
        time_->setToolTip(QString());
    }
}

void CVideoPlayerCaptionBar::SetShowMilliseconds(bool on)
{
    showMilliseconds_ = on;
}

void CVideoPlayerCaptionBar::SetColour(const QColor& colour)
{
    colour_ = colour;
    VideoPlayerStrip::Paint(this, colour_);
    // The button's pictures hold the strip under it: rebuilt over the new colour.
    close_->ResetPictures();
    update();
}

QSize CVideoPlayerCaptionBar::sizeHint() const
{
    return QSize(QWidget::sizeHint().width(), VideoPlayerStrip::Height(this, close_->sizeHint().height()));
}

void CVideoPlayerCaptionBar::paintEvent(QPaintEvent*)
{
    QPainter(this).fillRect(rect(), colour_);
}
