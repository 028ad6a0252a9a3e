#include "package/CVideoFileExtractionProgress.h"

#include <QGridLayout>
#include <QLabel>
#include <QProgressBar>
#include <QScreen>

#include <limits>

namespace {

QString IdName(const char* kind, int id)
{
    return QLatin1String(kind) + QString::number(id);
}

QProgressBar* MakeBar(int id, QWidget* parent)
{
    auto* bar = new QProgressBar(parent);
    bar->setObjectName(IdName("progress", id));
    bar->setTextVisible(false);
    bar->setRange(0, 100);
    bar->setValue(0);
    return bar;
}

QLabel* MakeField(int id, QWidget* parent)
{
    auto* field = new QLabel(parent);
    field->setObjectName(IdName("static", id));
    return field;
}

}  // namespace

CVideoFileExtractionProgress::CVideoFileExtractionProgress(const QString& title, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
{
    setObjectName(IdName("dialog", kTemplateId));
    setWindowTitle(title);
    setModal(false);
    nameField_ = MakeField(kFileNameField, this);
    percentageField_ = MakeField(kPercentageField, this);
    countField_ = MakeField(kCountField, this);
    fileBar_ = MakeBar(kFileProgressBar, this);
    totalBar_ = MakeBar(kTotalProgressBar, this);

    auto* grid = new QGridLayout(this);
    grid->addWidget(new QLabel(QStringLiteral("File Name : "), this), 0, 0);
    grid->addWidget(nameField_, 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("Progress : "), this), 1, 0);
    grid->addWidget(percentageField_, 1, 1);
    grid->addWidget(fileBar_, 2, 0, 1, 2);
    grid->addWidget(new QLabel(QStringLiteral("Total Files Progress : "), this), 3, 0);
    grid->addWidget(countField_, 3, 1);
    grid->addWidget(totalBar_, 4, 0, 1, 2);
    grid->setColumnStretch(1, 1);
    setMinimumWidth(380);
    adjustSize();

    // At start-up the main window is not shown yet: the screen is the reference then.
    const bool overParent = parent && parent->window()->isVisible();
    const QRect area = overParent ? parent->window()->frameGeometry()
                                  : (screen() ? screen()->availableGeometry() : QRect());
    if (area.isValid())
        move(area.center() - rect().center());
    show();
    repaint();
}

CVideoFileExtractionProgress::~CVideoFileExtractionProgress() = default;

PackageProgressFactory CVideoFileExtractionProgress::Factory(QWidget* parent)
{
    return [parent](const QString& title) -> std::unique_ptr<IPackageProgress> {
        return std::make_unique<CVideoFileExtractionProgress>(title, parent);
    };
}

void CVideoFileExtractionProgress::StartFile(const QString& name, qint64 size, int count)
{
    totalCount_ = count;
    totalBar_->setRange(0, count);
    nameField_->setText(name);
    fileSize_ = size;
    fileShift_ = 0;
    while ((size >> fileShift_) > std::numeric_limits<int>::max())
        ++fileShift_;
    fileBar_->setRange(0, static_cast<int>(size >> fileShift_));
    fileBar_->setValue(0);
    totalPosition_ = qMin(totalPosition_ + 1, count);
    totalBar_->setValue(totalPosition_);
    countField_->setText(QString::asprintf("%d of %d", totalPosition_, totalCount_));
    repaint();
}

void CVideoFileExtractionProgress::UpdateProgress(qint64 done)
{
    fileBar_->setValue(static_cast<int>(qBound<qint64>(0, done, fileSize_) >> fileShift_));
    // A file of no bytes has nothing to show but its start.
    const double percent = fileSize_ > 0 ? double(done) / double(fileSize_) * 100.0 : 0.0;
    percentageField_->setText(QString::asprintf("%.2f %%", percent));
    fileBar_->repaint();
    percentageField_->repaint();
}
