#pragma once

// When a caption pop-up (layout selection, volumes) closes itself, decided once a second
// without a window. Until the pointer has been inside, the pop-up stays while it is in the
// foreground, so a user reaching for it from the button does not lose it; once the pointer has
// been inside, leaving it or losing the foreground closes it.
class PopupPointerRule {
public:
    static constexpr int kTickMillis = 1000;

    // The pop-up was (re)opened: the pointer has not been inside yet.
    void Open() { entered_ = false; }
    // One tick; true when the pop-up gets its mouse-leave (and the rule starts over).
    bool Tick(bool pointerInside, bool foreground);
    bool Entered() const { return entered_; }

private:
    bool entered_ = false;
};
