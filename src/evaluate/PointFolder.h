#pragma once
// A results folder: every measured point of one picture kept as a small JSON
// file of its own, named by what its coding depended on (the program's
// version, the picture's content hash, codec, quality, the library and its
// settings), so that a run stopped part-way, or run again with more codecs,
// codes only what is missing. Each file is written atomically.

#include <nlohmann/json.hpp>

#include <atomic>
#include <filesystem>
#include <mutex>
#include <string>
#include <vector>

#include "document/RateDistortionSweep.h"

namespace tamr {

class PointFolder : public SweepPointStore {
public:
    // `choice`: the figures a point must have been measured with to be taken.
    PointFolder(std::filesystem::path folder, std::string programVersion, std::string pictureHash,
                const MetricChoice& choice);

    std::optional<SweepPoint> Find(const SweepPoint& wanted, const std::string& settings) override;
    void Keep(const SweepPoint& point, const std::string& settings) override;

    // Points taken from the folder so far.
    std::size_t Found() const { return found_; }
    // The reasons of writes that failed, each with its file.
    std::vector<std::string> Failures() const;

    // The file of a point (whether there or not).
    std::filesystem::path PointPath(const SweepPoint& point, const std::string& settings) const;

private:
    nlohmann::json Key(const SweepPoint& point, const std::string& settings) const;

    std::filesystem::path folder_;
    std::string programVersion_;
    std::string pictureHash_;
    MetricChoice choice_;
    std::atomic<std::size_t> found_{0};
    mutable std::mutex mutex_;
    std::vector<std::string> failures_;
};

} // namespace tamr
