#include "codec/SettingsSearch.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <functional>
#include <map>
#include <utility>
#include <vector>

namespace tamr {
namespace {

constexpr int kHighestQuality = 99; // 100 is lossless coding, which has no vectors to search
// The quality factor's candidate must be its own exact boundary; the
// equal-slope family's need only come close to the size, and costs fewer encodes.
constexpr int kProbesOfQualityFactor = 8;
constexpr double kCloseLogSize = 0.015; // within 1.5 % below the size
constexpr double kCloseDecibels = 0.05;
constexpr double kCloseSsim = 0.0005;
// Before a family's slope is known: the change per quality step of the log
// of the size, and of the figures, typical of photographs at middle qualities.
constexpr double kLogSizePerStep = 0.03;
constexpr double kDecibelsPerStep = 0.12;
constexpr double kSsimPerStep = 0.002;
// The equal-slope family's knob: steps from 1024 down to 1/4.
constexpr int kSlopeLowestKnob = -320;
constexpr int kSlopeHighestKnob = 64;
constexpr int kProbesOfEqualSlope = 6;
// Each walk's probes and each family's measured candidate.
constexpr int kMostTrials = kProbesOfQualityFactor + kProbesOfEqualSlope + 2;
// The same typical changes per knob of the equal-slope family (a 32nd of an
// octave of its step).
constexpr double kLogSizePerKnob = 0.03;
constexpr double kDecibelsPerKnob = 0.15;
constexpr double kSsimPerKnob = 0.0015;

// Asked before every trial: a stop ends the search with nothing chosen.
bool StopRequested(const SearchTrials& trials, SearchOutcome& outcome)
{
    if (!trials.control.stopRequested || !trials.control.stopRequested())
        return false;
    outcome.failure = SearchFailure::Stopped;
    return true;
}

void ReportProgress(const SearchTrials& trials, const SearchOutcome& outcome)
{
    if (trials.control.progress)
        trials.control.progress(std::min(outcome.encodes + outcome.measures, kMostTrials), kMostTrials);
}

// One family walked along its rate knob (the quality, or the equal-slope family's step), for the knob at the goal's
// boundary. The value walked is the log of the size for a size goal and the figure itself for a figure goal; it grows
// with the knob.
class FamilyWalk {
public:
    using SettingsAt = std::function<CodecSettings(int knob)>;

    FamilyWalk(SettingsAt settingsAt, int lowest, int highest, const SearchGoal& goal, const SearchTrials& trials,
               SearchOutcome& outcome)
        : settingsAt_(std::move(settingsAt)), lowest_(lowest), highest_(highest), goal_(goal), trials_(trials),
          outcome_(outcome), below_(lowest - 1), above_(highest + 1)
    {
    }

    // Interpolates within a bracket, steps by the slope (the secant of the
    // last two probes once there are two) outside one. `exact` walks until
    // the bracket closes; otherwise a knob close enough to the target ends it.
    bool Walk(int start, double slope, bool exact)
    {
        const double target = Target();
        int knob = std::clamp(start, lowest_, highest_);
        int lastSide = 0;
        int sameSide = 0;
        std::optional<std::pair<int, double>> previous;
        const int probes = exact ? kProbesOfQualityFactor : kProbesOfEqualSlope;
        for (int probe = 0; probe < probes; ++probe) {
            const int probed = knob;
            const auto value = Value(probed);
            if (!value)
                return false;
            const bool under = Under(*value);
            const int side = under ? -1 : 1;
            sameSide = side == lastSide ? sameSide + 1 : 0;
            lastSide = side;
            (under ? below_ : above_) = probed;
            if (above_ == below_ + 1 || (!exact && CloseEnough(*value)))
                break;
            if (below_ >= lowest_ && above_ <= highest_) {
                const double low = values_.at(below_);
                const double high = values_.at(above_);
                // Interpolated, but halved when one end has stuck twice, so
                // that a bent curve cannot keep the bracket from closing. A
                // walk that need only come close keeps interpolating: a
                // halving of a wide bracket would throw its closeness away.
                const double fraction = high > low ? (target - low) / (high - low) : 0.5;
                const int next = exact && sameSide >= 1
                                     ? (below_ + above_) / 2
                                     : below_ + static_cast<int>(std::lround(fraction * (above_ - below_)));
                knob = std::clamp(next, below_ + 1, above_ - 1);
            } else {
                double local = slope;
                if (previous && previous->first != probed) {
                    const double secant = (*value - previous->second) / (probed - previous->first);
                    if (secant > 0)
                        // Where quantisers reach their limit the size hardly
                        // moves: a close walk trusts the secant only so far.
                        local = exact ? secant : std::clamp(secant, slope / 3, slope * 3);
                }
                const double steps = (target - *value) / local;
                // Aim just past the boundary, so that the next probe closes a bracket.
                const int step = static_cast<int>(under ? std::ceil(steps + 0.5) : std::floor(steps - 0.5));
                knob = std::clamp(probed + (under ? std::max(step, 1) : std::min(step, -1)), lowest_, highest_);
                if (knob == probed)
                    break; // the end of the knob
            }
            previous = std::pair{probed, *value};
        }
        return true;
    }

