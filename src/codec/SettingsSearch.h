#pragma once
// The optimising encoder's search: settings the format can carry, chosen for
// the best figure within a file size, or for the smallest file reaching a
// figure. It walks two families of settings, finding each family's boundary
// in a handful of encodes by interpolation, measures each family's candidate
// once, and keeps the better: first the quality factor's along the quality,
// then the equal-slope family along its step, each band's quantiser set
// from the band ranges the coder met and what an error in the band costs in
// the picture. The quality factor's own candidate is always among them, so the
// result is never worse than the quality factor at the same target. The
// search is plain arithmetic on the trials' results: the same trials give
// the same choice on every machine.

#include <array>
#include <cstddef>
#include <functional>
#include <optional>
#include <string_view>
#include <vector>

#include "codec/CodecSettings.h"
#include "codec/EqualSlope.h"
#include "codec/SettingsVariant.h"

namespace tamr {

inline constexpr std::string_view kOptimiseUnreachable = "no wavelet settings reach the target";
inline constexpr std::string_view kOptimiseCodingFailed = "a trial compression failed";
inline constexpr std::string_view kOptimiseStopped = "the search was stopped";

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

// How a caller follows a search and stops it: `progress` after every trial
// (trials made, the most the search makes), `stopRequested` asked before
// each one.
struct SearchControl {
    std::function<void(int done, int most)> progress;
    std::function<bool()> stopRequested;
};

// How the search tries settings: the file size alone (one encode), or the
// size and the figure (an encode, a decode and a measurement). Nothing when
// the coding failed.
struct SearchTrials {
    std::function<std::optional<std::size_t>(const CodecSettings&)> size;
    std::function<std::optional<TrialFigures>(const CodecSettings&)> measure;
    // The band ranges the coder met in the trials so far (settings without
    // sampled levels); none when it has not been asked.
    std::function<BandRanges()> ranges;
    // What a unit squared error of each component costs in the figure; 0 for
    // a component the picture does not have.
    std::array<double, kComponentCount> componentEnergy{1.0, 0.0, 0.0};
    SearchControl control;
};

// The families a candidate comes from.
enum class SearchFamily { QualityFactor, EqualSlope };

struct SearchCandidate {
    SearchFamily family = SearchFamily::QualityFactor;
    int slopeKnob = 0;      // the weighted step of the equal-slope family (StepOfKnob)
    int quality = 0;        // of the quality factor's settings the candidate starts from
    int discardQuality = 0; // of the quality factor's discard levels
    TrialFigures figures;
};

enum class SearchFailure { None, Unreachable, CodingFailed, Stopped };

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

// `base` gives the levels, threads and magic; exactly one of the goal's
// bytes and figure is set.
SearchOutcome SearchSettings(const CodecSettings& base, const SearchGoal& goal, const SearchTrials& trials);

} // namespace tamr
