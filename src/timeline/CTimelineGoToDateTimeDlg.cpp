#include "timeline/CTimelineGoToDateTimeDlg.h"

#include "timeline/TimelineIds.h"

#include <QCalendarWidget>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QTimeEdit>
#include <QVBoxLayout>

const QString CTimelineGoToDateTimeDlg::kOutside =
    QStringLiteral("The chosen time is outside the recording (%1 to %2).");

namespace {

QString Shown(qint64 time)
{
    return TimelineLocalTime::TooltipText(time);
}

} // namespace

CTimelineGoToDateTimeDlg::CTimelineGoToDateTimeDlg(qint64 start, qint64 end, QWidget* parent)
    : QDialog(parent), start_(start), end_(end)
{
    setObjectName(QString::number(TimelineIds::GoToDialog));
    setWindowTitle(QStringLiteral("Go To"));
    const TimelineLocalTime::Fields s = TimelineLocalTime::FieldsOf(start);
    date_ = QDate(s.year, s.month, s.day);
    timeOfDay_ = QTime(s.hour, s.minute, s.second);

    calendar_ = new QCalendarWidget(this);
    calendar_->setObjectName(QString::number(TimelineIds::GoToCalendar));
    calendar_->setSelectedDate(date_);
    time_ = new QTimeEdit(this);
    time_->setObjectName(QString::number(TimelineIds::GoToTimePicker));
    time_->setDisplayFormat(QStringLiteral("h:mm:ss AP"));
    time_->setAlignment(Qt::AlignRight);
    time_->setTime(timeOfDay_);
    message_ = new QLabel(this);
    message_->setWordWrap(true);
    message_->setStyleSheet(QStringLiteral("color: #c00000;"));
    message_->hide();

    auto* dateLabel = new QLabel(QStringLiteral("&Date:"), this);
    dateLabel->setBuddy(calendar_);
    auto* timeLabel = new QLabel(QStringLiteral("&Time:"), this);
    timeLabel->setBuddy(time_);
    auto* form = new QFormLayout;
    form->addRow(dateLabel, calendar_);
    form->addRow(timeLabel, time_);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("&OK"));
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("&Cancel"));
    connect(buttons, &QDialogButtonBox::accepted, this, &CTimelineGoToDateTimeDlg::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* column = new QVBoxLayout(this);
    column->addLayout(form);
    column->addWidget(message_);
    column->addWidget(buttons);

    // The two values follow the controls as soon as they change.
    connect(calendar_, &QCalendarWidget::selectionChanged, this, [this] {
        date_ = calendar_->selectedDate();
        message_->hide();
    });
    connect(time_, &QTimeEdit::timeChanged, this, [this](const QTime& t) {
        timeOfDay_ = t;
        message_->hide();
    });
    setTabOrder(time_, calendar_);
    setTabOrder(calendar_, buttons->button(QDialogButtonBox::Ok));
    setTabOrder(buttons->button(QDialogButtonBox::Ok), buttons->button(QDialogButtonBox::Cancel));
    time_->setFocus();
}

void CTimelineGoToDateTimeDlg::accept()
{
    const TimelineLocalTime::Fields chosen{date_.year(), date_.month(), date_.day(),
                                           timeOfDay_.hour(), timeOfDay_.minute(), timeOfDay_.second()};
    target_ = TimelineLocalTime::GoToTarget(chosen, start_, end_);
    if (!target_) {
        message_->setText(kOutside.arg(Shown(start_), Shown(end_)));
        message_->show();
        return;
    }
    QDialog::accept();
}
