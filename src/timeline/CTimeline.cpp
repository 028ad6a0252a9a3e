#include "timeline/CTimeline.h"

#include "events/IUITimelineEvents.h"
#include "evidence/Device.h"
#include "logging/HandlerGuard.h"
#include "controls/StringTable.h"
#include "timeline/CTimelineBtnCtrl.h"
#include "timeline/TimelineIds.h"
#include "timeline/TimelinePictures.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QShortcut>
#include <QVBoxLayout>

namespace {

constexpr QRgb kScaleHover = 0xFF78A938;
constexpr QRgb kScalePressed = 0xFFFF8000;
const QString kPlay = QStringLiteral("Play");
const QString kPause = QStringLiteral("Pause");
const QString kLoop = QStringLiteral("Loop");
const QString kExitLoop = QStringLiteral("Exit Loop");

CTimelineBtnCtrl::ImageSet SetOf(int first)
{
    return {first, first + 1, first + 2};
}

QFrame* Separator(QWidget* parent, int id)
{
    auto* line = new QFrame(parent);
    line->setObjectName(QString::number(id));
    line->setFrameShape(QFrame::VLine);
    line->setFrameShadow(QFrame::Plain);
    line->setFixedWidth(9);
    QPalette p = line->palette();
    p.setColor(QPalette::WindowText, QColor(0x50, 0x50, 0x50));
    p.setColor(QPalette::Window, Qt::black);
    line->setPalette(p);
    return line;
}

} // namespace

CTimeline::CTimeline(IUITimelineEvents* sink, QWidget* parent) : QWidget(parent), sink_(sink)
{
    HandlerGuard::Run(HandlerGuard::Text("Error in Timeline::OnInitDialog: %s"), [&] {
        setObjectName(QString::number(TimelineIds::ControlBarDialog));
        QPalette p = palette();
        p.setColor(QPalette::Window, Qt::black);
        setPalette(p);
        setAutoFillBackground(true);

        auto* column = new QVBoxLayout(this);
        column->setContentsMargins(2, 2, 2, 2);
        column->setSpacing(2);
        auto* row = new QHBoxLayout;
        row->setSpacing(2);
        column->addLayout(row);

        using namespace TimelineIds;
        namespace P = TimelinePictures;
        row->addWidget(AddButton(PreviousFrame, QStringLiteral("Previous Frame"), 32, P::PreviousFrame));
        row->addWidget(AddButton(FastRewind, QStringLiteral("Fast Rewind"), 32, P::FastRewind));
        row->addWidget(AddButton(PlayPause, kPause, 32, P::Pause));
        row->addWidget(AddButton(FastForward, QStringLiteral("Fast Forward"), 32, P::FastForward));
        row->addWidget(AddButton(NextFrame, QStringLiteral("Next Frame"), 32, P::NextFrame));
        CTimelineBtnCtrl* loop = AddButton(Loop, kLoop, 27, P::Loop);
        loop->SetToggleMode(true);
        loop->SetCheckedImages(SetOf(P::LoopChecked));
        row->addWidget(loop);
        row->addWidget(Separator(this, 0));
        row->addStretch(1);
        // From here on the buttons keep to the right edge.
        row->addWidget(Separator(this, Separator1000));
        row->addWidget(AddButton(SyncAll, QStringLiteral("Sync All"), 27, P::SyncAll));
        row->addWidget(AddButton(ExportSnapshot, QStringLiteral("Export Snapshot"), 27, P::ExportSnapshot));
        row->addWidget(AddButton(LocalFileInfo, QStringLiteral("Local File Information"), 27, P::FileInfo));
        // Shown only where metadata playback is offered (SetMetadataButtonVisible).
        CTimelineBtnCtrl* metadata = AddButton(ShowMap, StringTable::Load(330), 27, P::ShowMetadata);
        metadata->hide();
        row->addWidget(metadata);
        row->addWidget(Separator(this, Separator1063));
        const struct {
            int id;
            const char* tooltip;
            int picture;
        } scaleButtons[] = {{ZoomIn, "Zoom In Timeline", P::ZoomIn},
                            {ZoomOut, "Zoom Out Timeline", P::ZoomOut},
                            {CenterCursor, "Center the Play Cursor", P::CenterCursor},
                            {GoTo, "Go To", P::GoTo}};
        for (const auto& b : scaleButtons) {
            CTimelineBtnCtrl* button = AddButton(b.id, QString::fromLatin1(b.tooltip), 24, b.picture);
            button->SetHoverColour(kScaleHover);
            button->SetPressedColour(kScalePressed);
            row->addWidget(button);
        }

        scaleFrame_ = new QWidget(this);
        scaleFrame_->setObjectName(QString::number(ScaleFrame));
        auto* frameLayout = new QHBoxLayout(scaleFrame_);
        frameLayout->setContentsMargins(0, 0, 0, 0);
        trackBar_ = new CTimelineTrackBar(scaleFrame_);
        trackBar_->setObjectName(QString::number(TrackBarDialog));
        frameLayout->addWidget(trackBar_);
        column->addWidget(scaleFrame_, 1);

        // Tab order: the buttons left to right, then the scale.
        QWidget* previous = nullptr;
        for (int id : {PreviousFrame, FastRewind, PlayPause, FastForward, NextFrame, Loop, SyncAll,
                       ExportSnapshot, LocalFileInfo, ShowMap, ZoomIn, ZoomOut, CenterCursor, GoTo}) {
            if (previous) {
                setTabOrder(previous, buttons_[id]);
            }
            previous = buttons_[id];
        }
        setTabOrder(previous, trackBar_->Surface());

        const auto shortcut = [this](const QKeySequence& keys, int id) {
            auto* s = new QShortcut(keys, this);
            s->setContext(Qt::WindowShortcut);
            connect(s, &QShortcut::activated, this, [this, id] {
                CTimelineBtnCtrl* b = Button(id);
                if (b && b->isEnabled() && !b->IsDisabled()) {
                    OnClicked(id);
                }
            });
        };
        shortcut(QKeySequence(Qt::CTRL | Qt::Key_G), GoTo);
        shortcut(QKeySequence(Qt::CTRL | Qt::Key_I), LocalFileInfo);
        ApplyEnables();
    });
}

