#pragma once

#include <QStringList>
#include <QtGlobal>
#include <functional>

class QWidget;
class Video;

// The viewer's handling of the control bar's "Go To" (1142) and "Local File Information"
// (1140), for the selected camera; nothing happens without one.
namespace TimelineActions {

// Opens dialog 348 at the recording's start; on OK seeks all players to the chosen time and
// plays them (seekAllAndPlay), and logs "Seek Successful to %s from GoTo Dialog". Returns the
// time sought, or 0 when nothing was.
qint64 GoToSpecificTime(QWidget* parent, Video* selected, const std::function<void(qint64)>& seekAllAndPlay);
// Logs "Show FileInfo requested" and shows dialog 555 for the camera; watermark: the text of its
// "Watermark :" row (the caller reads the camera's status from the facade).
void ShowFileInfo(QWidget* parent, Video* selected, const QStringList& openEvidence,
                  const QString& watermark = QStringLiteral("Not checked"));

} // namespace TimelineActions
