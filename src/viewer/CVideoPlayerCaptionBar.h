#pragma once

#include "evidence/CalendarFields.h"
#include "viewer/WatermarkBadge.h"

#include <QColor>
#include <QString>
#include <QWidget>

class CPlomeraBtnCtrl;
class QLabel;

// The tile's caption strip (dialog template 360), one line: label 1021 the camera title at the
// left, label 1009 the date and time of the picture, button 1001 closing the tile. The whole
// strip and its labels' background are painted in the strip colour.
class CVideoPlayerCaptionBar : public QWidget {
    Q_OBJECT
public:
    explicit CVideoPlayerCaptionBar(QWidget* parent = nullptr);

    // Loads the close picture and the tooltips; cameraTitle goes into "Camera title: %s".
    void Create(const QString& cameraTitle);

    void SetTitle(const QString& title);
    QString Title() const;
    // Label 1009 from a date and time with milliseconds, as the display flags say; nothing while
    // the show-time flag is off.
    void SetTime(const CalendarFields& time);
    QString TimeText() const;
    void SetShowTime(bool on);
    bool ShowTime() const { return showTime_; }
    void SetShowMilliseconds(bool on);
    bool ShowMilliseconds() const { return showMilliseconds_; }

    // The watermark badge between title and time, hidden when there is none; repaints only on a
    // change, since the viewer's timer hands it over twice a second.
    void SetWatermarkBadge(const WatermarkBadge& badge);
    const WatermarkBadge& Badge() const { return badge_; }
    QLabel* BadgeLabel() const { return badgeLabel_; }

    void SetColour(const QColor& colour);
    const QColor& Colour() const { return colour_; }
    CPlomeraBtnCtrl* CloseButton() const { return close_; }

    QSize sizeHint() const override;

signals:
    void closeClicked();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QLabel* title_ = nullptr;
    QLabel* time_ = nullptr;
    CPlomeraBtnCtrl* close_ = nullptr;
    QLabel* badgeLabel_ = nullptr;
    WatermarkBadge badge_;
    QColor colour_;
    bool showTime_ = true;
    bool showMilliseconds_ = false;
};
