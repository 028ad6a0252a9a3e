#include "viewer/WatermarkReportSink.h"

#include "events/ViewerMessages.h"
#include "viewer/WaterMarkerDlg.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QScreen>

WatermarkReportSink::WatermarkReportSink()
{
    handlers_.On<ViewerMessages::WatermarkReport>(&WatermarkReportSink::OnWatermarkReport);
}

WatermarkReportSink::~WatermarkReportSink()
{
    // Reports still queued are delivered now, to no window, so that their texts are freed.
    window_.reset();
    QCoreApplication::sendPostedEvents(this, ViewerMessages::WatermarkReport);
}

WatermarkHandler WatermarkReportSink::Handler()
{
    QObject* target = this;
    return [target](const QString& title, const QString& text) {
        PostViewerTexts<ViewerMessages::WatermarkReport>(target, text, title);
    };
}

void WatermarkReportSink::ShowWindow()
{
    if (!window_) {
        window_ = std::make_unique<WaterMarkerDlg>();
        if (const QScreen* screen = QGuiApplication::primaryScreen()) {
            QRect frame = window_->frameGeometry();
            frame.moveCenter(screen->availableGeometry().center());
            window_->move(frame.topLeft());
        }
    }
    window_->show();
    window_->raise();
}

void WatermarkReportSink::HideWindow()
{
    if (window_ && window_->isVisible())
        window_->hide();
}

void WatermarkReportSink::OnWatermarkReport(const QString& text, const QString& title)
{
    if (window_)
        window_->ShowReport(title, text);
}

bool WatermarkReportSink::event(QEvent* event)
{
    if (ViewerMessageEvent* message = ViewerMessageEvent::From(event))
        return handlers_.Dispatch(*this, *message);
    return QObject::event(event);
}