CTimeline::~CTimeline() = default;

CTimelineBtnCtrl* CTimeline::AddButton(int id, const QString& tooltip, int size, int firstPicture)
{
    auto* button = new CTimelineBtnCtrl(this);
    button->setObjectName(QString::number(id));
    button->setFixedSize(size, size);
    button->SetImages(SetOf(firstPicture));
    button->SetTooltipText(tooltip);
    button->SetDisabled(true);
    connect(button, &QAbstractButton::clicked, this, [this, id] { OnClicked(id); });
    buttons_[id] = button;
    return button;
}

CTimelineBtnCtrl* CTimeline::Button(int id) const
{
    const auto it = buttons_.find(id);
    return it == buttons_.end() ? nullptr : it->second;
}

void CTimeline::OnClicked(int id)
{
    using namespace TimelineIds;
    switch (id) {
    case ZoomIn: trackBar_->Zoom(0); return;
    case ZoomOut: trackBar_->Zoom(1); return;
    case CenterCursor: trackBar_->Zoom(2); return;
    case Loop: {
        CTimelineBtnCtrl* loop = Button(Loop);
        const bool on = loop->IsCheckedState();
        loop->SetTooltipText(on ? kExitLoop : kLoop);
        if (sink_) {
            sink_->OnLoop(on);
        }
        return;
    }
    default: break;
    }
    if (!sink_) {
        return;
    }
    switch (id) {
    case PreviousFrame: sink_->OnPreviousFrame(); break;
    case FastRewind: sink_->OnFastRewind(); break;
    case PlayPause:
        if (playbackState_ == 5) {
            sink_->OnPause();
        } else {
            sink_->OnPlay();
        }
        break;
    case FastForward: sink_->OnFastForward(); break;
    case NextFrame: sink_->OnNextFrame(); break;
    case SyncAll: sink_->OnSyncAll(); break;
    case ExportSnapshot: sink_->OnExportSnapshot(); break;
    case LocalFileInfo: sink_->OnShowFileInfo(); break;
    case GoTo: sink_->OnGoToTime(); break;
    case ShowMap: sink_->OnShowMap(); break;
    default: break;
    }
}

