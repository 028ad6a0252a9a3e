#pragma once

#include <QByteArray>
#include <QImage>

// The tiles `tiles serve` hands out, made to judge the map's placement by eye: a colour of its
// own per tile, the text "z/x/y" in the middle, and a graticule at round degrees. Each line is
// found per pixel column and row by the inverse projection, so a position on a line of the
// served map lies exactly on that round longitude or latitude. Needs a QGuiApplication (text).
class LoopbackTilePicture {
public:
    static QImage Paint(int zoom, int x, int y);
    static QByteArray Png(int zoom, int x, int y);
    // The graticule's spacing in degrees at a zoom: about eight lines across a tile.
    static double GraticuleStep(int zoom);
};
