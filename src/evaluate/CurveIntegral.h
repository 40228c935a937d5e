#pragma once
// A curve through measured points, y as a function of x, and its integral:
// piecewise cubic Hermite with Akima's or the monotone (PCHIP) slopes, or one
// cubic polynomial fitted by least squares.

#include <span>
#include <vector>

namespace tamr {

enum class CurveFit {
    Akima, // piecewise cubic, slopes by Akima (1970), ends extended linearly in slope
    Pchip, // piecewise cubic, monotone slopes (Fritsch and Butland's harmonic mean)
    Cubic, // one polynomial of degree 3, least squares over every point
};

struct CurvePoint {
    double x = 0;
    double y = 0;
};

// The fewest points a fit takes: 2 for the piecewise ones, 4 for the polynomial.
std::size_t FewestPoints(CurveFit fit);

// The integral over [from, to] of the curve through `points`, whose x are
// strictly increasing and at least FewestPoints(fit) many. [from, to] lies
// within the points' x.
double IntegrateCurve(std::span<const CurvePoint> points, CurveFit fit, double from, double to);

// The slopes a piecewise fit gives the curve at each point (for tests and plots).
std::vector<double> HermiteSlopes(std::span<const CurvePoint> points, CurveFit fit);

} // namespace tamr
