// The owner-drawn buttons as a user sees them: the pixels of every state over a coloured parent,
// one flip per toggle press however often the button repaints, nothing drawn without a usable
// picture, and pictures that follow a resize or a new colour behind the button.
#include "controls/CPlomeraBtnCtrl.h"
#include "controls/CPlomeraCheckBoxCtrl.h"
#include "controls/CPlomeraTextBtnCtrl.h"
#include "controls/ResourceImage.h"
#include "controls/StringTable.h"

#include <QApplication>
#include <QEnterEvent>
#include <QTest>
#include <QWidget>
#include <gtest/gtest.h>

namespace {

constexpr int kRed = 90001;
constexpr int kGreen = 90002;
constexpr int kEmpty = 90901;
constexpr int kGarbage = 90902;
const QColor kBackground(20, 40, 160);

struct Bar {
    Bar()
    {
        parent.resize(100, 40);
        SetBackground(kBackground);
        parent.show();
    }
    void SetBackground(const QColor& colour)
    {
        QPalette p = parent.palette();
        p.setColor(QPalette::Window, colour);
        parent.setPalette(p);
        parent.setAutoFillBackground(true);
    }
    // What the screen shows at a point of the button: the parent drawn with its children.
    QColor At(QWidget* button, QPoint point)
    {
        const QImage shot = parent.grab().toImage();
        return shot.pixelColor(button->geometry().topLeft() + point);
    }
    QWidget parent;
};

void Hover(QWidget* w)
{
    QEnterEvent enter(QPointF(2, 2), QPointF(2, 2), w->mapToGlobal(QPointF(2, 2)));
    QApplication::sendEvent(w, &enter);
}

void Leave(QWidget* w)
{
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(w, &leave);
}

} // namespace

TEST(ResourceImageTest, LoadsDrawnPicturesAndGivesEmptyForMissingEmptyOrBadData)
{
    const ResourceImage cursor(563);
    EXPECT_FALSE(cursor.IsEmpty());
    EXPECT_EQ(cursor.Size(), QSize(20, 10));
    EXPECT_EQ(ResourceImage(kRed).Image().pixelColor(3, 3), QColor(255, 0, 0));
    EXPECT_TRUE(ResourceImage(99999).IsEmpty());
    EXPECT_TRUE(ResourceImage(kEmpty).IsEmpty());
    EXPECT_TRUE(ResourceImage(kGarbage).IsEmpty());
    EXPECT_TRUE(ResourceImage().IsEmpty());
}

TEST(ButtonTest, EveryStateShowsItsPicture)
{
    Bar bar;
    CPlomeraBtnCtrl button(&bar.parent);
    button.setGeometry(10, 5, 20, 20);
    button.SetImage(kRed, true);
    button.SetSecondImage(kGreen);
    button.SetToggleMode(true);
    button.show();
    const QPoint corner(1, 1);
    const QPoint centre(10, 10);

    EXPECT_EQ(bar.At(&button, corner), kBackground);
    EXPECT_EQ(bar.At(&button, centre), QColor(255, 0, 0));
    EXPECT_EQ(button.CurrentPicture(), CPlomeraBtnCtrl::Normal);

    Hover(&button);
    EXPECT_EQ(button.CurrentPicture(), CPlomeraBtnCtrl::Hover);
    EXPECT_EQ(bar.At(&button, corner), QColor(0xF0, 0xF0, 0xF0));
    EXPECT_EQ(bar.At(&button, centre), QColor(255, 0, 0));

    button.setDown(true);
    EXPECT_EQ(bar.At(&button, corner), QColor(255, 255, 255));
    EXPECT_EQ(bar.At(&button, centre), QColor(255, 0, 0));
    button.setDown(false);

    button.SetCheckedState(true);
    EXPECT_EQ(button.CurrentPicture(), CPlomeraBtnCtrl::CheckedHover);
    EXPECT_EQ(bar.At(&button, corner), QColor(0xF0, 0xF0, 0xF0));
    EXPECT_EQ(bar.At(&button, centre), QColor(0, 200, 0));
    button.setDown(true);
    EXPECT_EQ(bar.At(&button, corner), QColor(255, 255, 255));
    EXPECT_EQ(bar.At(&button, centre), QColor(0, 200, 0));
    button.setDown(false);
    Leave(&button);
    EXPECT_EQ(bar.At(&button, corner), kBackground);
    EXPECT_EQ(bar.At(&button, centre), QColor(0, 200, 0));

    // Disabled: grey whatever the mouse does (0.3 x 255 for pure red).
    button.SetDisabled(true);
    Hover(&button);
    EXPECT_EQ(button.CurrentPicture(), CPlomeraBtnCtrl::Disabled);
    EXPECT_EQ(bar.At(&button, corner), kBackground);
    EXPECT_EQ(bar.At(&button, centre), QColor(77, 77, 77));
    QTest::mouseClick(&button, Qt::LeftButton);
    EXPECT_TRUE(button.IsCheckedState());
}

