#include "timeline/CTimelineLocalFileInfoDlg.h"

#include "evidence/Camera.h"
#include "evidence/CustodyReport.h"
#include "evidence/Device.h"
#include "evidence/DeviceTypes.h"
#include "evidence/FileTag.h"
#include "evidence/FileTagJson.h"
#include "evidence/Video.h"
#include "logging/Logger.h"
#include "startup/CFileVersionInfo.h"
#include "timeline/TimelineIds.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDateTime>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QMessageBox>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>
#include <exception>

namespace {

QString TrimCommas(QString text)
{
    while (text.startsWith(QLatin1Char(','))) {
        text.remove(0, 1);
    }
    while (text.endsWith(QLatin1Char(','))) {
        text.chop(1);
    }
    return text;
}

QString ProgramVersion()
{
    CFileVersionInfo info;
    if (info.Create(QCoreApplication::applicationFilePath()) && !info.FileVersion.isEmpty()) {
        return info.FileVersion;
    }
    return QStringLiteral("unknown");
}

} // namespace

QString CTimelineLocalFileInfoDlg::LocaleText(qint64 time)
{
    if (time <= 0) {
        return {};
    }
    const QDateTime t = QDateTime::fromSecsSinceEpoch(time).toLocalTime();
    if (!t.isValid()) {
        return {};
    }
    const QLocale locale;
    // The long time format less its zone: seconds shown, no "UTC" tail.
    QString timeFormat = locale.timeFormat(QLocale::LongFormat);
    timeFormat.remove(QLatin1Char('t'));
    return locale.toString(t.date(), QLocale::ShortFormat) + QLatin1Char(' ')
        + locale.toString(t.time(), timeFormat.trimmed());
}

const QString CTimelineLocalFileInfoDlg::kNotChecked = QStringLiteral("Not checked");

CTimelineLocalFileInfoDlg::CTimelineLocalFileInfoDlg(const Video& video, const QStringList& openEvidence,
                                                     QWidget* parent, const QString& watermark)
    : QDialog(parent), openEvidence_(openEvidence)
{
    setObjectName(QString::number(TimelineIds::FileInfoDialog));
    setWindowTitle(QStringLiteral("Local File Information"));
    setWindowIcon(QApplication::windowIcon());
    const Camera* camera = video.GetCamera();
    const Device* device = camera ? camera->GetDevice() : nullptr;
    const VideoFile* file = video.GetVideoFile();
    path_ = file ? file->path : QString();
    camera_ = camera ? TrimCommas(camera->GetName()) : QString();

    auto* grid = new QGridLayout;
    const struct {
        const char* label;
        int id;
        QString text;
    } rows[] = {
        {"Device :", TimelineIds::InfoDevice, device ? device->GetName() : QString()},
        {"Camera :", TimelineIds::InfoCamera, camera_},
        {"Start Time :", TimelineIds::InfoStart, file ? LocaleText(file->startTime) : QString()},
        {"End Time :", TimelineIds::InfoEnd, file ? LocaleText(file->endTime) : QString()},
        {"Device Type :", TimelineIds::InfoDeviceType, device ? DeviceTypes::DisplayName(device->GetDeviceType()) : QString()},
        {"File Location :", TimelineIds::InfoLocation, path_.isEmpty() ? QString() : QFileInfo(path_).absoluteFilePath()},
        {"Watermark :", TimelineIds::InfoWatermark, watermark},
    };
    int row = 0;
    for (const auto& r : rows) {
        auto* value = new QLabel(r.text, this);
        value->setObjectName(QString::number(r.id));
        value->setTextInteractionFlags(Qt::TextSelectableByMouse);
        grid->addWidget(new QLabel(QString::fromLatin1(r.label), this), row, 0, Qt::AlignRight);
        grid->addWidget(value, row, 1);
        fields_[r.id] = value;
        ++row;
    }
    progress_ = new QProgressBar(this);
    progress_->setRange(0, 1000);
    digestText_ = new QLabel(QStringLiteral("Computing the custody digests..."), this);
    digestText_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    digestText_->setFont(QFont(QStringLiteral("DejaVu Sans Mono"), 8));
    save_ = new QPushButton(QStringLiteral("&Save Report..."), this);
    save_->setEnabled(false);
    close_ = new QPushButton(QStringLiteral("Close"), this);
    close_->setDefault(true);
    connect(close_, &QPushButton::clicked, this, &QDialog::reject);
    connect(save_, &QPushButton::clicked, this, [this] {
        const QString target = QFileDialog::getSaveFileName(
            this, QStringLiteral("Save Report"),
            QFileInfo(path_).absolutePath() + QLatin1Char('/') + QFileInfo(path_).completeBaseName()
                + QStringLiteral("-custody.txt"),
            QStringLiteral("Text Files (*.txt)"));
        if (target.isEmpty()) {
            return;
        }
        const QString failure = SaveReport(target);
        if (!failure.isEmpty()) {
            QMessageBox::warning(this, windowTitle(), failure);
        }
    });

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(save_);
    buttons->addWidget(close_);
    auto* column = new QVBoxLayout(this);
    column->addLayout(grid);
    column->addWidget(progress_);
    column->addWidget(digestText_);
    column->addLayout(buttons);

    try {
        FileTag tag;
        if (tag.LoadFromFile(path_)) {
            regionEnd_ = tag.StreamRegionEnd();
        }
    } catch (const std::exception&) {
        regionEnd_ = -1;
    }
    StartHashing();
}

