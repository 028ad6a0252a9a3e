#pragma once

#include <QDialog>
#include <QString>
#include <functional>
#include <vector>

class Video;

class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

// What the dialog asks the viewer to save (request 1150); the dialog owns it for the call.
struct SnapshotRequest {
    QString folder;
    qint64 time = 0;
    std::vector<Video*> cameras;  // the ticked ones, in list order
};

// Dialog 568 "Save Snapshot", modeless and made once: a folder, the device title, the snapshot
// time the viewer keeps current, and the cameras, all ticked at first. "Snapshot" sends the
// request to the viewer and closes; it is disabled while no camera is ticked.
class CTimelineExportSnapshotDlg : public QDialog {
    Q_OBJECT
public:
    // viewer: the window that receives request 1150.
    explicit CTimelineExportSnapshotDlg(QObject* viewer, QWidget* parent = nullptr);

    void SetCameras(const std::vector<Video*>& cameras);
    void SetTime(qint64 time);
    qint64 Time() const { return time_; }
    QString Folder() const;
    void SetFolder(const QString& folder);
    // The folder browser: the current folder in, the chosen one out (empty: cancelled). A test
    // answers it here.
    using BrowseFunction = std::function<QString(QWidget* parent, const QString& current)>;
    void SetBrowseFunction(BrowseFunction function) { browse_ = std::move(function); }

    QListWidget* CameraList() const { return cameras_; }
    QPushButton* SnapshotButton() const { return ok_; }
    QLabel* TimeLabel() const { return timeLabel_; }
    QLabel* DeviceTitleLabel() const { return deviceTitle_; }

    // What "Snapshot" does: the request to the viewer, then the dialog closes.
    void OnBnClickedOk();
    void OnBnClickedBtnBrowseFolder();

private:
    void UpdateSnapshotButton();

    QObject* viewer_;
    qint64 time_ = 0;
    std::vector<Video*> videos_;
    BrowseFunction browse_;
    QLineEdit* folder_ = nullptr;
    QLabel* deviceTitle_ = nullptr;
    QLabel* timeLabel_ = nullptr;
    QListWidget* cameras_ = nullptr;
    QPushButton* ok_ = nullptr;
};