void CTimeline::OnCommand(int id)
{
    if (id == TimelineIds::ShowMap && sink_) {
        sink_->OnShowMap();
    }
}

void CTimeline::SetMetadataButtonVisible(bool visible)
{
    Button(TimelineIds::ShowMap)->setVisible(visible);
}

void CTimeline::EnableControls(bool enable, const Device* device)
{
    controlsEnabled_ = enable;
    stepAllowed_ = !device || device->GetCapability(4);
    fastAllowed_ = !device || device->GetCapability(5);
    snapshotAllowed_ = !device || device->GetCapability(6);
    using namespace TimelineIds;
    for (int id : {ZoomIn, ZoomOut, CenterCursor, GoTo, LocalFileInfo, PlayPause, Loop, SyncAll, ShowMap}) {
        Button(id)->SetDisabled(!enable);
    }
    Button(NextFrame)->SetDisabled(!(enable && stepAllowed_));
    Button(PreviousFrame)->SetDisabled(!(enable && stepAllowed_));
    Button(FastForward)->SetDisabled(!(enable && fastAllowed_));
    Button(FastRewind)->SetDisabled(!(enable && fastAllowed_));
    Button(ExportSnapshot)->SetDisabled(!(enable && snapshotAllowed_));
}

void CTimeline::ApplyEnables()
{
    EnableControls(false, nullptr);
}

void CTimeline::SetLoop(bool on)
{
    CTimelineBtnCtrl* loop = Button(TimelineIds::Loop);
    loop->SetDisabled(false);
    loop->SetCheckedState(on);
    // The tooltip names what the next click does, as after a click.
    loop->SetTooltipText(on ? kExitLoop : kLoop);
    loop->update();
}

void CTimeline::SetPlayPicture(bool showPause)
{
    CTimelineBtnCtrl* b = Button(TimelineIds::PlayPause);
    b->SetImages(SetOf(showPause ? TimelinePictures::Pause : TimelinePictures::Play));
    b->SetTooltipText(showPause ? kPause : kPlay);
}

void CTimeline::SetPlaybackState(int state)
{
    playbackState_ = state;
    if (state < 0 || state > 7) {
        return;
    }
    using namespace TimelineIds;
    // The frame and speed buttons as the state allows, within what EnableControls allowed;
    // Previous Frame follows Next Frame. Fast Rewind is there in every state the driver can
    // rewind from: rewinding, fast forward (back to normal speed), paused, playing, stepped on.
    bool next = false;
    bool forward = false;
    bool rewind = false;
    bool playEnabled = controlsEnabled_;
    switch (state) {
    case 0:
    case 1:
        playEnabled = false;
        break;
    case 2:
        rewind = true;
        break;
    case 3:
        forward = rewind = true;
        break;
    case 5:
        next = forward = rewind = true;
        break;
    case 6:
        next = true;
        break;
    default: // 4, 7
        next = rewind = true;
        break;
    }
    Button(NextFrame)->SetDisabled(!(next && controlsEnabled_ && stepAllowed_));
    Button(PreviousFrame)->SetDisabled(!(next && controlsEnabled_ && stepAllowed_));
    Button(FastForward)->SetDisabled(!(forward && controlsEnabled_ && fastAllowed_));
    Button(FastRewind)->SetDisabled(!(rewind && controlsEnabled_ && fastAllowed_));
    SetPlayPicture(state == 0 || state == 1 || state == 5);
    Button(PlayPause)->SetDisabled(!playEnabled);
}

void CTimeline::ReloadImages()
{
    for (auto& [id, button] : buttons_) {
        button->ReloadImages();
    }
}

void CTimeline::keyPressEvent(QKeyEvent* event)
{
    // Enter and Escape inside the bar never close or activate anything.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter || event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
}

bool CTimeline::event(QEvent* e)
{
    if (e->type() == QEvent::ShortcutOverride) {
        auto* key = static_cast<QKeyEvent*>(e);
        if (key->key() == Qt::Key_Escape) {
            key->accept();
            return true;
        }
    }
    return QWidget::event(e);
}