CTimelineLocalFileInfoDlg::~CTimelineLocalFileInfoDlg()
{
    StopHashing();
}

QString CTimelineLocalFileInfoDlg::FieldText(int id) const
{
    const auto it = fields_.find(id);
    return it == fields_.end() ? QString() : it->second->text();
}

void CTimelineLocalFileInfoDlg::StartHashing()
{
    worker_ = std::thread([this, path = path_, regionEnd = regionEnd_] {
        CustodyDigest::Result result = CustodyDigest::Compute(
            path, regionEnd, &cancel_, [this](qint64 done, qint64 total) {
                const int permille = total > 0 ? static_cast<int>(done * 1000 / total) : 1000;
                QMetaObject::invokeMethod(progress_, [bar = progress_, permille] { bar->setValue(permille); },
                                          Qt::QueuedConnection);
            },
            true);
        // Posted to the dialog: dropped if the dialog is gone by then.
        QMetaObject::invokeMethod(this, [this, result] { ShowDigest(result); }, Qt::QueuedConnection);
    });
}

void CTimelineLocalFileInfoDlg::StopHashing()
{
    cancel_ = true;
    if (worker_.joinable()) {
        worker_.join();
    }
}

void CTimelineLocalFileInfoDlg::ShowDigest(const CustodyDigest::Result& result)
{
    if (result.cancelled) {
        return;
    }
    digest_ = result;
    progress_->setValue(1000);
    if (!result.complete) {
        digestText_->setText(result.error);
        emit DigestReady();
        return;
    }
    QString text = QStringLiteral("SHA-256 (file): %1\n").arg(result.sha256File);
    text += result.regionEnd >= 0
        ? QStringLiteral("SHA-256 (stream region): %1\n").arg(result.sha256Region)
        : QStringLiteral("SHA-256 (stream region): none, the file has no tag\n");
    text += QStringLiteral("MD5 (file): %1").arg(result.md5File);
    if (result.Changed()) {
        text += QStringLiteral("\nThe file changed while it was checked (size or modification time).");
    }
    digestText_->setText(text);
    save_->setEnabled(true);
    emit DigestReady();
}

QString CTimelineLocalFileInfoDlg::ReportText() const
{
    CustodyReport::Facts facts;
    facts.version = ProgramVersion();
    facts.checkedAt = QDateTime::currentDateTime();
    facts.user = CustodyReport::CurrentUser();
    facts.host = CustodyReport::CurrentHost();
    facts.path = QFileInfo(path_).absoluteFilePath();
    facts.camera = camera_;
    if (digest_) {
        facts.digest = *digest_;
    }
    try {
        FileTag tag;
        if (tag.LoadFromFile(path_)) {
            facts.tag = FileTagJson::Of(tag, true);
        }
    } catch (const std::exception&) {
    }
    return CustodyReport::Text(facts);
}

QString CTimelineLocalFileInfoDlg::SaveReport(const QString& target)
{
    QStringList protectedPaths = openEvidence_;
    protectedPaths << path_;
    const QString failure = CustodyReport::Write(target, ReportText(), protectedPaths);
    if (failure.isEmpty()) {
        Logger::GetInstance()->Info(QStringLiteral("Custody report written : %1").arg(target));
    }
    return failure;
}

void CTimelineLocalFileInfoDlg::done(int result)
{
    StopHashing();
    QDialog::done(result);
}