    // The family's candidate knob: the highest within the size, the lowest
    // reaching the figure; nothing when none of the knobs tried meets the goal.
    std::optional<int> Candidate() const
    {
        if (goal_.bytes)
            return below_ >= lowest_ ? std::optional<int>(below_) : std::nullopt;
        return above_ <= highest_ ? std::optional<int>(above_) : std::nullopt;
    }
    // Figures already measured at a knob (a figure goal measures every probe).
    std::optional<TrialFigures> Measured(int knob) const
    {
        const auto found = measured_.find(knob);
        return found == measured_.end() ? std::nullopt : std::optional<TrialFigures>(found->second);
    }
    // The local slope of the bracket found, for the next family's first step.
    std::optional<double> Slope() const
    {
        if (below_ < lowest_ || above_ > highest_)
            return std::nullopt;
        return (values_.at(above_) - values_.at(below_)) / (above_ - below_);
    }

private:
    double Target() const { return goal_.bytes ? std::log(static_cast<double>(*goal_.bytes)) : *goal_.figure; }
    bool Under(double value) const
    {
        // Within the size counts as under; a figure reaching the target does not.
        return goal_.bytes ? value <= Target() : value < Target();
    }
    bool CloseEnough(double value) const
    {
        if (goal_.bytes)
            return value <= Target() && Target() - value <= kCloseLogSize;
        const double close = goal_.measure == SearchFigure::Ssim ? kCloseSsim : kCloseDecibels;
        return value >= Target() && value - Target() <= close;
    }

    std::optional<double> Value(int knob)
    {
        if (const auto known = values_.find(knob); known != values_.end())
            return known->second;
        if (StopRequested(trials_, outcome_))
            return std::nullopt;
        const CodecSettings settings = settingsAt_(knob);
        std::optional<double> value;
        if (goal_.bytes) {
            ++outcome_.encodes;
            if (const auto bytes = trials_.size(settings))
                value = std::log(static_cast<double>(*bytes));
        } else {
            ++outcome_.measures;
            if (const auto figures = trials_.measure(settings)) {
                measured_.emplace(knob, *figures);
                value = figures->figure;
            }
        }
        if (value)
            values_.emplace(knob, *value);
        ReportProgress(trials_, outcome_);
        return value;
    }

