#include "image/WindowSimilarity.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <functional>
#include <optional>

#include "platform/ParallelTasks.h"
#include "platform/VectorClones.h"

namespace tamr {
namespace {

constexpr int kWindow = kSimilarityWindow;
constexpr int kHalf = kWindow / 2;
constexpr double kC1 = (0.01 * 255.0) * (0.01 * 255.0);
constexpr double kC2 = (0.03 * 255.0) * (0.03 * 255.0);
// Output rows of one task; any count gives the same sums.
constexpr int kRowsPerTask = 8;
// A task over a picture's rows makes the rows it reads itself, ten more than
// its output rows: the more output rows a task has, the smaller that share.
constexpr int kPictureRowsPerTask = 40;
// Columns whose window sums (four doubles each) are made together.
constexpr std::size_t kColumnChunk = 512;

using Weights = std::array<double, kWindow>;

Weights GaussianWeights()
{
    Weights weights{};
    double sum = 0;
    for (int k = 0; k < kWindow; ++k) {
        const double d = k - kHalf;
        weights[static_cast<std::size_t>(k)] = std::exp(-(d * d) / (2.0 * 1.5 * 1.5));
        sum += weights[static_cast<std::size_t>(k)];
    }
    for (double& w : weights)
        w /= sum;
    return weights;
}

// Weighted sums down one window column for every sample of a row: of x, of
// y, of x^2 + y^2 (only sigma_x^2 + sigma_y^2 is ever needed) and of x*y.
// The products of two floats are exact in double.
struct ColumnSums {
    std::vector<double> x, y, squares, products;
    explicit ColumnSums(std::size_t n) : x(n), y(n), squares(n), products(n) {}
};

struct ColumnOutputs {
    double* x;
    double* y;
    double* squares;
    double* products;
};

TAMR_VECTOR_CLONES void MiddleRowTerms(const float* __restrict xs, const float* __restrict ys, double w, std::size_t n,
                                       ColumnOutputs out)
{
    double* __restrict ox = out.x;
    double* __restrict oy = out.y;
    double* __restrict os = out.squares;
    double* __restrict op = out.products;
    for (std::size_t e = 0; e < n; ++e) {
        const double x = xs[e];
        const double y = ys[e];
        ox[e] = w * x;
        oy[e] = w * y;
        os[e] = w * (x * x + y * y);
        op[e] = w * (x * y);
    }
}

TAMR_VECTOR_CLONES void AddRowPairTerms(const float* __restrict xs0, const float* __restrict xs1,
                                        const float* __restrict ys0, const float* __restrict ys1, double w,
                                        std::size_t n, ColumnOutputs out)
{
    double* __restrict ox = out.x;
    double* __restrict oy = out.y;
    double* __restrict os = out.squares;
    double* __restrict op = out.products;
    for (std::size_t e = 0; e < n; ++e) {
        const double x0 = xs0[e];
        const double x1 = xs1[e];
        const double y0 = ys0[e];
        const double y1 = ys1[e];
        ox[e] += w * (x0 + x1);
        oy[e] += w * (y0 + y1);
        os[e] += w * ((x0 * x0 + x1 * x1) + (y0 * y0 + y1 * y1));
        op[e] += w * (x0 * y0 + x1 * y1);
    }
}

// The local means along the window row over the column sums.
struct WindowMoments {
    double x, y, squares, products;
};

inline WindowMoments RowMoments(const ColumnSums& columns, const Weights& g, std::size_t e)
{
    const std::size_t m = e + kHalf;
    WindowMoments moments{g[kHalf] * columns.x[m], g[kHalf] * columns.y[m], g[kHalf] * columns.squares[m],
                          g[kHalf] * columns.products[m]};
    for (std::size_t k = 0; k < kHalf; ++k) {
        const std::size_t i0 = e + k;
        const std::size_t i1 = e + (kWindow - 1 - k);
        moments.x += g[k] * (columns.x[i0] + columns.x[i1]);
        moments.y += g[k] * (columns.y[i0] + columns.y[i1]);
        moments.squares += g[k] * (columns.squares[i0] + columns.squares[i1]);
        moments.products += g[k] * (columns.products[i0] + columns.products[i1]);
    }
    return moments;
}

// A window's SSIM and its contrast-structure term, from its moments.
struct WindowTerms {
    double full;
    double contrastStructure;
};

inline WindowTerms TermsOf(const WindowMoments& m)
{
    const double meanProduct = m.x * m.y;
    const double meanSquares = m.x * m.x + m.y * m.y;
    const double covariance = m.products - meanProduct;
    const double variances = m.squares - meanSquares;
    return {((2.0 * meanProduct + kC1) * (2.0 * covariance + kC2)) / ((meanSquares + kC1) * (variances + kC2)),
            (2.0 * covariance + kC2) / (variances + kC2)};
}

TAMR_VECTOR_CLONES void FullSimilarities(const ColumnSums& columns, const Weights& g, std::size_t n,
                                         double* __restrict out)
{
    for (std::size_t e = 0; e < n; ++e)
        out[e] = TermsOf(RowMoments(columns, g, e)).full;
}

TAMR_VECTOR_CLONES void ContrastStructures(const ColumnSums& columns, const Weights& g, std::size_t n,
                                           double* __restrict out)
{
    for (std::size_t e = 0; e < n; ++e)
        out[e] = TermsOf(RowMoments(columns, g, e)).contrastStructure;
}

TAMR_VECTOR_CLONES void BothTerms(const ColumnSums& columns, const Weights& g, std::size_t n, double* __restrict full,
                                  double* __restrict contrastStructure)
{
    for (std::size_t e = 0; e < n; ++e) {
        const WindowTerms terms = TermsOf(RowMoments(columns, g, e));
        full[e] = terms.full;
        contrastStructure[e] = terms.contrastStructure;
    }
}

// The rows a task reads of a whole plane: the plane's own.
struct PlaneRows {
    const SamplePlane& plane;
    int Width() const { return plane.width; }
    int Height() const { return plane.height; }
    // Rows [first, end) are about to be read.
    void Load(int /*first*/, int /*end*/) {}
    const float* Row(int y) const { return plane.Row(y); }
};

// The rows a task reads of one channel of a picture, made when the task
// starts: no plane of the whole channel is ever held.
struct PictureChannelRows {
    ConstPixelView view;
    int bytesPerPixel;
    int channel;
    std::vector<float> rows{};
    int first = 0;

