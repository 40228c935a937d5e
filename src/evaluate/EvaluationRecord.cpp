#include "evaluate/EvaluationRecord.h"

#include <algorithm>

#include "evaluate/PointRecord.h"

namespace tamr {
namespace {

template <typename T> std::optional<T> Field(const nlohmann::json& object, const char* key)
{
    if (!object.is_object() || !object.contains(key))
        return std::nullopt;
    try {
        return object[key].get<T>();
    } catch (const nlohmann::json::exception&) {
        return std::nullopt;
    }
}

std::optional<EvaluatedPicture> PictureFromRecord(const nlohmann::json& record)
{
    const auto name = Field<std::string>(record, "name");
    const auto index = Field<std::size_t>(record, "index");
    if (!name || !index)
        return std::nullopt;
    EvaluatedPicture picture;
    picture.name = *name;
    picture.index = *index;
    picture.sha256 = Field<std::string>(record, "sha256").value_or("");
    picture.width = Field<int>(record, "width").value_or(0);
    picture.height = Field<int>(record, "height").value_or(0);
    picture.failure = Field<std::string>(record, "error").value_or("");
    if (record.contains("points") && record["points"].is_array())
        for (const nlohmann::json& pointRecord : record["points"]) {
            auto point = PointFromRecord(pointRecord);
            if (!point)
                return std::nullopt;
            picture.points.push_back(std::move(*point));
        }
    return picture;
}

nlohmann::json CodecsRecord(const Evaluation& evaluation)
{
    nlohmann::json codecs = nlohmann::json::array();
    for (const EvaluatedCodec& codec : evaluation.codecs)
        codecs.push_back({{"name", codec.name}, {"label", codec.label}, {"library", codec.library}});
    return codecs;
}

} // namespace

nlohmann::json EvaluationRecord(const Evaluation& evaluation)
{
    nlohmann::json pictures = nlohmann::json::array();
    for (const EvaluatedPicture& picture : evaluation.pictures) {
        nlohmann::json points = nlohmann::json::array();
        for (const SweepPoint& point : picture.points)
            points.push_back(PointRecord(point));
        nlohmann::json record = {{"name", picture.name},   {"index", picture.index},   {"sha256", picture.sha256},
                                 {"width", picture.width}, {"height", picture.height}, {"points", points}};
        if (!picture.failure.empty())
            record["error"] = picture.failure;
        pictures.push_back(record);
    }
    return {{"tamr", evaluation.programVersion},        {"codecs", CodecsRecord(evaluation)},
            {"qualities", evaluation.qualities},        {"metrics", evaluation.metrics},
            {"picture_count", evaluation.pictureCount}, {"pictures", pictures}};
}

std::optional<Evaluation> EvaluationFromRecord(const nlohmann::json& record, std::string& problem)
{
    Evaluation evaluation;
    const auto version = Field<std::string>(record, "tamr");
    const auto qualities = Field<std::vector<int>>(record, "qualities");
    const auto metrics = Field<std::vector<std::string>>(record, "metrics");
    const auto count = Field<std::size_t>(record, "picture_count");
    if (!version || !qualities || !metrics || !count || !record.contains("codecs") || !record["codecs"].is_array() ||
        !record.contains("pictures") || !record["pictures"].is_array()) {
        problem = "not an evaluation of tamr";
        return std::nullopt;
    }
    evaluation.programVersion = *version;
    evaluation.qualities = *qualities;
    evaluation.metrics = *metrics;
    evaluation.pictureCount = *count;
    for (const nlohmann::json& codec : record["codecs"]) {
        const auto name = Field<std::string>(codec, "name");
        if (!name || FindCodec(*name) == nullptr) {
            problem = "a codec this build does not know";
            return std::nullopt;
        }
        evaluation.codecs.push_back({*name, Field<std::string>(codec, "label").value_or(*name),
                                     Field<std::string>(codec, "library").value_or("")});
    }
    for (const nlohmann::json& pictureRecord : record["pictures"]) {
        auto picture = PictureFromRecord(pictureRecord);
        if (!picture || picture->index >= evaluation.pictureCount) {
            problem = "a picture's record is damaged";
            return std::nullopt;
        }
        evaluation.pictures.push_back(std::move(*picture));
    }
    return evaluation;
}

std::optional<Evaluation> MergeEvaluations(std::span<const Evaluation> shards, std::string& problem)
{
    if (shards.empty()) {
        problem = "no evaluation to merge";
        return std::nullopt;
    }
    Evaluation merged = shards.front();
    merged.pictures.clear();
    for (const Evaluation& shard : shards) {
        if (shard.programVersion != merged.programVersion || shard.qualities != merged.qualities ||
            shard.metrics != merged.metrics || shard.pictureCount != merged.pictureCount ||
            CodecsRecord(shard) != CodecsRecord(merged)) {
            problem = "the evaluations differ in tamr's version, codecs, libraries, qualities, figures or pictures";
            return std::nullopt;
        }
        merged.pictures.insert(merged.pictures.end(), shard.pictures.begin(), shard.pictures.end());
    }
    std::sort(merged.pictures.begin(), merged.pictures.end(),
              [](const EvaluatedPicture& a, const EvaluatedPicture& b) { return a.index < b.index; });
    const auto twice = std::adjacent_find(merged.pictures.begin(), merged.pictures.end(),
                                          [](const auto& a, const auto& b) { return a.index == b.index; });
    if (twice != merged.pictures.end()) {
        problem = "picture " + twice->name + " is in more than one of them";
        return std::nullopt;
    }
    return merged;
}

} // namespace tamr
