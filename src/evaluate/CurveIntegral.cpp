#include "evaluate/CurveIntegral.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace tamr {
namespace {

std::vector<double> Secants(std::span<const CurvePoint> points)
{
    std::vector<double> secants(points.size() - 1);
    for (std::size_t i = 0; i + 1 < points.size(); ++i)
        secants[i] = (points[i + 1].y - points[i].y) / (points[i + 1].x - points[i].x);
    return secants;
}

// Akima: each slope weighs the secants on either side by how much the
// secants beyond them differ; two secants are added past each end, each
// continuing the change of the last two.
std::vector<double> AkimaSlopes(std::span<const CurvePoint> points)
{
    const std::vector<double> secants = Secants(points);
    const std::size_t n = points.size();
    if (n == 2)
        return {secants[0], secants[0]};
    // extended[k + 2] is secant k; two more on either side.
    std::vector<double> extended(n + 3);
    std::copy(secants.begin(), secants.end(), extended.begin() + 2);
    extended[1] = 2 * extended[2] - extended[3];
    extended[0] = 2 * extended[1] - extended[2];
    extended[n + 1] = 2 * extended[n] - extended[n - 1];
    extended[n + 2] = 2 * extended[n + 1] - extended[n];
    std::vector<double> slopes(n);
    for (std::size_t i = 0; i < n; ++i) {
        const double before = extended[i + 1];
        const double after = extended[i + 2];
        const double weightBefore = std::abs(extended[i + 3] - after);
        const double weightAfter = std::abs(before - extended[i]);
        slopes[i] = weightBefore + weightAfter == 0
                        ? 0.5 * (before + after)
                        : (weightBefore * before + weightAfter * after) / (weightBefore + weightAfter);
    }
    return slopes;
}

double Sign(double value)
{
    return value > 0 ? 1 : value < 0 ? -1 : 0;
}

// The slope at an end from the first two intervals, kept monotone.
double PchipEndSlope(double width0, double width1, double secant0, double secant1)
{
    const double slope = ((2 * width0 + width1) * secant0 - width0 * secant1) / (width0 + width1);
    if (Sign(slope) != Sign(secant0))
        return 0;
    if (Sign(secant0) != Sign(secant1) && std::abs(slope) > std::abs(3 * secant0))
        return 3 * secant0;
    return slope;
}

std::vector<double> PchipSlopes(std::span<const CurvePoint> points)
{
    const std::vector<double> secants = Secants(points);
    const std::size_t n = points.size();
    if (n == 2)
        return {secants[0], secants[0]};
    std::vector<double> slopes(n);
    for (std::size_t k = 1; k + 1 < n; ++k) {
        // A turn or a flat side makes the point an extremum: slope 0.
        if (secants[k - 1] * secants[k] <= 0)
            continue;
        const double widthBefore = points[k].x - points[k - 1].x;
        const double widthAfter = points[k + 1].x - points[k].x;
        const double weightBefore = 2 * widthAfter + widthBefore;
        const double weightAfter = widthAfter + 2 * widthBefore;
        slopes[k] = (weightBefore + weightAfter) / (weightBefore / secants[k - 1] + weightAfter / secants[k]);
    }
    slopes[0] = PchipEndSlope(points[1].x - points[0].x, points[2].x - points[1].x, secants[0], secants[1]);
    slopes[n - 1] = PchipEndSlope(points[n - 1].x - points[n - 2].x, points[n - 2].x - points[n - 3].x, secants[n - 2],
                                  secants[n - 3]);
    return slopes;
}

// The integral from the start of the interval to `s` times its width
// (0 <= s <= 1) of the cubic Hermite piece through (y0, d0) and (y1, d1).
double HermitePieceIntegral(double s, double width, double y0, double d0, double y1, double d1)
{
    const double s2 = s * s;
    const double s3 = s2 * s;
    const double s4 = s3 * s;
    const double h00 = s - s3 + s4 / 2;
    const double h10 = s2 / 2 - 2 * s3 / 3 + s4 / 4;
    const double h01 = s3 - s4 / 2;
    const double h11 = -s3 / 3 + s4 / 4;
    return width * (h00 * y0 + h10 * width * d0 + h01 * y1 + h11 * width * d1);
}

double IntegrateHermite(std::span<const CurvePoint> points, const std::vector<double>& slopes, double from, double to)
{
    double sum = 0;
    for (std::size_t i = 0; i + 1 < points.size(); ++i) {
        const double low = std::max(from, points[i].x);
        const double high = std::min(to, points[i + 1].x);
        if (high <= low)
            continue;
        const double width = points[i + 1].x - points[i].x;
        const auto piece = [&](double x) {
            return HermitePieceIntegral((x - points[i].x) / width, width, points[i].y, slopes[i], points[i + 1].y,
                                        slopes[i + 1]);
        };
        sum += piece(high) - piece(low);
    }
    return sum;
}

// Least squares of degree 3 in x moved and scaled to [-1, 1], where the
// powers stay well apart (in plain x near 40 dB they are nearly dependent
// and the normal equations lose digits); solved by modified Gram-Schmidt.
// The coefficients of t^0 to t^3.
std::array<double, 4> FitCubic(std::span<const CurvePoint> points, double centre, double scale)
{
    constexpr std::size_t kTerms = 4;
    const std::size_t n = points.size();
    std::array<std::vector<double>, kTerms> q;
    for (std::size_t j = 0; j < kTerms; ++j) {
        q[j].resize(n);
        for (std::size_t i = 0; i < n; ++i)
            q[j][i] = std::pow((points[i].x - centre) / scale, static_cast<double>(j));
    }
    std::array<std::array<double, kTerms>, kTerms> r{};
    for (std::size_t j = 0; j < kTerms; ++j) {
        for (std::size_t k = 0; k < j; ++k) {
            double dot = 0;
            for (std::size_t i = 0; i < n; ++i)
                dot += q[k][i] * q[j][i];
            r[k][j] = dot;
            for (std::size_t i = 0; i < n; ++i)
                q[j][i] -= dot * q[k][i];
        }
        double norm = 0;
        for (std::size_t i = 0; i < n; ++i)
            norm += q[j][i] * q[j][i];
        norm = std::sqrt(norm);
        r[j][j] = norm;
        for (std::size_t i = 0; i < n; ++i)
            q[j][i] /= norm;
    }
    std::array<double, kTerms> qty{};
    for (std::size_t j = 0; j < kTerms; ++j)
        for (std::size_t i = 0; i < n; ++i)
            qty[j] += q[j][i] * points[i].y;
    std::array<double, kTerms> coefficients{};
    for (std::size_t j = kTerms; j-- > 0;) {
        double value = qty[j];
        for (std::size_t k = j + 1; k < kTerms; ++k)
            value -= r[j][k] * coefficients[k];
        coefficients[j] = value / r[j][j];
    }
    return coefficients;
}

double IntegrateCubic(std::span<const CurvePoint> points, double from, double to)
{
    const double centre = (points.front().x + points.back().x) / 2;
    const double scale = (points.back().x - points.front().x) / 2;
    const std::array<double, 4> a = FitCubic(points, centre, scale);
    const auto antiderivative = [&](double x) {
        const double t = (x - centre) / scale;
        return scale * t * (a[0] + t * (a[1] / 2 + t * (a[2] / 3 + t * a[3] / 4)));
    };
    return antiderivative(to) - antiderivative(from);
}

} // namespace

std::size_t FewestPoints(CurveFit fit)
{
    return fit == CurveFit::Cubic ? 4 : 2;
}

std::vector<double> HermiteSlopes(std::span<const CurvePoint> points, CurveFit fit)
{
    return fit == CurveFit::Akima ? AkimaSlopes(points) : PchipSlopes(points);
}

double IntegrateCurve(std::span<const CurvePoint> points, CurveFit fit, double from, double to)
{
    if (fit == CurveFit::Cubic)
        return IntegrateCubic(points, from, to);
    return IntegrateHermite(points, HermiteSlopes(points, fit), from, to);
}

} // namespace tamr
