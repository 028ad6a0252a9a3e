// The start-up benchmark's rule for when the sample picture came on screen, on made-up grabs: a
// wrong answer here would make every start-up figure wrong without anything failing.
#include "ScreenWatch.h"

#include <gtest/gtest.h>

namespace {

constexpr int kPoints = 400;         // a 20 x 20 grid
constexpr int kPicture = 100;        // points 0..99 show the picture once it is there
constexpr int64_t kEvery = 10'000'000;  // a grab every 10 ms

uint32_t Grey(int v) { return static_cast<uint32_t>(v << 16 | v << 8 | v); }

// Bands with grain: a different grey at every point and in every grab.
uint32_t PicturePixel(int point, int grab) { return Grey(60 + (point * 7 + grab * 3) % 64); }

struct Scene {
    int pictureFrom = -1;   // the first grab showing the picture; -1: never
    int paneFrom = -1;      // a flat grey pane over the picture's place before it
    int icons = 0;          // static grey points outside the picture (empty tiles' camera icons)
};

std::vector<E2e::ScreenGrid::Grab> Grabs(const Scene& s, int count = 200)
{
    std::vector<E2e::ScreenGrid::Grab> grabs;
    for (int g = 0; g < count; ++g) {
        E2e::ScreenGrid::Grab grab;
        grab.nanos = 1'000'000'000 + g * kEvery;
        grab.pixels.assign(kPoints, 0);
        for (int i = 0; i < kPicture; ++i) {
            if (s.pictureFrom >= 0 && g >= s.pictureFrom)
                grab.pixels[i] = PicturePixel(i, g);
            else if (s.paneFrom >= 0 && g >= s.paneFrom)
                grab.pixels[i] = Grey(90);
        }
        for (int i = 0; i < s.icons; ++i)
            grab.pixels[kPicture + i] = Grey(70);
        grabs.push_back(grab);
    }
    return grabs;
}

TEST(PictureRule, FindsTheGrabThePictureCameInDespitePanesAndIcons)
{
    size_t points = 0;
    auto grabs = Grabs({.pictureFrom = 40});
    EXPECT_EQ(E2e::FirstPictureNanos(grabs, &points), grabs[40].nanos);
    EXPECT_EQ(points, static_cast<size_t>(kPicture));

    // A flat pane of the picture's greys, drawn first where the picture comes, is no picture.
    grabs = Grabs({.pictureFrom = 40, .paneFrom = 10});
    EXPECT_EQ(E2e::FirstPictureNanos(grabs, &points), grabs[40].nanos);

    // Still grey points elsewhere are not taken for the picture's place.
    grabs = Grabs({.pictureFrom = 40, .icons = 150});
    EXPECT_EQ(E2e::FirstPictureNanos(grabs, &points), grabs[40].nanos);
    EXPECT_EQ(points, static_cast<size_t>(kPicture));
}

TEST(PictureRule, NoPictureIsNoAnswer)
{
    EXPECT_EQ(E2e::FirstPictureNanos(Grabs({.paneFrom = 10, .icons = 150})), -1);
    // The picture only in the last moments: too little of it moving to tell where it is.
    EXPECT_EQ(E2e::FirstPictureNanos(Grabs({.pictureFrom = 199})), -1);
    EXPECT_EQ(E2e::FirstPictureNanos({}), -1);
}

TEST(PictureRule, SamplePixelsAreMiddleGreysAndTheBrightSquare)
{
    EXPECT_TRUE(E2e::LooksLikeSamplePicture(Grey(60)));
    EXPECT_TRUE(E2e::LooksLikeSamplePicture(0x7A7C78));  // grey after conversion, a little off
    EXPECT_TRUE(E2e::LooksLikeSamplePicture(Grey(214)));  // the square
    EXPECT_FALSE(E2e::LooksLikeSamplePicture(0x000000));  // empty tile, root
    EXPECT_FALSE(E2e::LooksLikeSamplePicture(Grey(239)));  // the window's panes
    EXPECT_FALSE(E2e::LooksLikeSamplePicture(0x3C3CFF));  // the tile's no-picture blue
    EXPECT_FALSE(E2e::LooksLikeSamplePicture(0x308CC6));  // a selected row
}

} // namespace
