#include "image/PictureMetrics.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "image/Butteraugli.h"
#include "image/MultiScaleSsim.h"
#include "image/QualityFigures.h"
#include "platform/ParallelTasks.h"
#include "platform/VectorClones.h"

namespace tamr {

namespace {

constexpr int kWindow = 11;
constexpr int kHalf = kWindow / 2;
constexpr double kC1 = (0.01 * 255.0) * (0.01 * 255.0);
constexpr double kC2 = (0.03 * 255.0) * (0.03 * 255.0);
// Output rows of one task; any count gives the same sums, each row being summed on its own.
constexpr int kRowsPerTask = 8;

// The one-dimensional Gaussian (sigma 1.5) normalised to sum 1; the window's
// weights are its outer product, which sums to 1 as well.
std::array<double, kWindow> GaussianWeights()
{
    std::array<double, kWindow> weights{};
    double sum = 0;
    for (int k = 0; k < kWindow; ++k) {
        const double d = k - kHalf;
        weights[k] = std::exp(-(d * d) / (2.0 * 1.5 * 1.5));
        sum += weights[k];
    }
    for (double& w : weights)
        w /= sum;
    return weights;
}

// Weighted sums down one window column for every byte of a row: the means of
// x and y, of x^2 + y^2 and of x*y. (The two squares are summed together: SSIM
// needs only sigma_x^2 + sigma_y^2.) Each pair of rows the same distance from
// the middle is added in integers first, exactly.
struct ColumnSums {
    std::vector<double> x, y, squares, products;
    explicit ColumnSums(std::size_t n) : x(n), y(n), squares(n), products(n) {}
};

// Where the column sums of one row go.
struct ColumnOutputs {
    double* x;
    double* y;
    double* squares;
    double* products;
};

TAMR_VECTOR_CLONES void MiddleRowTerms(const std::uint8_t* __restrict xs, const std::uint8_t* __restrict ys, double w,
                                       std::size_t n, ColumnOutputs out)
{
    double* __restrict ox = out.x;
    double* __restrict oy = out.y;
    double* __restrict os = out.squares;
    double* __restrict op = out.products;
    for (std::size_t e = 0; e < n; ++e) {
        const int x = xs[e];
        const int y = ys[e];
        ox[e] = w * x;
        oy[e] = w * y;
        os[e] = w * (x * x + y * y);
        op[e] = w * (x * y);
    }
}

TAMR_VECTOR_CLONES void AddRowPairTerms(const std::uint8_t* __restrict xs0, const std::uint8_t* __restrict xs1,
                                        const std::uint8_t* __restrict ys0, const std::uint8_t* __restrict ys1,
                                        double w, std::size_t n, ColumnOutputs out)
{
    double* __restrict ox = out.x;
    double* __restrict oy = out.y;
    double* __restrict os = out.squares;
    double* __restrict op = out.products;
    for (std::size_t e = 0; e < n; ++e) {
        const int x0 = xs0[e];
        const int x1 = xs1[e];
        const int y0 = ys0[e];
        const int y1 = ys1[e];
        ox[e] += w * (x0 + x1);
        oy[e] += w * (y0 + y1);
        os[e] += w * ((x0 * x0 + x1 * x1) + (y0 * y0 + y1 * y1));
        op[e] += w * (x0 * y0 + x1 * y1);
    }
}

// The middle row's term, then one pass per pair of rows, so that every loop
// runs on vector registers.
void SumColumns(const std::array<const std::uint8_t*, kWindow>& a, const std::array<const std::uint8_t*, kWindow>& b,
                const std::array<double, kWindow>& g, std::size_t n, ColumnSums& sums)
{
    const ColumnOutputs out{sums.x.data(), sums.y.data(), sums.squares.data(), sums.products.data()};
    MiddleRowTerms(a[kHalf], b[kHalf], g[kHalf], n, out);
    for (int k = 0; k < kHalf; ++k)
        AddRowPairTerms(a[k], a[kWindow - 1 - k], b[k], b[kWindow - 1 - k], g[k], n, out);
}

// Weighted sums along the window rows over the column sums (neighbouring
// samples of a channel lie `step` bytes apart) and the SSIM of each window.
TAMR_VECTOR_CLONES void WindowSimilarities(const ColumnSums& columns, const std::array<double, kWindow>& g,
                                           std::size_t step, std::size_t n, double* __restrict out)
{
    const double* cx = columns.x.data();
    const double* cy = columns.y.data();
    const double* cs = columns.squares.data();
    const double* cp = columns.products.data();
    for (std::size_t e = 0; e < n; ++e) {
        const std::size_t m = e + kHalf * step;
        double mx = g[kHalf] * cx[m];
        double my = g[kHalf] * cy[m];
        double ms = g[kHalf] * cs[m];
        double mp = g[kHalf] * cp[m];
        for (int k = 0; k < kHalf; ++k) {
            const std::size_t i0 = e + static_cast<std::size_t>(k) * step;
            const std::size_t i1 = e + static_cast<std::size_t>(kWindow - 1 - k) * step;
            mx += g[k] * (cx[i0] + cx[i1]);
            my += g[k] * (cy[i0] + cy[i1]);
            ms += g[k] * (cs[i0] + cs[i1]);
            mp += g[k] * (cp[i0] + cp[i1]);
        }
        const double meanProduct = mx * my;
        const double meanSquares = mx * mx + my * my;
        const double covariance = mp - meanProduct;
        const double variances = ms - meanSquares;
        out[e] = ((2.0 * meanProduct + kC1) * (2.0 * covariance + kC2)) / ((meanSquares + kC1) * (variances + kC2));
    }
}

bool SamePictures(const ConstPixelView& a, const ConstPixelView& b, int bytesPerPixel)
{
    return (bytesPerPixel == 1 || bytesPerPixel == 3) && a.width == b.width && a.height == b.height &&
           a.rowPad == b.rowPad && HoldsAllRows(a, bytesPerPixel) && HoldsAllRows(b, bytesPerPixel);
}

// The squared luma differences of a row of pixels, each on its own, so that
// the loop runs on vector registers; the caller sums them in order.
TAMR_VECTOR_CLONES void ColourLumaErrors(const std::uint8_t* p, const std::uint8_t* q, std::size_t width,
                                         double* squares)
{
    for (std::size_t i = 0; i < width; ++i) {
        const double ya = 0.299 * p[3 * i + 2] + 0.587 * p[3 * i + 1] + 0.114 * p[3 * i];
        const double yb = 0.299 * q[3 * i + 2] + 0.587 * q[3 * i + 1] + 0.114 * q[3 * i];
        squares[i] = (ya - yb) * (ya - yb);
    }
}

TAMR_VECTOR_CLONES void GrayErrors(const std::uint8_t* p, const std::uint8_t* q, std::size_t width, double* squares)
{
    for (std::size_t i = 0; i < width; ++i) {
        const double d = static_cast<double>(p[i]) - static_cast<double>(q[i]);
        squares[i] = d * d;
    }
}

// Mean squared difference of luma over the picture, summed row by row.
double LumaMeanSquaredError(const ConstPixelView& a, const ConstPixelView& b, int bytesPerPixel)
{
    const std::size_t rowBytes = RowBytes(a, bytesPerPixel);
    const auto width = static_cast<std::size_t>(a.width);
    std::vector<double> squares(width);
    double total = 0;
    for (int row = 0; row < a.height; ++row) {
        const std::uint8_t* p = a.bytes.data() + static_cast<std::size_t>(row) * rowBytes;
        const std::uint8_t* q = b.bytes.data() + static_cast<std::size_t>(row) * rowBytes;
        (bytesPerPixel == 3 ? ColourLumaErrors : GrayErrors)(p, q, width, squares.data());
        double sum = 0;
        for (const double square : squares)
            sum += square;
        total += sum;
    }
    return total / (static_cast<double>(a.width) * static_cast<double>(a.height));
}

} // namespace

std::optional<double> StructuralSimilarity(ConstPixelView original, ConstPixelView decoded, int bytesPerPixel,
                                           int threads)
{
    if (!SamePictures(original, decoded, bytesPerPixel) || original.width < kWindow || original.height < kWindow)
        return std::nullopt;
    const auto g = GaussianWeights();
    const auto step = static_cast<std::size_t>(bytesPerPixel);
    const std::size_t rowBytes = RowBytes(original, bytesPerPixel);
    const std::size_t rowSamples = static_cast<std::size_t>(original.width) * step;
    const std::size_t windowSamples = static_cast<std::size_t>(original.width - (kWindow - 1)) * step;
    const int outputRows = original.height - (kWindow - 1);

    // Per output row and channel, the sum of its windows' SSIM; added up in
    // row order afterwards, so the result never depends on the threads.
    std::vector<double> rowSums(static_cast<std::size_t>(outputRows) * step);
    const std::size_t tasks = (static_cast<std::size_t>(outputRows) + kRowsPerTask - 1) / kRowsPerTask;
    RunTasks(ResolveThreadCount(threads), tasks, [&](std::size_t task) {
        ColumnSums columns(rowSamples);
        std::vector<double> similarities(windowSamples);
        const int first = static_cast<int>(task) * kRowsPerTask;
        const int last = std::min(outputRows, first + kRowsPerTask);
        for (int row = first; row < last; ++row) {
            std::array<const std::uint8_t*, kWindow> a{};
            std::array<const std::uint8_t*, kWindow> b{};
            for (int k = 0; k < kWindow; ++k) {
                const std::size_t offset = static_cast<std::size_t>(row + k) * rowBytes;
                a[k] = original.bytes.data() + offset;
                b[k] = decoded.bytes.data() + offset;
            }
            SumColumns(a, b, g, rowSamples, columns);
            WindowSimilarities(columns, g, step, windowSamples, similarities.data());
            for (std::size_t c = 0; c < step; ++c) {
                double sum = 0;
                for (std::size_t e = c; e < windowSamples; e += step)
                    sum += similarities[e];
                rowSums[static_cast<std::size_t>(row) * step + c] = sum;
            }
        }
    });

    const double positions = static_cast<double>(outputRows) * static_cast<double>(original.width - (kWindow - 1));
    double channelMeans = 0;
    for (std::size_t c = 0; c < step; ++c) {
        double sum = 0;
        for (int row = 0; row < outputRows; ++row)
            sum += rowSums[static_cast<std::size_t>(row) * step + c];
        channelMeans += sum / positions;
    }
    return channelMeans / static_cast<double>(step);
}

PictureMetrics MeasurePictures(ConstPixelView original, ConstPixelView decoded, int bytesPerPixel, int threads,
                               const MetricChoice& choice)
{
    PictureMetrics metrics;
    if (!SamePictures(original, decoded, bytesPerPixel) || original.width == 0 || original.height == 0)
        return metrics;
    const QualityFigures figures = MeasureDifferences(original, decoded, bytesPerPixel);
    metrics.meanSquaredError = figures.meanSquaredError;
    metrics.psnr = figures.psnr;
    metrics.psnrRgb = 10.0 * std::log10(255.0 * 255.0 / figures.pooledSquaredError);
    metrics.largestDifference = figures.largestDifference;
    metrics.psnrY = 10.0 * std::log10(255.0 * 255.0 / LumaMeanSquaredError(original, decoded, bytesPerPixel));
    // The multi-scale figure's first scale gives SSIM on the way.
    if (choice.msSsim) {
        if (const auto figures = MultiScaleAndPlainSimilarity(original, decoded, bytesPerPixel, threads)) {
            metrics.msSsim = figures->msSsim;
            if (choice.ssim)
                metrics.ssim = figures->ssim;
        }
    }
    if (choice.ssim && !metrics.ssim)
        metrics.ssim = StructuralSimilarity(original, decoded, bytesPerPixel, threads);
    if (choice.butteraugli) {
        if (const auto butteraugli = MeasureButteraugli(original, decoded, bytesPerPixel, false)) {
            metrics.butteraugli = butteraugli->distance;
            metrics.butteraugliMax = butteraugli->maxDistance;
        }
    }
    return metrics;
}

PictureMetrics MeasurePictures(ConstPixelView original, ConstPixelView decoded, int bytesPerPixel, int threads)
{
    return MeasurePictures(original, decoded, bytesPerPixel, threads, MetricChoice{});
}

PictureMetrics MeasurePictures(ConstPixelView original, ConstPixelView decoded, int bytesPerPixel)
{
    return MeasurePictures(original, decoded, bytesPerPixel, 0);
}

} // namespace tamr
