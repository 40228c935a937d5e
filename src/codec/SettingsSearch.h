#pragma once
// The optimising encoder's search: settings the format can carry, chosen for
// the best figure within a file size, or for the smallest file reaching a
// figure. It walks two families of settings (the quality factor's first)
// along the quality, finding each family's boundary in a handful of encodes
// by interpolation, measures each family's candidate once, and keeps the
// better. The quality factor's own candidate is always among them, so the
// result is never worse than the quality factor at the same target. The
// search is plain arithmetic on the trials' results: the same trials give
// the same choice on every machine.

#include <cstddef>
#include <functional>
#include <optional>
#include <string_view>
#include <vector>

#include "codec/CodecSettings.h"
#include "codec/SettingsVariant.h"

namespace tamr {

inline constexpr std::string_view kOptimiseUnreachable = "no wavelet settings reach the target";
inline constexpr std::string_view kOptimiseCodingFailed = "a trial compression failed";

// The figure a search maximises, or must reach.
enum class SearchFigure { Psnr, PsnrY, Ssim };

struct SearchGoal {
    std::optional<std::size_t> bytes; // the best figure in a file of at most this many bytes ...
    std::optional<double> figure;     // ... or the smallest file whose figure reaches this
    SearchFigure measure = SearchFigure::Psnr;
};

struct TrialFigures {
    std::size_t bytes = 0; // the whole COD file
    double figure = 0;     // the goal's figure of the decoded picture
};

// How the search tries settings: the file size alone (one encode), or the
// size and the figure (an encode, a decode and a measurement). Nothing when
// the coding failed.
struct SearchTrials {
    std::function<std::optional<std::size_t>(const CodecSettings&)> size;
    std::function<std::optional<TrialFigures>(const CodecSettings&)> measure;
};

struct SearchCandidate {
    SettingsVariant variant;
    int quality = 0;        // of the quality factor's vectors the variant reshapes
    int discardQuality = 0; // of the quality factor's discard levels it starts from
    TrialFigures figures;
};

enum class SearchFailure { None, Unreachable, CodingFailed };

struct SearchOutcome {
    SearchFailure failure = SearchFailure::None;
    CodecSettings settings;                  // the chosen settings
    SearchCandidate chosen;                  // what they are made of, and their figures
    SearchCandidate qualityFactor;           // the quality factor's own candidate
    std::vector<SearchCandidate> candidates; // every family's candidate, the quality factor's first
    int encodes = 0;                         // size trials
    int measures = 0;                        // trials with a decode and a measurement

    bool Failed() const { return failure != SearchFailure::None; }
};

// The family searched after the quality factor's, whose candidate is at
// `seedQuality`, and the quality its walk starts from.
struct SearchedFamily {
    SettingsVariant variant;
    int start = 0;
};
SearchedFamily SearchedVariant(int seedQuality);

// `base` gives the levels, threads and magic; exactly one of the goal's
// bytes and figure is set.
SearchOutcome SearchSettings(const CodecSettings& base, const SearchGoal& goal, const SearchTrials& trials);

} // namespace tamr
