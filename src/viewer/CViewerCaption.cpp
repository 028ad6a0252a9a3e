#include "viewer/CViewerCaption.h"

#include "controls/CPlomeraBtnCtrl.h"
#include "controls/CPlomeraTextBtnCtrl.h"
#include "controls/StringTable.h"
#include "events/IUIViewerCaptionEvents.h"
#include "events/ViewerMessageEvent.h"
#include "events/ViewerMessages.h"
#include "viewer/CLayoutSelectionDlg.h"

#include <QCheckBox>
#include <QLabel>
#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>
#include <QPalette>
#include <QResizeEvent>
#include <algorithm>
#include <utility>

namespace {

constexpr int kButtonSize = 20;
constexpr int kShiftBackPicture = 3612;
constexpr int kShiftForwardPicture = 3613;
constexpr int kMaximisePicture = 355;
constexpr int kCloseAllPicture = 356;
constexpr int kLayoutTooltipText = 1309;
const QRgb kHover = qRgb(60, 60, 150);

} // namespace

CViewerCaption::CViewerCaption(QWidget* parent) : QWidget(parent)
{
    setFixedHeight(kHeight);
    const QString white = QStringLiteral("color: white; background: transparent;");
    overlay_ = new QCheckBox(QStringLiteral("Overlay"), this);
    overlay_->setObjectName(QString::number(kOverlayId));
    // A palette rather than a style sheet: a style sheet's transparent background also took the
    // box's own white square, leaving only the word on the blue.
    QPalette palette = overlay_->palette();
    palette.setColor(QPalette::WindowText, Qt::white);
    palette.setColor(QPalette::Base, Qt::white);
    palette.setColor(QPalette::Text, Qt::black);
    overlay_->setPalette(palette);
    overlay_->adjustSize();
    // The template puts the title at x 3 under the check box; it starts after it instead.
    title_ = new QLabel(this);
    title_->setObjectName(QString::number(kTitleId));
    title_->setStyleSheet(white);
    audio_ = AddPictureButton(kAudioId, 139, ViewerCaptionState::kAudioOffPicture, QString());
    order_ = AddSymbolButton(kOrderId, 168, "q");
    shiftBack_ = AddPictureButton(kShiftBackId, 194, kShiftBackPicture, QString());
    shiftForward_ = AddPictureButton(kShiftForwardId, 231, kShiftForwardPicture, QString());
    volume_ = AddSymbolButton(kVolumeId, 246, "6");
    page_ = new QLabel(this);
    page_->setObjectName(QString::number(kPageId));
    page_->setStyleSheet(white);
    page_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    previous_ = AddSymbolButton(kPreviousId, 365, "3");
    next_ = AddSymbolButton(kNextId, 379, "4");
    layout_ = AddPictureButton(kLayoutId, 400, 354, StringTable::Load(kLayoutTooltipText));
    layout_->SetTooltipText(QStringLiteral("Layout Selection"));
    maximise_ = AddPictureButton(kMaximiseId, 419, kMaximisePicture, QStringLiteral("Maximize/Restore Viewer"));
    maximise_->SetToggleMode(true);
    closeAll_ = AddPictureButton(kCloseAllId, 439, kCloseAllPicture, QStringLiteral("Close All Tiles"));

    connect(overlay_, &QCheckBox::toggled, this, [this](bool on) {
        if (coordinator_) coordinator_->ShowOverLayText(on);
    });
    connect(audio_, &CPlomeraBtnCtrl::clicked, this, [this] {
        if (coordinator_) coordinator_->EnableAllCamerasAudio(allAudio_);
        allAudio_ = !allAudio_;
    });
    connect(order_, &CPlomeraBtnCtrl::clicked, this, [this] {
        if (coordinator_) coordinator_->AdjustCameraOrder();
    });
    connect(shiftBack_, &CPlomeraBtnCtrl::clicked, this, [this] {
        if (coordinator_) coordinator_->ShiftCamerasBackward();
    });
    connect(shiftForward_, &CPlomeraBtnCtrl::clicked, this, [this] {
        if (coordinator_) coordinator_->ShiftCamerasForward();
    });
    connect(volume_, &CPlomeraBtnCtrl::clicked, this, [this] {
        if (coordinator_) coordinator_->ShowVideoPlayerVolumeBars(QRect(volume_->mapToGlobal(QPoint()), volume_->size()));
    });
    connect(previous_, &CPlomeraBtnCtrl::clicked, this, [this] {
        if (coordinator_) coordinator_->ShowPreviousVideoPage();
    });
    connect(next_, &CPlomeraBtnCtrl::clicked, this, [this] {
        if (coordinator_) coordinator_->ShowNextVideoPage();
    });
    connect(layout_, &CPlomeraBtnCtrl::clicked, this, &CViewerCaption::ToggleLayoutPopup);
    connect(maximise_, &CPlomeraBtnCtrl::clicked, this, [this] {
        if (coordinator_) coordinator_->MaxRestoreViewer(maximise_->IsCheckedState());
    });
    connect(closeAll_, &CPlomeraBtnCtrl::clicked, this, [this] {
        if (coordinator_) coordinator_->CloseAllVideoPlayers();
    });
    state_.EnableFileControls(false);
    Mirror();
    PlaceControls();
}

