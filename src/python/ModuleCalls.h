#pragma once
// What the Python module does, in plain C++: each call gives its value or
// the message the command line would give for the same failure. Nothing here
// knows Python; TamrModule.cpp turns the values into Python's.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "cli/CodecOptions.h"
#include "evaluate/BjontegaardDelta.h"
#include "python/PictureArrays.h"

namespace tamr {

template <typename T> struct Outcome {
    std::optional<T> value;
    std::string problem; // empty when there is a value

    static Outcome Failed(std::string problem) { return {std::nullopt, std::move(problem)}; }
};

// Top-down rows of red, green, blue (or gray) bytes, as an array holds them.
struct RowsView {
    std::span<const std::uint8_t> samples;
    int width = 0;
    int height = 0;
    int channels = 0;
};

// The whole COD file, the bytes `tamr-cli compress` writes for the same picture and options.
Outcome<std::vector<std::uint8_t>> CompressRows(RowsView rows, const CodecOptions& options);
// The picture of a COD file, decoded as opening it decodes it.
Outcome<PlainPicture> DecompressCod(std::span<const std::uint8_t> file);
// The width, height and channels of a COD file, without decoding it.
Outcome<PlainPicture> CodHeader(std::span<const std::uint8_t> file);
// Any file tamr opens, as the program opens it.
Outcome<PlainPicture> ReadPictureFile(const std::filesystem::path& path);

// The figures of two pictures of one size and depth, as `compare --json` gives them.
Outcome<std::string> CompareRows(RowsView first, RowsView second, const std::string& metrics);

struct SweepCall {
    std::filesystem::path picture;
    std::string qualities = "0:99:5";
    std::string peers = "jpeg,jp2,webp";
    std::string metrics = "default";
    int threads = 0;
};
// As `sweep --json` gives it.
Outcome<std::string> SweepPicture(const SweepCall& call);

struct EvaluateCall {
    std::vector<std::string> pictures; // files, as ListEvaluationPictures lists them
    std::string codecs = "tamr,jpeg,jp2,webp";
    std::string qualities = "5:95:10";
    std::string metrics = "default";
    std::string anchor = "jpeg";
    std::string bdMethod = "akima";
    int threads = 0;
    std::size_t shard = 0;
    std::size_t shards = 1;
};
// The files pictures and folders name, as `evaluate` takes them.
Outcome<std::vector<std::string>> ListEvaluationPictures(const std::vector<std::string>& names);
// The choices of a call checked as the command line checks its options; empty when they are sound.
std::string EvaluateCallProblem(const EvaluateCall& call);
// The evaluation of the call's shard, as a results folder keeps it.
Outcome<std::string> EvaluateShard(const EvaluateCall& call);
// The report of the shards' evaluations merged, as `evaluate --json` prints it.
Outcome<std::string> EvaluationReportOf(const std::vector<std::string>& records, const std::string& anchor,
                                        const std::string& bdMethod);

// Bjøntegaard's delta rate in percent of `test` against `anchor`.
Outcome<double> BdRateOf(std::span<const RatePoint> anchor, std::span<const RatePoint> test, const std::string& method);

} // namespace tamr
