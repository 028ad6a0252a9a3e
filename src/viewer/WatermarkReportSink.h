#pragma once

#include "driver/FileDriver.h"
#include "events/ViewerMessageDispatch.h"

#include <QObject>
#include <QPointer>

#include <memory>

class WaterMarkerDlg;

// Where watermark reports land on the user-interface thread. The driver's watermark callback
// (Handler, called on a library thread) posts message 3023 to this object with copies of the
// text and title that the receiver frees; on arrival they go to the watermark window when it
// exists and are dropped otherwise. The viewer owns one, creates and shows the window through
// it (ShowWatermark) and releases every port before destroying it; reports still queued then are
// freed unshown.
class WatermarkReportSink : public QObject {
    Q_OBJECT
public:
    WatermarkReportSink();
    ~WatermarkReportSink() override;

    // The callback to install with SetWatermark: safe on any thread while this object lives.
    WatermarkHandler Handler();
    // Creates the window on first use, centred on the screen; shows and raises it.
    void ShowWindow();
    // Hides the window when it is shown (close all, sync all).
    void HideWindow();
    // The window, null before the first ShowWindow.
    WaterMarkerDlg* Window() const { return window_.get(); }

    void OnWatermarkReport(const QString& text, const QString& title);

protected:
    bool event(QEvent* event) override;

private:
    std::unique_ptr<WaterMarkerDlg> window_;
    ViewerMessageHandlers<WatermarkReportSink> handlers_;
};