void CViewerCaption::PlaceControls()
{
    const int w = width();
    const int top = (kHeight - kButtonSize) / 2;
    overlay_->move(ViewerCaptionState::ControlX(7, w), (kHeight - overlay_->height()) / 2);
    for (const auto& [control, x] : placed_)
        control->move(ViewerCaptionState::ControlX(x, w), top);
    const int titleX = overlay_->x() + overlay_->width() + 8;
    title_->setGeometry(titleX, 0, std::max(0, audio_->x() - 4 - titleX), kHeight);
    const int pageRight = previous_->x() - 4;
    page_->setGeometry(pageRight - 80, 0, 80, kHeight);
}

void CViewerCaption::resizeEvent(QResizeEvent* event)
{
    PlaceControls();
    QWidget::resizeEvent(event);
}

CPlomeraBtnCtrl* CViewerCaption::AddPictureButton(ControlId id, int x, int picture, const QString& tooltip)
{
    auto* button = new CPlomeraBtnCtrl(this);
    button->setObjectName(QString::number(id));
    button->SetImage(picture, true);
    button->SetTooltipText(tooltip);
    button->SetHoverColour(kHover);
    button->resize(kButtonSize, kButtonSize);
    placed_.push_back({button, x});
    return button;
}

CPlomeraTextBtnCtrl* CViewerCaption::AddSymbolButton(ControlId id, int x, const char* letter)
{
    auto* button = new CPlomeraTextBtnCtrl(this);
    button->setObjectName(QString::number(id));
    button->SetText(QString::fromLatin1(letter), QStringLiteral("Webdings"), 14, 0xFFFFFFFF);
    button->SetHoverColour(kHover);
    button->resize(kButtonSize, kButtonSize);
    placed_.push_back({button, x});
    return button;
}

QWidget* CViewerCaption::Control(ControlId id) const
{
    return findChild<QWidget*>(QString::number(id), Qt::FindDirectChildrenOnly);
}

void CViewerCaption::Mirror()
{
    title_->setText(state_.DeviceTitle());
    page_->setText(state_.PageText());
    previous_->SetDisabled(!state_.PreviousEnabled());
    next_->SetDisabled(!state_.NextEnabled());
    shiftBack_->SetDisabled(!state_.FileControls());
    shiftForward_->SetDisabled(!state_.FileControls());
    volume_->SetDisabled(!state_.VolumeEnabled());
    audio_->SetDisabled(!state_.AudioEnabled());
    // A new image drops the button's cached pictures: only when it changes.
    if (std::exchange(shownAudioPicture_, state_.AudioPicture()) != state_.AudioPicture())
        audio_->SetImage(state_.AudioPicture(), true);
    if (std::exchange(shownLayoutPicture_, state_.LayoutPicture()) != state_.LayoutPicture())
        layout_->SetImage(state_.LayoutPicture(), true);
    maximise_->SetCheckedState(state_.Maximised());
}

void CViewerCaption::SetPageText(int index, int count)
{
    state_.SetPageText(index, count);
    Mirror();
}

void CViewerCaption::ResetPageText()
{
    state_.ResetPageText();
    Mirror();
}

void CViewerCaption::EnableFileControls(bool on)
{
    state_.EnableFileControls(on);
    Mirror();
}

void CViewerCaption::SetDeviceTitle(const QString& title)
{
    state_.SetDeviceTitle(title);
    Mirror();
}

void CViewerCaption::SetLayoutPicture(int picture)
{
    state_.SetLayoutPicture(picture);
    Mirror();
}

void CViewerCaption::SetMaximised(bool on)
{
    state_.SetMaximised(on);
    Mirror();
}

void CViewerCaption::EnableAudioButton(bool on, int picture)
{
    state_.EnableAudioButton(on, picture);
    Mirror();
}

void CViewerCaption::EnablePageButtons(bool on)
{
    state_.EnablePageButtons(on);
    Mirror();
}

void CViewerCaption::EnableVolumeButton(bool on)
{
    state_.EnableVolumeButton(on);
    Mirror();
}

void CViewerCaption::ToggleLayoutPopup()
{
    if (!layoutPopup_) layoutPopup_ = new CLayoutSelectionDlg(this);
    if (layoutPopup_->isVisible()) {
        layoutPopup_->hide();
        return;
    }
    layoutPopup_->Open(currentMode_, layout_->mapToGlobal(QPoint(0, layout_->height())));
}

void CViewerCaption::LayoutSelected(int mode)
{
    previousMode_ = currentMode_;
    currentMode_ = mode;
    if (coordinator_) coordinator_->SetLayout(mode);
}

bool CViewerCaption::event(QEvent* e)
{
    if (ViewerMessageEvent* m = ViewerMessageEvent::From(e); m && m->Message() == ViewerMessages::LayoutModeSelected) {
        LayoutSelected(static_cast<int>(m->WParam()));
        return true;
    }
    return QWidget::event(e);
}

void CViewerCaption::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && layoutPopup_ && layoutPopup_->isVisible()) layoutPopup_->hide();
    QWidget::mouseReleaseEvent(event);
}

void CViewerCaption::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    QLinearGradient g(rect().topLeft(), rect().bottomRight());
    g.setColorAt(0, QColor(0, 0, 255));
    g.setColorAt(0.5, QColor(0, 0, 128));
    g.setColorAt(1, Qt::black);
    p.fillRect(rect(), g);
}
