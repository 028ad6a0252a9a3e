// The caption and its dialogs: the order list, the pop-ups' pointer rule and the volume control's
// requests without a window, then the caption itself offscreen.
#include "controls/CPlomeraTextBtnCtrl.h"
#include "events/ViewerMessages.h"
#include "viewer/CLayoutSelectionDlg.h"
#include "viewer/CViewerCaption.h"
#include "viewer/CameraOrderList.h"
#include "viewer/PlayerAudioCtrlState.h"
#include "viewer/PopupPointerRule.h"

#include <QCursor>
#include <QTest>
#include <gtest/gtest.h>

namespace {

using Order = std::vector<CVideoPlayer*>;

CVideoPlayer* P(int i)
{
    return reinterpret_cast<CVideoPlayer*>(static_cast<quintptr>(i) * 16);
}

TEST(CameraOrderListTest, MovesWrapAroundAndTheLineStaysSelected)
{
    struct Case {
        const char* name;
        int selected;
        bool up;
        Order expected;
        int selectedAfter;
    };
    const Case cases[] = {
        {"up on the first goes last", 0, true, {P(2), P(3), P(1)}, 2},
        {"down on the last goes first", 2, false, {P(3), P(1), P(2)}, 0},
        {"up in the middle swaps", 1, true, {P(2), P(1), P(3)}, 0},
        {"down in the middle swaps", 1, false, {P(1), P(3), P(2)}, 2},
    };
    for (const Case& c : cases) {
        // Same title and camera number on every line: two files' channel-0 cameras.
        CameraOrderList list({{P(1), "Camera 1"}, {P(2), "Camera 1"}, {P(3), "Camera 1"}});
        EXPECT_EQ(list.Selected(), 0) << c.name;
        list.Select(c.selected);
        c.up ? list.MoveUp() : list.MoveDown();
        EXPECT_EQ(list.Players(), c.expected) << c.name;
        EXPECT_EQ(list.Selected(), c.selectedAfter) << c.name;
    }
    CameraOrderList list({{P(1), "a"}, {P(2), "b"}});
    list.MoveUp();
    list.Reset();
    EXPECT_EQ(list.Players(), (Order{P(1), P(2)}));
    CameraOrderList empty({});
    empty.MoveUp();
    EXPECT_TRUE(empty.Players().empty());
}

TEST(PopupPointerRuleTest, StaysUntilEnteredThenLeavesWithThePointerOrTheForeground)
{
    PopupPointerRule rule;
    rule.Open();
    EXPECT_FALSE(rule.Tick(false, true)) << "not yet entered, still in front: the user may be reaching for it";
    EXPECT_TRUE(rule.Tick(false, false)) << "never entered and gone to the back";
    rule.Open();
    EXPECT_FALSE(rule.Tick(true, true));
    EXPECT_TRUE(rule.Entered());
    EXPECT_TRUE(rule.Tick(false, true)) << "entered, then left";
    EXPECT_FALSE(rule.Entered());
    rule.Open();
    EXPECT_FALSE(rule.Tick(true, true));
    EXPECT_TRUE(rule.Tick(true, false)) << "entered, then lost the foreground";
}

TEST(PlayerAudioCtrlStateTest, AMutedSliderTurnsAudioOnBeforeItsVolume)
{
    using R = PlayerAudioCtrlState::Request;
    PlayerAudioCtrlState muted(false, 65535);
    EXPECT_EQ(muted.SliderPosition(), 0) << "top is loudest";
    EXPECT_EQ(muted.Picture(), 392);
    EXPECT_EQ(muted.SliderTooltip(), QStringLiteral("100"));
    EXPECT_EQ(muted.MoveSlider(65535 - 20000),
              (std::vector<R>{{ViewerMessages::EnableCameraAudio}, {ViewerMessages::SetAudioVolume, 20000}}));
    EXPECT_TRUE(muted.AudioOn());
    EXPECT_EQ(muted.Picture(), 393);
    EXPECT_EQ(muted.ButtonTooltip(), QStringLiteral("OFF"));
    EXPECT_EQ(muted.SliderTooltip(), QStringLiteral("30"));
    EXPECT_EQ(muted.MoveSlider(65535 - 30000), (std::vector<R>{{ViewerMessages::SetAudioVolume, 30000}}));
    EXPECT_EQ(muted.ButtonTooltip(), QStringLiteral("ON"));

    PlayerAudioCtrlState on(true, 1000);
    EXPECT_EQ(on.ClickButton(), (std::vector<R>{{ViewerMessages::DisableCameraAudio}}));
    EXPECT_EQ(on.Picture(), 392);
    EXPECT_EQ(on.ButtonTooltip(), QStringLiteral("OFF"));
    EXPECT_EQ(on.ClickButton(),
              (std::vector<R>{{ViewerMessages::EnableCameraAudio}, {ViewerMessages::SetAudioVolume, 1000}}));
    EXPECT_EQ(on.ButtonTooltip(), QStringLiteral("ON"));
}

TEST(ViewerCaptionTest, PageButtonsFollowThePageAndSymbolsShowArrows)
{
    CViewerCaption caption;
    caption.resize(800, CViewerCaption::kHeight);
    caption.show();
    auto* previous = static_cast<CPlomeraBtnCtrl*>(caption.Control(CViewerCaption::kPreviousId));
    auto* next = static_cast<CPlomeraBtnCtrl*>(caption.Control(CViewerCaption::kNextId));
    ASSERT_TRUE(previous && next);
    caption.SetPageText(0, 1);
    EXPECT_EQ(caption.State().PageText(), QStringLiteral("Page 1/1"));
    EXPECT_TRUE(previous->IsDisabled());
    EXPECT_TRUE(next->IsDisabled());
    caption.SetPageText(1, 3);
    EXPECT_EQ(caption.State().PageText(), QStringLiteral("Page 2/3"));
    EXPECT_FALSE(previous->IsDisabled());
    EXPECT_FALSE(next->IsDisabled());

    const QString arrows[] = {QStringLiteral("\u21BB"), QStringLiteral("\u25BC"), QStringLiteral("\u25C0"),
                              QStringLiteral("\u25B6")};
    const CViewerCaption::ControlId ids[] = {CViewerCaption::kOrderId, CViewerCaption::kVolumeId,
                                             CViewerCaption::kPreviousId, CViewerCaption::kNextId};
    for (int i = 0; i < 4; ++i) {
        auto* button = static_cast<CPlomeraTextBtnCtrl*>(caption.Control(ids[i]));
        EXPECT_EQ(CPlomeraTextBtnCtrl::ShownText(button->Text(), QStringLiteral("Webdings")), arrows[i]) << ids[i];
    }
}

TEST(ViewerCaptionTest, LayoutPopupTogglesChoosesAndLeavesWithThePointer)
{
    CViewerCaption caption;
    caption.resize(800, CViewerCaption::kHeight);
    caption.move(400, 300);
    caption.show();
    caption.ToggleLayoutPopup();
    CLayoutSelectionDlg* popup = caption.LayoutPopup();
    ASSERT_NE(popup, nullptr);
    EXPECT_TRUE(popup->isVisible());
    const QWidget* button = caption.Control(CViewerCaption::kLayoutId);
    EXPECT_EQ(popup->frameGeometry().right() + 1, button->mapToGlobal(QPoint()).x());
    caption.ToggleLayoutPopup();
    EXPECT_FALSE(popup->isVisible());

    // A choice: the pop-up hides, the caption keeps the previous mode and takes the new one.
    caption.ToggleLayoutPopup();
    popup->Button(3)->click();
    EXPECT_FALSE(popup->isVisible());
    EXPECT_EQ(caption.CurrentMode(), 3);
    EXPECT_EQ(caption.PreviousMode(), 9);

    // The pointer goes in, then out: within 1.5 s of leaving the pop-up is gone.
    caption.ToggleLayoutPopup();
    QCursor::setPos(popup->frameGeometry().center());
    if (QCursor::pos() != popup->frameGeometry().center()) GTEST_SKIP() << "no pointer on this platform";
    QTest::qWait(1100);
    EXPECT_TRUE(popup->isVisible());
    QCursor::setPos(QPoint(5, 5));
    EXPECT_TRUE(QTest::qWaitFor([&] { return !popup->isVisible(); }, 1500));
}

} // namespace