    SettingsAt settingsAt_;
    int lowest_;
    int highest_;
    const SearchGoal& goal_;
    const SearchTrials& trials_;
    SearchOutcome& outcome_;
    std::map<int, double> values_;
    std::map<int, TrialFigures> measured_;
    int below_; // the highest knob whose value stays under the target (lowest_ − 1: none)
    int above_; // the lowest knob whose value reaches it (highest_ + 1: none)
};

bool Better(const SearchGoal& goal, const TrialFigures& candidate, const TrialFigures& best)
{
    if (goal.bytes)
        return candidate.figure > best.figure;
    return candidate.bytes < best.bytes;
}

double QualitySlope(const SearchGoal& goal)
{
    if (goal.bytes)
        return kLogSizePerStep;
    return goal.measure == SearchFigure::Ssim ? kSsimPerStep : kDecibelsPerStep;
}

double SlopeKnobSlope(const SearchGoal& goal)
{
    if (goal.bytes)
        return kLogSizePerKnob;
    return goal.measure == SearchFigure::Ssim ? kSsimPerKnob : kDecibelsPerKnob;
}

// Measures a family's candidate (unless its walk has) and keeps it.
bool AddCandidate(const FamilyWalk& walk, SearchCandidate candidate, const CodecSettings& settings,
                  const SearchGoal& goal, const SearchTrials& trials, SearchOutcome& outcome)
{
    const int knob = *walk.Candidate();
    auto figures = walk.Measured(knob);
    if (!figures) {
        if (StopRequested(trials, outcome))
            return false;
        ++outcome.measures;
        figures = trials.measure(settings);
        if (!figures)
            return false;
        ReportProgress(trials, outcome);
    }
    candidate.figures = *figures;
    outcome.candidates.push_back(candidate);
    if (outcome.candidates.size() == 1 || Better(goal, candidate.figures, outcome.chosen.figures)) {
        outcome.chosen = candidate;
        outcome.settings = settings;
    }
    return true;
}

// The knob of the equal-slope family whose step is closest below `step`.
int KnobAtStep(double step)
{
    int knob = kSlopeLowestKnob;
    while (knob < kSlopeHighestKnob && StepOfKnob(knob) > step)
        ++knob;
    return knob;
}

// The median weighted step the quality factor's settings give the coded
// luma detail bands: where the equal-slope walk starts.
double StepOfSettings(const CodecSettings& settings, const BandRanges& ranges, const BandWeights& weights)
{
    const ComponentSettings& luma = settings.components[kComponentA];
    std::vector<double> steps;
    for (int k = luma.discardLevels; k < settings.totalLevels; ++k) {
        for (int b = 0; b < 3; ++b) {
            const auto entry = static_cast<std::size_t>(3 * k + b);
            const int q = luma.quantizeVector[entry];
            if (q > 0 && ranges[kComponentA][entry] > 0)
                steps.push_back(ranges[kComponentA][entry] * weights[kComponentA][entry] / q);
        }
    }
    if (steps.empty())
        return 1.0;
    std::sort(steps.begin(), steps.end());
    return steps[steps.size() / 2];
}

// The equal-slope family walked along its step from where the quality
// factor's candidate lies, and its candidate kept when it is better.
bool SearchEqualSlope(const CodecSettings& base, int seed, const SearchGoal& goal, const SearchTrials& trials,
                      SearchOutcome& outcome)
{
    if (!trials.ranges)
        return true;
    const auto weights = WeightsForBands(base.totalLevels, trials.componentEnergy);
    if (!weights)
        return true;
    const BandRanges ranges = trials.ranges();
    const CodecSettings start = VariantSettings(base, seed, kQualityFactorVariant, seed);
    const SlopeShape shape;
    const auto settingsAt = [&](int knob) {
        return EqualSlopeSettings(start, ranges, *weights, StepOfKnob(knob), shape);
    };
    FamilyWalk walk(settingsAt, kSlopeLowestKnob, kSlopeHighestKnob, goal, trials, outcome);
    const int from = KnobAtStep(StepOfSettings(start, ranges, *weights));
    if (!walk.Walk(from, SlopeKnobSlope(goal), false))
        return false;
    const auto knob = walk.Candidate();
    if (!knob)
        return true;
    SearchCandidate candidate{SearchFamily::EqualSlope, *knob, seed, seed, {}};
    return AddCandidate(walk, candidate, settingsAt(*knob), goal, trials, outcome);
}

// A trial that gave nothing failed, unless the search was stopped before it.
SearchOutcome& Failed(SearchOutcome& outcome)
{
    if (outcome.failure != SearchFailure::Stopped)
        outcome.failure = SearchFailure::CodingFailed;
    return outcome;
}

} // namespace

SearchOutcome SearchSettings(const CodecSettings& base, const SearchGoal& goal, const SearchTrials& trials)
{
    SearchOutcome outcome;
    // The quality factor's own family first: its candidate is the fallback.
    FamilyWalk qualityWalk([&](int quality) { return VariantSettings(base, quality, kQualityFactorVariant, quality); },
                           0, kHighestQuality, goal, trials, outcome);
    if (!qualityWalk.Walk(50, QualitySlope(goal), true))
        return Failed(outcome);
    const auto seed = qualityWalk.Candidate();
    if (!seed) {
        // Every other family reshapes the quality factor's towards larger
        // files and better figures at the same quality: when the quality
        // factor cannot reach a figure, neither can they; a size below its
        // smallest file is left to it too.
        outcome.failure = SearchFailure::Unreachable;
        return outcome;
    }
    const SearchCandidate seedCandidate{SearchFamily::QualityFactor, 0, *seed, *seed, {}};
    if (!AddCandidate(qualityWalk, seedCandidate, VariantSettings(base, *seed, kQualityFactorVariant, *seed), goal,
                      trials, outcome))
        return Failed(outcome);
    outcome.qualityFactor = outcome.chosen;

    // The equal-slope family, walked along its step to the goal.
    if (!SearchEqualSlope(base, *seed, goal, trials, outcome))
        return Failed(outcome);
    if (trials.control.progress)
        trials.control.progress(kMostTrials, kMostTrials);
    return outcome;
}

} // namespace tamr
