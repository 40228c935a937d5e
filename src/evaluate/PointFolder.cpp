#include "evaluate/PointFolder.h"

#include <cstdio>

#include "evaluate/PointRecord.h"
#include "platform/FileIo.h"
#include "platform/Sha256.h"

namespace tamr {
namespace {

std::string HashOf(const std::string& text)
{
    return Sha256Hex(std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
}

} // namespace

PointFolder::PointFolder(std::filesystem::path folder, std::string programVersion, std::string pictureHash,
                         const MetricChoice& choice)
    : folder_(std::move(folder)), programVersion_(std::move(programVersion)), pictureHash_(std::move(pictureHash)),
      choice_(choice)
{
}

nlohmann::json PointFolder::Key(const SweepPoint& point, const std::string& settings) const
{
    return {{"tamr", programVersion_},
            {"picture_sha256", pictureHash_},
            {"codec", point.codec->name},
            {"quality", point.quality},
            {"settings", settings}};
}

std::filesystem::path PointFolder::PointPath(const SweepPoint& point, const std::string& settings) const
{
    char stem[48];
    std::snprintf(stem, sizeof stem, "%s-q%03d-", std::string(point.codec->name).c_str(), point.quality);
    return folder_ / "points" / pictureHash_.substr(0, 16) /
           (stem + HashOf(Key(point, settings).dump()).substr(0, 16) + ".json");
}

std::optional<SweepPoint> PointFolder::Find(const SweepPoint& wanted, const std::string& settings)
{
    const auto bytes = ReadFileBytes(PointPath(wanted, settings));
    if (!bytes)
        return std::nullopt;
    const auto file = nlohmann::json::parse(bytes->begin(), bytes->end(), nullptr, false);
    // A file of another key (the names are cut hashes) or another choice of figures is not the point.
    if (!file.is_object() || file.value("key", nlohmann::json()) != Key(wanted, settings) ||
        !ChoiceCovers(ChoiceFromRecord(file.value("measured", nlohmann::json())), choice_))
        return std::nullopt;
    auto point = PointFromRecord(file.value("point", nlohmann::json()));
    if (!point || point->Failed() || point->codec != wanted.codec || point->quality != wanted.quality)
        return std::nullopt;
    ++found_;
    return point;
}

void PointFolder::Keep(const SweepPoint& point, const std::string& settings)
{
    const nlohmann::json file = {
        {"key", Key(point, settings)}, {"measured", ChoiceRecord(choice_)}, {"point", PointRecord(point)}};
    const std::string text = file.dump(1) + '\n';
    const std::filesystem::path path = PointPath(point, settings);
    std::error_code error;
    std::filesystem::create_directories(path.parent_path(), error);
    std::string reason;
    if (WriteOutputFile(path, std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()), &reason))
        return;
    const std::lock_guard lock(mutex_);
    failures_.push_back(path.string() + ": " + reason);
}

std::vector<std::string> PointFolder::Failures() const
{
    const std::lock_guard lock(mutex_);
    return failures_;
}

} // namespace tamr
