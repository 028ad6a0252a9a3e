#pragma once

#include <cstdint>
#include <string_view>

// A 5x7 block font for the texts burnt into sample frames (camera name, wall-clock time, frame
// number). Digits, letters (lower case shown as upper case) and ": . - # / _"; anything else is a
// blank. Drawing needs no font files and no GUI, so the sample maker runs anywhere.
class BitmapFont {
public:
    static constexpr int kGlyphWidth = 5;
    static constexpr int kGlyphHeight = 7;

    // Draws text with its top-left corner at (x, y), each glyph pixel scale x scale, on a dark
    // box one glyph pixel wider all round. Clipped to the plane.
    static void Draw(uint8_t* luma, int stride, int width, int height, int x, int y, int scale,
                     std::string_view text);
    // Width in pixels of text at this scale, box included.
    static int TextWidth(std::string_view text, int scale);
};
