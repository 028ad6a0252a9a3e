#include "viewer/CAdjustCameraOrderDlg.h"

#include "controls/CPlomeraTextBtnCtrl.h"
#include "evidence/Camera.h"
#include "evidence/Video.h"
#include "logging/HandlerGuard.h"
#include "viewer/CVideoPlayer.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

std::vector<CameraOrderList::Line> LinesOf(const std::vector<CVideoPlayer*>& players)
{
    std::vector<CameraOrderList::Line> lines;
    for (CVideoPlayer* p : players) {
        const Video* video = p ? p->GetVideo() : nullptr;
        QString title = video ? video->title : QString();
        if (title.isEmpty() && video && video->GetCamera()) title = video->GetCamera()->GetName();
        lines.push_back({p, title});
    }
    return lines;
}

CPlomeraTextBtnCtrl* ArrowButton(QWidget* parent, int id, const char* letter)
{
    auto* button = new CPlomeraTextBtnCtrl(parent);
    button->setObjectName(QString::number(id));
    button->SetText(QString::fromLatin1(letter), QStringLiteral("Webdings"), 16, 0xFF000000);
    button->setFixedSize(28, 24);
    return button;
}

} // namespace

CAdjustCameraOrderDlg::CAdjustCameraOrderDlg(const std::vector<CVideoPlayer*>& players, QWidget* parent)
    : QDialog(parent), order_(LinesOf(players))
{
    setWindowTitle(QStringLiteral("Adjust Camera Order"));
    list_ = new QListWidget(this);
    list_->setObjectName(QString::number(kListId));
    auto* up = ArrowButton(this, kUpId, "5");
    auto* down = ArrowButton(this, kDownId, "6");
    auto* reset = new QPushButton(QStringLiteral("Reset"), this);
    reset->setObjectName(QString::number(kResetId));
    auto* box = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);

    auto* side = new QVBoxLayout;
    side->addWidget(up);
    side->addWidget(down);
    side->addStretch(1);
    auto* row = new QHBoxLayout;
    row->addWidget(list_, 1);
    row->addLayout(side);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(reset);
    bottom->addStretch(1);
    bottom->addWidget(box);
    auto* all = new QVBoxLayout(this);
    all->addLayout(row);
    all->addLayout(bottom);

    connect(up, &CPlomeraTextBtnCtrl::clicked, this, &CAdjustCameraOrderDlg::ButtonUp);
    connect(down, &CPlomeraTextBtnCtrl::clicked, this, &CAdjustCameraOrderDlg::ButtonDown);
    connect(reset, &QPushButton::clicked, this, &CAdjustCameraOrderDlg::ResetOrder);
    connect(list_, &QListWidget::currentRowChanged, this, [this](int row) { order_.Select(row); });
    connect(box, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(box, &QDialogButtonBox::rejected, this, &QDialog::reject);
    LoadCameras();
}

std::optional<std::vector<CVideoPlayer*>> CAdjustCameraOrderDlg::Run(const std::vector<CVideoPlayer*>& players,
                                                                      QWidget* parent)
{
    CAdjustCameraOrderDlg dialog(players, parent);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return dialog.order_.Players();
}

void CAdjustCameraOrderDlg::LoadCameras()
{
    HandlerGuard::Run(HandlerGuard::Text("Error in LoadCameras AdjustCameraOrderDlg: %s"), [&] {
        const int selected = order_.Selected();
        const QSignalBlocker quiet(list_);
        list_->clear();
        for (const auto& line : order_.Lines()) list_->addItem(line.title);
        list_->setCurrentRow(selected);
    });
}

void CAdjustCameraOrderDlg::ButtonUp()
{
    HandlerGuard::Run(HandlerGuard::Text("Error in ButtonUp AdjustCameraOrderDlg: %s"), [&] {
        order_.MoveUp();
        LoadCameras();
    });
}

void CAdjustCameraOrderDlg::ButtonDown()
{
    HandlerGuard::Run(HandlerGuard::Text("Error in Buttondown AdjustCameraOrderDlg: %s"), [&] {
        order_.MoveDown();
        LoadCameras();
    });
}

void CAdjustCameraOrderDlg::ResetOrder()
{
    order_.Reset();
    LoadCameras();
}