TEST(ButtonTest, ATogglePressFlipsOnceHoweverOftenItRepaints)
{
    Bar bar;
    CPlomeraBtnCtrl button(&bar.parent);
    button.setGeometry(10, 5, 20, 20);
    button.SetImage(kRed, true);
    button.SetSecondImage(kGreen);
    button.SetToggleMode(true);
    button.show();

    QTest::mousePress(&button, Qt::LeftButton);
    for (int i = 0; i < 10; ++i) {
        button.repaint();
    }
    EXPECT_TRUE(button.IsCheckedState());
    QTest::mouseRelease(&button, Qt::LeftButton);
    EXPECT_TRUE(button.IsCheckedState());
    EXPECT_EQ(bar.At(&button, QPoint(10, 10)), QColor(0, 200, 0));

    // A double click is two presses; the keyboard's Space is one.
    QTest::mouseDClick(&button, Qt::LeftButton);
    EXPECT_TRUE(button.IsCheckedState());
    button.setFocus();
    QTest::keyClick(&button, Qt::Key_Space);
    EXPECT_FALSE(button.IsCheckedState());
}

TEST(ButtonTest, WithoutAUsablePictureTheButtonStaysBlank)
{
    for (int id : {0, 99999, kEmpty, kGarbage}) {
        Bar bar;
        CPlomeraBtnCtrl button(&bar.parent);
        button.setGeometry(10, 5, 20, 20);
        if (id != 0) {
            button.SetImage(id, true);
        }
        button.show();
        Hover(&button);
        EXPECT_EQ(bar.At(&button, QPoint(10, 10)), kBackground) << id;
        EXPECT_EQ(bar.At(&button, QPoint(1, 1)), kBackground) << id;
        EXPECT_FALSE(button.IsRendered()) << id;
        EXPECT_EQ(button.CurrentPicture(), CPlomeraBtnCtrl::PictureCount) << id;
    }
}

TEST(ButtonTest, PicturesAreRebuiltAfterAResizeAndANewColourBehind)
{
    Bar bar;
    CPlomeraBtnCtrl button(&bar.parent);
    button.setGeometry(10, 5, 20, 20);
    button.SetImage(kRed, true);
    button.show();
    bar.At(&button, QPoint());
    EXPECT_EQ(button.PictureOf(CPlomeraBtnCtrl::Normal).size(), QSize(20, 20));

    button.resize(30, 24);
    bar.At(&button, QPoint());
    EXPECT_EQ(button.PictureOf(CPlomeraBtnCtrl::Normal).size(), QSize(30, 24));
    EXPECT_EQ(bar.At(&button, QPoint(15, 12)), QColor(255, 0, 0));

    bar.SetBackground(QColor(128, 128, 128));
    button.ResetPictures();
    EXPECT_EQ(bar.At(&button, QPoint(1, 1)), QColor(128, 128, 128));
}

TEST(ButtonTest, TextButtonDrawsItsTextWithoutAnImageAndFillsTheHoverInset)
{
    Bar bar;
    CPlomeraTextBtnCtrl button(&bar.parent);
    button.setGeometry(10, 5, 30, 30);
    button.SetText(QStringLiteral("4"), QStringLiteral("Webdings"), 25, 0xFF3399FF);
    button.SetTooltipText(314);
    button.show();
    EXPECT_EQ(button.TooltipText(), QStringLiteral("Scroll Right"));
    EXPECT_EQ(CPlomeraTextBtnCtrl::ShownText(QStringLiteral("3456"), QStringLiteral("Webdings")),
              QStringLiteral("◀▶▲▼"));
    EXPECT_EQ(CPlomeraTextBtnCtrl::ShownText(QStringLiteral("3"), QStringLiteral("Arial")), QStringLiteral("3"));

    // The arrow is drawn in the text colour somewhere near the middle.
    const QImage shot = bar.parent.grab(button.geometry()).toImage();
    int arrowPixels = 0;
    for (int y = 0; y < shot.height(); ++y) {
        for (int x = 0; x < shot.width(); ++x) {
            arrowPixels += shot.pixelColor(x, y) == QColor(0x33, 0x99, 0xFF);
        }
    }
    EXPECT_GT(arrowPixels, 20);

    Hover(&button);
    EXPECT_EQ(bar.At(&button, QPoint(1, 1)), kBackground);
    EXPECT_EQ(bar.At(&button, QPoint(2, 2)), QColor(0xF0, 0xF0, 0xF0));
    EXPECT_EQ(bar.At(&button, QPoint(27, 27)), QColor(0xF0, 0xF0, 0xF0));
    EXPECT_EQ(bar.At(&button, QPoint(28, 28)), kBackground);
}

TEST(ButtonTest, CheckBoxDrawsItsImageAtTheLeftEdgeAndFallsBackToSansSerif)
{
    Bar bar;
    CPlomeraCheckBoxCtrl box(&bar.parent);
    box.setGeometry(10, 5, 80, 20);
    box.SetImage(kRed, true);
    box.SetLabel(QStringLiteral("Select All"), QStringLiteral("No Such Family 123"), 9.0f, 0xFFFFFFFF);
    box.show();
    EXPECT_EQ(bar.At(&box, QPoint(0, 10)), QColor(255, 0, 0));
    EXPECT_EQ(bar.At(&box, QPoint(9, 10)), kBackground);
    EXPECT_NE(box.LabelFont().family(), QStringLiteral("No Such Family 123"));
    EXPECT_EQ(box.LabelFont().pointSizeF(), 9.0);
    const QImage shot = bar.parent.grab(box.geometry()).toImage();
    int textPixels = 0;
    for (int x = 20; x < 80; ++x) {
        for (int y = 0; y < 20; ++y) {
            textPixels += shot.pixelColor(x, y).lightness() > 128;
        }
    }
    EXPECT_GT(textPixels, 10);
    EXPECT_EQ(StringTable::Load(529), QStringLiteral("Scroll Left"));
    EXPECT_TRUE(StringTable::Load(1).isEmpty());
}

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
