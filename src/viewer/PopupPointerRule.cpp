#include "viewer/PopupPointerRule.h"

bool PopupPointerRule::Tick(bool pointerInside, bool foreground)
{
    if (pointerInside) entered_ = true;
    const bool leave = entered_ ? (!pointerInside || !foreground) : (!pointerInside && !foreground);
    if (leave) entered_ = false;
    return leave;
}
