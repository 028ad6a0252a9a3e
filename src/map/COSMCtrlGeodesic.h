#pragma once

#include "map/COSMCtrlPosition.h"

// Distances on the earth in metres. The ellipsoid distance is Vincenty's inverse formula on
// WGS-84; where it does not converge (nearly antipodal points) the sphere's answer is used.
class COSMCtrlGeodesic {
public:
    static constexpr double kSemiMajorAxis = 6378137.0;
    static constexpr double kFlattening = 1.0 / 298.257223563;
    static constexpr double kSemiMinorAxis = 6356752.314245;
    static constexpr double kConvergence = 1e-13;
    static constexpr int kMaxIterations = 200;
    static constexpr double kSphereRadius = 6371000.0;

    // NaN when an input is not finite.
    static double EllipsoidDistance(const COSMCtrlPosition& from, const COSMCtrlPosition& to);
    static double SphereDistance(const COSMCtrlPosition& from, const COSMCtrlPosition& to);
};
