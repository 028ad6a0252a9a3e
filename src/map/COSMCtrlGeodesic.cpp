#include "map/COSMCtrlGeodesic.h"

#include "map/COSMCtrlProjection.h"

#include <cmath>
#include <limits>

namespace {

double Radians(double degrees)
{
    return degrees / COSMCtrlProjection::kDegreesPerRadian;
}

bool Finite(const COSMCtrlPosition& p)
{
    return std::isfinite(p.longitude) && std::isfinite(p.latitude);
}

} // namespace

double COSMCtrlGeodesic::EllipsoidDistance(const COSMCtrlPosition& from, const COSMCtrlPosition& to)
{
    if (!Finite(from) || !Finite(to)) {
        return std::numeric_limits<double>::quiet_NaN();
    }
    const double a = kSemiMajorAxis;
    const double b = kSemiMinorAxis;
    const double f = kFlattening;
    const double L = Radians(to.longitude - from.longitude);
    const double U1 = std::atan((1.0 - f) * std::tan(Radians(from.latitude)));
    const double U2 = std::atan((1.0 - f) * std::tan(Radians(to.latitude)));
    const double sinU1 = std::sin(U1);
    const double cosU1 = std::cos(U1);
    const double sinU2 = std::sin(U2);
    const double cosU2 = std::cos(U2);

    double lambda = L;
    double sinSigma = 0.0;
    double cosSigma = 0.0;
    double sigma = 0.0;
    double cosSqAlpha = 0.0;
    double cos2SigmaM = 0.0;
    bool converged = false;
    // Nearly antipodal points make the iteration oscillate for ever: it gets a fixed budget.
    for (int i = 0; i < kMaxIterations; ++i) {
        const double sinLambda = std::sin(lambda);
        const double cosLambda = std::cos(lambda);
        const double p = cosU2 * sinLambda;
        const double q = cosU1 * sinU2 - sinU1 * cosU2 * cosLambda;
        sinSigma = std::sqrt(p * p + q * q);
        cosSigma = sinU1 * sinU2 + cosU1 * cosU2 * cosLambda;
        if (sinSigma == 0.0) {
            if (cosSigma > 0.0) {
                return 0.0;  // the same point
            }
            break;  // exactly antipodal: no direction to iterate on
        }
        sigma = std::atan2(sinSigma, cosSigma);
        const double sinAlpha = cosU1 * cosU2 * sinLambda / sinSigma;
        cosSqAlpha = 1.0 - sinAlpha * sinAlpha;
        // On the equator cos^2(alpha) is 0 and the term is 0 by the formula's limit.
        cos2SigmaM = cosSqAlpha != 0.0 ? cosSigma - 2.0 * sinU1 * sinU2 / cosSqAlpha : 0.0;
        const double C = f / 16.0 * cosSqAlpha * (4.0 + f * (4.0 - 3.0 * cosSqAlpha));
        const double previous = lambda;
        lambda = L + (1.0 - C) * f * sinAlpha
                         * (sigma + C * sinSigma * (cos2SigmaM + C * cosSigma * (-1.0 + 2.0 * cos2SigmaM * cos2SigmaM)));
        // Tested as "below", so that a NaN never counts as converged.
        if (std::fabs(lambda - previous) < kConvergence) {
            converged = true;
            break;
        }
    }
    if (!converged) {
        return SphereDistance(from, to);
    }
    const double uSq = cosSqAlpha * (a * a - b * b) / (b * b);
    const double A = 1.0 + uSq / 16384.0 * (4096.0 + uSq * (-768.0 + uSq * (320.0 - 175.0 * uSq)));
    const double B = uSq / 1024.0 * (256.0 + uSq * (-128.0 + uSq * (74.0 - 47.0 * uSq)));
    const double deltaSigma =
        B * sinSigma
        * (cos2SigmaM
           + B / 4.0
                 * (cosSigma * (-1.0 + 2.0 * cos2SigmaM * cos2SigmaM)
                    - B / 6.0 * cos2SigmaM * (-3.0 + 4.0 * sinSigma * sinSigma) * (-3.0 + 4.0 * cos2SigmaM * cos2SigmaM)));
    const double s = b * A * (sigma - deltaSigma);
    return std::isfinite(s) ? s : SphereDistance(from, to);
}

double COSMCtrlGeodesic::SphereDistance(const COSMCtrlPosition& from, const COSMCtrlPosition& to)
{
    if (!Finite(from) || !Finite(to)) {
        return std::numeric_limits<double>::quiet_NaN();
    }
    const double phi1 = Radians(from.latitude);
    const double phi2 = Radians(to.latitude);
    const double dPhi = phi2 - phi1;
    const double dLambda = Radians(to.longitude - from.longitude);
    const double h = std::sin(dPhi / 2.0) * std::sin(dPhi / 2.0)
                     + std::cos(phi1) * std::cos(phi2) * std::sin(dLambda / 2.0) * std::sin(dLambda / 2.0);
    // Rounding can push h a hair outside [0, 1] for antipodal points.
    const double clamped = std::fmin(1.0, std::fmax(0.0, h));
    return 2.0 * std::atan2(std::sqrt(clamped), std::sqrt(1.0 - clamped)) * kSphereRadius;
}
