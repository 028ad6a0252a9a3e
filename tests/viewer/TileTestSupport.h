#pragma once

#include "evidence/Camera.h"
#include "evidence/Device.h"
#include "evidence/Video.h"
#include "evidence/VideoFile.h"

#include <QApplication>
#include <QDir>
#include <QMouseEvent>
#include <QPixmap>
#include <QWheelEvent>
#include <QWidget>
#include <memory>

// What the tile tests share: a camera of a device without a decoder, events with their screen
// points, and screenshots for a look.
namespace TileTest {

inline std::unique_ptr<Video> MakeVideo(Device* device)
{
    auto camera = std::make_unique<Camera>(device, 6);
    camera->SetName(QStringLiteral("Camera 7"));
    auto video = std::make_unique<Video>(std::move(camera));
    video->SetVideoFile(std::make_unique<VideoFile>());
    return video;
}

inline void SendMouse(QWidget* w, QEvent::Type type, const QPoint& local, Qt::MouseButton button,
                      Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QMouseEvent e(type, QPointF(local), QPointF(w->mapToGlobal(local)), button, buttons, modifiers);
    QApplication::sendEvent(w, &e);
}

inline void SendWheel(QWidget* w, const QPoint& local, int delta)
{
    QWheelEvent e(QPointF(local), QPointF(w->mapToGlobal(local)), QPoint(), QPoint(0, delta), Qt::NoButton,
                  Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(w, &e);
}

// Into the folder PLOMERA_TEST_SHOTS names, when it does.
inline void SaveShot(const QPixmap& shot, const QString& name)
{
    const QString folder = qEnvironmentVariable("PLOMERA_TEST_SHOTS");
    if (!folder.isEmpty()) {
        QDir().mkpath(folder);
        shot.save(folder + QLatin1Char('/') + name);
    }
}

} // namespace TileTest
