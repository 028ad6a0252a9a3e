#pragma once

#include "timeline/TimelineLocalTime.h"

#include <QDate>
#include <QDialog>
#include <QTime>
#include <optional>

class QCalendarWidget;
class QLabel;
class QTimeEdit;

// Dialog 348: a day on the calendar (7007) and a time of day with seconds (1095), opened at the
// recording's start. OK takes the two as one local time; a time outside the recording keeps the
// dialog open with a message instead of closing as if it had worked.
class CTimelineGoToDateTimeDlg : public QDialog {
    Q_OBJECT
public:
    CTimelineGoToDateTimeDlg(qint64 start, qint64 end, QWidget* parent = nullptr);

    // The chosen time once OK was accepted.
    std::optional<qint64> Target() const { return target_; }
    QCalendarWidget* Calendar() const { return calendar_; }
    QTimeEdit* TimePicker() const { return time_; }
    QLabel* Message() const { return message_; }

    static const QString kOutside;

public slots:
    void accept() override;

private:
    qint64 start_;
    qint64 end_;
    QDate date_;
    QTime timeOfDay_;
    std::optional<qint64> target_;
    QCalendarWidget* calendar_ = nullptr;
    QTimeEdit* time_ = nullptr;
    QLabel* message_ = nullptr;
};
