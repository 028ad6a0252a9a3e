#pragma once

// The numbered pictures of the player (PNG resources) are drawn by code, never kept as binary
// files: every picture is a small QPainter function registered under its number. At build time
// the program plomera_pictures (PictureMain.cpp) runs every registered function, writes
// <number>.png into the build tree and a Qt resource file that lists them as ":/PNG/<number>";
// ResourceImage (src/controls) loads them from there by number.
//
// Adding a picture:
//   1. Pick the file of your area in this folder (Controls.cpp, Timeline.cpp, ...) or add one:
//      every *.cpp here is compiled into the generator, nothing else to register.
//   2. Write
//          PLOMERA_PICTURE(563, 20, 10)
//          {
//              p.setBrush(...);   // p: a QPainter with antialiasing on, over a transparent
//              ...                // canvas of the given width and height (size: its QSize)
//          }
//      with the number the Part gives (a picture the Parts leave unnumbered takes a number from
//      its area's range, noted at the top of its file).
//      A family of pictures drawn by one function with a parameter (three colours of one button)
//      registers itself with Pictures::Register directly, as Timeline.cpp does.
//   3. Build. A number registered twice stops the build with both files named.
//   4. Use it: ResourceImage(563), or CPlomeraBtnCtrl::SetImage(563, true).
// The pictures land in <build>/src/controls/pictures/<number>.png for a look.

#include <QPainter>
#include <QSize>

namespace Pictures {

using DrawFunction = void (*)(QPainter& p, const QSize& size);

// Called by the registration objects below, before main.
bool Register(int number, int width, int height, DrawFunction draw, const char* file);

} // namespace Pictures

#define PLOMERA_PICTURE_CAT2(a, b) a##b
#define PLOMERA_PICTURE_CAT(a, b) PLOMERA_PICTURE_CAT2(a, b)
#define PLOMERA_PICTURE(number, width, height)                                                     \
    static void PLOMERA_PICTURE_CAT(DrawPicture_, number)(QPainter & p, const QSize& size);       \
    [[maybe_unused]] static const bool PLOMERA_PICTURE_CAT(registered_, number) =                  \
        Pictures::Register(number, width, height, &PLOMERA_PICTURE_CAT(DrawPicture_, number),     \
                           __FILE__);                                                              \
    static void PLOMERA_PICTURE_CAT(DrawPicture_, number)([[maybe_unused]] QPainter & p,          \
                                                          [[maybe_unused]] const QSize& size)
