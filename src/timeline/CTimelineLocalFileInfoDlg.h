#pragma once

#include "evidence/CustodyDigest.h"

#include <QDialog>
#include <QStringList>
#include <atomic>
#include <map>
#include <optional>
#include <thread>

class QLabel;
class QProgressBar;
class QPushButton;
class Video;

// Dialog 555 "Local File Information": the selected camera's device, camera, start and end
// time, device type and file location, and the file's custody digests, computed on a worker
// while the dialog is open (Close stops it within one block). "Save Report..." writes the
// custody report as plain text, never over an evidence file.
class CTimelineLocalFileInfoDlg : public QDialog {
    Q_OBJECT
public:
    // openEvidence: the files open in the player, which a report must never overwrite.
    // watermark: the "Watermark :" row, the camera's watermark status in words.
    CTimelineLocalFileInfoDlg(const Video& video, const QStringList& openEvidence, QWidget* parent = nullptr,
                              const QString& watermark = kNotChecked);
    ~CTimelineLocalFileInfoDlg() override;

    static const QString kNotChecked; // "Not checked"

    // The text of one of the seven fields (1041, 1042, 1043, 1107, 1046, 1045, 1047).
    QString FieldText(int id) const;
    // The digests once the pass finished.
    const std::optional<CustodyDigest::Result>& Digest() const { return digest_; }
    bool Hashing() const { return worker_.joinable() && !digest_; }
    // Writes the report to the path; the failure text, empty on success.
    QString SaveReport(const QString& path);
    QPushButton* SaveButton() const { return save_; }
    QPushButton* CloseButton() const { return close_; }
    QString ReportText() const;
    // The time as the dialog shows it: the user's short date and the time with seconds.
    static QString LocaleText(qint64 time);

    void done(int result) override;

signals:
    void DigestReady();

private:
    void StartHashing();
    void StopHashing();
    void ShowDigest(const CustodyDigest::Result& result);

    QString path_;
    QString camera_;
    qint64 regionEnd_ = -1;
    QStringList openEvidence_;
    std::map<int, QLabel*> fields_;
    QProgressBar* progress_ = nullptr;
    QLabel* digestText_ = nullptr;
    QPushButton* save_ = nullptr;
    QPushButton* close_ = nullptr;
    std::atomic<bool> cancel_{false};
    std::thread worker_;
    std::optional<CustodyDigest::Result> digest_;
};
