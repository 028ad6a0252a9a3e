#include "viewer/CViewerCaption.h"

#include "events/IUIViewerCaptionEvents.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLinearGradient>
#include <QMenu>
#include <QPainter>
#include <QToolButton>

CViewerCaption::CViewerCaption(QWidget* parent) : QWidget(parent)
{
    setFixedHeight(kHeight);
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(4, 1, 4, 1);
    row->setSpacing(3);
    const QString white = QStringLiteral("color: white;");
    title_ = new QLabel(this);
    title_->setStyleSheet(white);
    overlay_ = new QCheckBox(QStringLiteral("Overlay"), this);
    overlay_->setStyleSheet(white);
    row->addWidget(overlay_);
    row->addWidget(title_, 1);
    audio_ = AddButton(QStringLiteral("\u266A"), QString());
    order_ = AddButton(QStringLiteral("\u21C5"), QString());
    shiftBack_ = AddButton(QStringLiteral("\u25C0"), QString());
    shiftForward_ = AddButton(QStringLiteral("\u25B6"), QString());
    volume_ = AddButton(QStringLiteral("\u25BE"), QString());
    page_ = new QLabel(this);
    page_->setStyleSheet(white);
    row->addWidget(page_);
    previous_ = AddButton(QStringLiteral("\u2039"), QString());
    next_ = AddButton(QStringLiteral("\u203A"), QString());
    // Until the layout pop-up comes with the caption's own work: the twelve modes as a menu.
    layout_ = AddButton(QStringLiteral("\u229E"), QStringLiteral("Layout Selection"));
    layout_->setPopupMode(QToolButton::InstantPopup);
    auto* modes = new QMenu(layout_);
    static const char* const kModeNames[] = {"1x1", "Custom 2x1", "Custom 6x1", "2x2", "Custom 2x2", "Custom 12x1",
                                             "3x3", "Custom 3x2", "Custom 14x1", "4x4", "Custom 3x1", "Custom 4x1"};
    for (int mode = 0; mode < 12; ++mode) {
        modes->addAction(QString::fromLatin1(kModeNames[mode]), this, [this, mode] {
            if (coordinator_) coordinator_->SetLayout(mode);
        });
    }
    layout_->setMenu(modes);
    maximise_ = AddButton(QStringLiteral("\u25A1"), QStringLiteral("Maximize/Restore Viewer"));
    maximise_->setCheckable(true);
    closeAll_ = AddButton(QStringLiteral("\u2715"), QStringLiteral("Close All Tiles"));

    connect(overlay_, &QCheckBox::toggled, this, [this](bool on) {
        if (coordinator_) coordinator_->ShowOverLayText(on);
    });
    connect(audio_, &QToolButton::clicked, this, [this] {
        if (coordinator_) coordinator_->EnableAllCamerasAudio(allAudio_);
        allAudio_ = !allAudio_;
    });
    connect(order_, &QToolButton::clicked, this, [this] {
        if (coordinator_) coordinator_->AdjustCameraOrder();
    });
    connect(shiftBack_, &QToolButton::clicked, this, [this] {
        if (coordinator_) coordinator_->ShiftCamerasBackward();
    });
    connect(shiftForward_, &QToolButton::clicked, this, [this] {
        if (coordinator_) coordinator_->ShiftCamerasForward();
    });
    connect(volume_, &QToolButton::clicked, this, [this] {
        if (coordinator_) coordinator_->ShowVideoPlayerVolumeBars(QRect(volume_->mapToGlobal(QPoint()), volume_->size()));
    });
    connect(previous_, &QToolButton::clicked, this, [this] {
        if (coordinator_) coordinator_->ShowPreviousVideoPage();
    });
    connect(next_, &QToolButton::clicked, this, [this] {
        if (coordinator_) coordinator_->ShowNextVideoPage();
    });
    connect(maximise_, &QToolButton::clicked, this, [this](bool on) {
        if (coordinator_) coordinator_->MaxRestoreViewer(on);
    });
    connect(closeAll_, &QToolButton::clicked, this, [this] {
        if (coordinator_) coordinator_->CloseAllVideoPlayers();
    });
    state_.EnableFileControls(false);
    Mirror();
}

QToolButton* CViewerCaption::AddButton(const QString& text, const QString& tooltip)
{
    auto* button = new QToolButton(this);
    button->setText(text);
    button->setToolTip(tooltip);
    button->setAutoRaise(true);
    // A hovered or pressed button keeps a dark fill: the style's light one left the white glyph
    // unreadable, and a button whose menu just closed stays hovered until the pointer moves.
    button->setStyleSheet(QStringLiteral("QToolButton { color: white; } QToolButton:disabled { color: gray; } "
                                         "QToolButton:hover, QToolButton:pressed { background-color: rgb(60, 60, 150); "
                                         "border: none; }"));
    layout()->addWidget(button);
    return button;
}

void CViewerCaption::Mirror()
{
    title_->setText(state_.DeviceTitle());
    page_->setText(state_.PageText());
    previous_->setEnabled(state_.PreviousEnabled());
    next_->setEnabled(state_.NextEnabled());
    shiftBack_->setEnabled(state_.FileControls());
    shiftForward_->setEnabled(state_.FileControls());
    volume_->setEnabled(state_.FileControls());
    audio_->setEnabled(state_.AudioEnabled());
    audio_->setText(state_.AudioPicture() == ViewerCaptionState::kAudioOnPicture ? QStringLiteral("\u266B")
                                                                                  : QStringLiteral("\u266A"));
    maximise_->setChecked(state_.Maximised());
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

void CViewerCaption::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    QLinearGradient g(rect().topLeft(), rect().bottomRight());
    g.setColorAt(0, QColor(0, 0, 255));
    g.setColorAt(1, Qt::black);
    p.fillRect(rect(), g);
}
