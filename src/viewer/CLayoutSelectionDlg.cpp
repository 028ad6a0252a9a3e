#include "viewer/CLayoutSelectionDlg.h"

#include "controls/CPlomeraBtnCtrl.h"
#include "controls/StringTable.h"
#include "events/ViewerMessageEvent.h"
#include "events/ViewerMessages.h"
#include "logging/Logger.h"
#include "viewer/CViewerCapabilities.h"

#include <QCursor>
#include <QGridLayout>

CLayoutSelectionDlg::CLayoutSelectionDlg(QWidget* owner)
    : QWidget(owner, Qt::Tool | Qt::FramelessWindowHint), owner_(owner)
{
    try {
        auto* grid = new QGridLayout(this);
        grid->setContentsMargins(1, 1, 1, 1);
        grid->setSpacing(2);
        for (unsigned mode = 0; mode < CViewerCapabilities::kModeCount; ++mode) {
            const auto& layout = CViewerCapabilities::LayoutOf(mode);
            auto* button = new CPlomeraBtnCtrl(this);
            button->setObjectName(QString::number(kButtonIds[mode]));
            button->SetImage(layout.pictureId, true);
            button->SetTooltipText(StringTable::Load(layout.textId));
            button->setFixedSize(28, 24);
            grid->addWidget(button, static_cast<int>(mode / 3), static_cast<int>(mode % 3));
            buttons_[mode] = button;
            connect(button, &CPlomeraBtnCtrl::clicked, this, [this, mode] {
                mode_ = static_cast<int>(mode);
                MouseLeave();
                ViewerMessageEvent::Send(owner_, ViewerMessages::LayoutModeSelected, mode);
            });
        }
        timer_.setInterval(PopupPointerRule::kTickMillis);
        connect(&timer_, &QTimer::timeout, this, &CLayoutSelectionDlg::Tick);
    } catch (const std::exception& e) {
        Logger::GetInstance()->Error(
            QStringLiteral("layout Selection Dlg Initialization Failed : %1").arg(QString::fromLocal8Bit(e.what())));
    }
}

void CLayoutSelectionDlg::Open(int currentMode, const QPoint& topRight)
{
    mode_ = currentMode;
    adjustSize();
    const QSize size = sizeHint() + QSize(2, 2);
    resize(size);
    move(topRight.x() - size.width(), topRight.y());
    show();
    raise();
    activateWindow();
    rule_.Open();
    timer_.start();
}

void CLayoutSelectionDlg::Tick()
{
    if (!isVisible()) {
        timer_.stop();
        return;
    }
    if (rule_.Tick(frameGeometry().contains(QCursor::pos()), isActiveWindow())) MouseLeave();
}

void CLayoutSelectionDlg::MouseLeave()
{
    timer_.stop();
    rule_.Open();
    hide();
}
