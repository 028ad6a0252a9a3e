#pragma once

// A map position as the map control hands it to the viewer: latitude, then longitude.
struct structMapPoint {
    double latitude = 0.0;
    double longitude = 0.0;
};
