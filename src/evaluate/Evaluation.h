#pragma once
// Evaluating codecs over a set of pictures: every picture swept at every
// quality by every codec (the sweep's very points), with what a report needs
// to be reproduced: the program's and the libraries' versions and settings,
// and each picture's content hash.

#include <atomic>
#include <cstddef>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "document/RateDistortionSweep.h"
#include "image/MetricNames.h"
#include "platform/Limits.h"
#include "platform/Prompter.h"

namespace tamr {

// Why a picture has no points.
inline constexpr std::string_view kPictureUnreadable = "cannot be read";
inline constexpr std::string_view kPictureNotSwept = "not a picture tamr opens (or a COD file)";

struct EvaluatedPicture {
    std::string name;      // as named on the command line or found in a folder
    std::string sha256;    // of the file's bytes
    std::size_t index = 0; // its place in the whole set, kept by every shard
    int width = 0;
    int height = 0;
    std::vector<SweepPoint> points; // by codec as the evaluation lists them, then quality
    std::string failure;            // the picture could not be read or swept; no points then
};

struct EvaluatedCodec {
    std::string name;
    std::string label;
    std::string library; // its library's version and settings; empty for tamr
};

struct Evaluation {
    std::string programVersion;
    std::vector<EvaluatedCodec> codecs;
    std::vector<int> qualities;
    std::vector<std::string> metrics;       // the keys of the figures measured
    std::size_t pictureCount = 0;           // in the whole set, over every shard
    std::vector<EvaluatedPicture> pictures; // by index
};

struct EvaluationRequest {
    std::vector<std::filesystem::path> pictures; // the whole set, in order
    std::vector<const PeerCodec*> codecs;        // tamr is swept anyway where a codec aims at its sizes
    std::vector<int> qualities;
    MetricSelection metrics;
    int threads = 0; // points at once; 0: one per core
    Limits limits{};
    // How far opening a picture goes beyond the program's own readers.
    ReadPolicy readPolicy{};
    std::string programVersion;
    // Where each point is kept and looked for; empty: nowhere.
    std::filesystem::path folder;
    // This run takes every shards-th picture from the shard-th (0-based).
    std::size_t shard = 0;
    std::size_t shards = 1;
    const std::atomic<bool>* stop = nullptr;
};

struct EvaluationRun {
    Evaluation evaluation;
    std::size_t pointsFound = 0;       // taken from the folder instead of coded
    std::vector<std::string> failures; // points that could not be kept in the folder
};

// Called after each point with how many are done of this run's total.
using EvaluationProgress = std::function<void(std::size_t done, std::size_t total)>;

// The files a list of pictures and folders names: a file as named, a folder's
// files whose names end as pictures tamr opens, in order of name.
// The first name that is neither in `missing`.
std::vector<std::filesystem::path> ListPictures(const std::vector<std::string>& names, std::string& missing);

EvaluationRun RunEvaluation(const EvaluationRequest& request, Prompter& prompter,
                            const EvaluationProgress& progress = {});

} // namespace tamr
