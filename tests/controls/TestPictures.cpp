// Plain pictures for the button tests: solid squares whose pixels are easy to tell apart.
#include "Picture.h"

PLOMERA_PICTURE(90001, 8, 8)
{
    p.fillRect(QRect(QPoint(), size), QColor(255, 0, 0));
}

PLOMERA_PICTURE(90002, 8, 8)
{
    p.fillRect(QRect(QPoint(), size), QColor(0, 200, 0));
}
