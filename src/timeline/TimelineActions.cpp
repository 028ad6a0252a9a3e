#include "timeline/TimelineActions.h"

#include "evidence/Video.h"
#include "logging/HandlerGuard.h"
#include "logging/Logger.h"
#include "timeline/CTimelineGoToDateTimeDlg.h"
#include "timeline/CTimelineLocalFileInfoDlg.h"
#include "timeline/TimelineLocalTime.h"

qint64 TimelineActions::GoToSpecificTime(QWidget* parent, Video* selected,
                                         const std::function<void(qint64)>& seekAllAndPlay)
{
    qint64 sought = 0;
    HandlerGuard::Run("GoToSpecificTime", [&] {
        if (!selected || !selected->GetVideoFile()) {
            return;
        }
        const VideoFile* file = selected->GetVideoFile();
        CTimelineGoToDateTimeDlg dialog(file->startTime, file->endTime, parent);
        if (dialog.exec() != QDialog::Accepted || !dialog.Target()) {
            return;
        }
        const qint64 target = *dialog.Target();
        if (seekAllAndPlay) {
            seekAllAndPlay(target);
        }
        sought = target;
        Logger::GetInstance()->Info(
            QStringLiteral("Seek Successful to %1 from GoTo Dialog").arg(TimelineLocalTime::LogText(target)));
    });
    return sought;
}

void TimelineActions::ShowFileInfo(QWidget* parent, Video* selected, const QStringList& openEvidence,
                                   const QString& watermark)
{
    HandlerGuard::Run("ShowFileInfo", [&] {
        if (!selected) {
            return;
        }
        Logger::GetInstance()->Info(QStringLiteral("Show FileInfo requested"));
        CTimelineLocalFileInfoDlg dialog(*selected, openEvidence, parent, watermark);
        dialog.exec();
    });
}
