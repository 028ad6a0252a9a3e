#pragma once

#include "package/IPackageProgress.h"

#include <QDialog>

class QLabel;
class QProgressBar;

// The progress window of package extraction and saving (template 572): the current file's name,
// its percentage and bar, and the count of files with its bar. Modeless, centred over its
// parent, without a system menu; it repaints at once on every change because the thread that
// drives it is busy copying and does not return to the event loop until the end.
class CVideoFileExtractionProgress : public QDialog, public IPackageProgress {
    Q_OBJECT
public:
    static constexpr int kTemplateId = 572;
    static constexpr int kFileProgressBar = 7032;
    static constexpr int kFileNameField = 7033;
    static constexpr int kPercentageField = 7034;
    static constexpr int kTotalProgressBar = 7035;
    static constexpr int kCountField = 7036;

    // Shown when made.
    CVideoFileExtractionProgress(const QString& title, QWidget* parent = nullptr);
    ~CVideoFileExtractionProgress() override;

    // A factory for the package code: one window over parent per operation.
    static PackageProgressFactory Factory(QWidget* parent);

    void StartFile(const QString& name, qint64 size, int count) override;
    void UpdateProgress(qint64 done) override;

private:
    QLabel* nameField_;
    QLabel* percentageField_;
    QLabel* countField_;
    QProgressBar* fileBar_;
    QProgressBar* totalBar_;
    qint64 fileSize_ = 0;
    // Bytes per bar step, so that files beyond 2 GiB still fit the bar's 32-bit range.
    int fileShift_ = 0;
    int totalPosition_ = 0;
    int totalCount_ = 0;
};