    int Width() const { return view.width; }
    int Height() const { return view.height; }
    void Load(int from, int end)
    {
        const auto width = static_cast<std::size_t>(view.width);
        rows.resize(static_cast<std::size_t>(end - from) * width);
        first = from;
        for (int y = from; y < end; ++y)
            ChannelRow(view, bytesPerPixel, channel, y,
                       {rows.data() + static_cast<std::size_t>(y - from) * width, width});
    }
    const float* Row(int y) const
    {
        return rows.data() + static_cast<std::size_t>(y - first) * static_cast<std::size_t>(view.width);
    }
};

// Calls `row(y, values)` with the term of every position of output row y,
// for each output row, on up to `threads` threads; with both terms, `values`
// holds the positions' SSIM and then their contrast-structure terms. A task
// of `rowsPerTask` output rows loads the rows it reads first.
template <typename Rows>
void ForEachOutputRow(const Rows& a, const Rows& b, std::optional<SimilarityTerm> term, int threads, int rowsPerTask,
                      const std::function<void(int, const std::vector<double>&)>& row)
{
    const Weights g = GaussianWeights();
    const auto width = static_cast<std::size_t>(a.Width());
    const std::size_t positions = width - (kWindow - 1);
    const int outputRows = a.Height() - (kWindow - 1);
    const std::size_t tasks =
        (static_cast<std::size_t>(outputRows) + static_cast<std::size_t>(rowsPerTask) - 1) / rowsPerTask;
    RunTasks(ResolveThreadCount(threads), tasks, [&](std::size_t task) {
        ColumnSums columns(width);
        const ColumnOutputs out{columns.x.data(), columns.y.data(), columns.squares.data(), columns.products.data()};
        std::vector<double> values(term ? positions : 2 * positions);
        const int first = static_cast<int>(task) * rowsPerTask;
        const int last = std::min(outputRows, first + rowsPerTask);
        Rows taskA = a;
        Rows taskB = b;
        taskA.Load(first, last + kWindow - 1);
        taskB.Load(first, last + kWindow - 1);
        for (int y = first; y < last; ++y) {
            // A chunk of columns at a time, so that the sums stay in the
            // first-level cache through the window's rows.
            for (std::size_t c = 0; c < width; c += kColumnChunk) {
                const std::size_t n = std::min(kColumnChunk, width - c);
                const ColumnOutputs chunk{out.x + c, out.y + c, out.squares + c, out.products + c};
                MiddleRowTerms(taskA.Row(y + kHalf) + c, taskB.Row(y + kHalf) + c, g[kHalf], n, chunk);
                for (int k = 0; k < kHalf; ++k)
                    AddRowPairTerms(taskA.Row(y + k) + c, taskA.Row(y + kWindow - 1 - k) + c, taskB.Row(y + k) + c,
                                    taskB.Row(y + kWindow - 1 - k) + c, g[static_cast<std::size_t>(k)], n, chunk);
            }
            if (!term)
                BothTerms(columns, g, positions, values.data(), values.data() + positions);
            else if (*term == SimilarityTerm::Full)
                FullSimilarities(columns, g, positions, values.data());
            else
                ContrastStructures(columns, g, positions, values.data());
            row(y, values);
        }
    });
}

bool Measurable(const SamplePlane& a, const SamplePlane& b)
{
    return a.width == b.width && a.height == b.height && a.width >= kWindow && a.height >= kWindow;
}

} // namespace

double MeanWindowSimilarity(const SamplePlane& a, const SamplePlane& b, SimilarityTerm term, int threads)
{
    if (!Measurable(a, b))
        return 0;
    const int outputRows = a.height - (kWindow - 1);
    std::vector<double> rowSums(static_cast<std::size_t>(outputRows));
    ForEachOutputRow(PlaneRows{a}, PlaneRows{b}, term, threads, kRowsPerTask,
                     [&](int y, const std::vector<double>& values) {
                         double sum = 0;
                         for (const double value : values)
                             sum += value;
                         rowSums[static_cast<std::size_t>(y)] = sum;
                     });
    double total = 0;
    for (const double sum : rowSums)
        total += sum;
    return total / (static_cast<double>(outputRows) * static_cast<double>(a.width - (kWindow - 1)));
}

WindowSimilarityMeans MeanWindowSimilarities(ConstPixelView a, ConstPixelView b, int bytesPerPixel, int channel,
                                             int threads)
{
    if (a.width != b.width || a.height != b.height || a.width < kWindow || a.height < kWindow)
        return {};
    const int outputRows = a.height - (kWindow - 1);
    const auto positions = static_cast<std::size_t>(a.width - (kWindow - 1));
    std::vector<double> fullSums(static_cast<std::size_t>(outputRows));
    std::vector<double> contrastSums(static_cast<std::size_t>(outputRows));
    ForEachOutputRow(PictureChannelRows{a, bytesPerPixel, channel}, PictureChannelRows{b, bytesPerPixel, channel},
                     std::nullopt, threads, kPictureRowsPerTask, [&](int y, const std::vector<double>& values) {
                         // Two sums in one loop run side by side, each in its own order.
                         double full = 0;
                         double contrast = 0;
                         for (std::size_t e = 0; e < positions; ++e) {
                             full += values[e];
                             contrast += values[positions + e];
                         }
                         fullSums[static_cast<std::size_t>(y)] = full;
                         contrastSums[static_cast<std::size_t>(y)] = contrast;
                     });
    double full = 0;
    for (auto sum = fullSums.rbegin(); sum != fullSums.rend(); ++sum)
        full += *sum;
    double contrast = 0;
    for (const double sum : contrastSums)
        contrast += sum;
    const double count = static_cast<double>(outputRows) * static_cast<double>(positions);
    return {full / count, contrast / count};
}

bool AddWindowSimilarityMap(ConstPixelView a, ConstPixelView b, int bytesPerPixel, int channel, int threads,
                            std::span<double> map)
{
    if (a.width != b.width || a.height != b.height || a.width < kWindow || a.height < kWindow)
        return false;
    const auto positions = static_cast<std::size_t>(a.width - (kWindow - 1));
    if (map.size() != positions * static_cast<std::size_t>(a.height - (kWindow - 1)))
        return false;
    ForEachOutputRow(PictureChannelRows{a, bytesPerPixel, channel}, PictureChannelRows{b, bytesPerPixel, channel},
                     SimilarityTerm::Full, threads, kPictureRowsPerTask, [&](int y, const std::vector<double>& values) {
                         double* row = map.data() + positions * static_cast<std::size_t>(y);
                         for (std::size_t e = 0; e < positions; ++e)
                             row[e] += values[e];
                     });
    return true;
}

} // namespace tamr
