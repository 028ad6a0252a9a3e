#pragma once

#include "events/NavigatorItem.h"

// The navigator item being dragged, as the main view keeps it (its drag flag, whether it is a
// whole file, the file's path and the camera). The grid reads it when a drag ends over it and
// clears it then.
class INavigatorDragSource {
public:
    virtual ~INavigatorDragSource() = default;

    virtual bool NavigatorDragInProgress() const = 0;
    virtual NavigatorItem NavigatorDragItem() const = 0;
    virtual void EndNavigatorDrag() = 0;
};
