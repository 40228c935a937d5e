#include "cli/SweepJson.h"

#include "cli/FigureOutput.h"

namespace tamr {
namespace {

nlohmann::json PointJson(const SweepPoint& point, const MetricSelection& selection)
{
    const bool measured = !point.Failed();
    nlohmann::json object = {
        {"codec", point.codec->name},
        {"quality", point.quality},
        {"bytes", measured ? nlohmann::json(point.bytes) : nlohmann::json()},
        {"bpp", measured ? nlohmann::json(point.bitsPerPixel) : nlohmann::json()},
    };
    AddMetricsJson(object, point.metrics, measured ? selection : MetricSelection{});
    object["encode_seconds"] = measured ? nlohmann::json(point.encodeSeconds) : nlohmann::json();
    object["decode_seconds"] = measured ? nlohmann::json(point.decodeSeconds) : nlohmann::json();
    object["error"] = measured ? nlohmann::json() : nlohmann::json(point.failure);
    return object;
}

} // namespace

nlohmann::json SweepJson(const SweepResult& result, const SweepRequest& request, const MetricSelection& selection,
                         const std::string& pictureName)
{
    nlohmann::json points = nlohmann::json::array();
    for (const SweepPoint& point : result.points)
        points.push_back(PointJson(point, selection));
    // Each codec with its library's version and settings, where its row gives them.
    nlohmann::json codecs = nlohmann::json::array();
    for (const PeerCodec* codec : SweepCodecs(request))
        codecs.push_back({{"name", codec->name},
                          {"label", codec->label},
                          {"library", codec->describe ? nlohmann::json(codec->describe()) : nlohmann::json()}});
    return {{"picture", pictureName},
            {"width", result.width},
            {"height", result.height},
            {"codecs", codecs},
            {"points", points}};
}

} // namespace tamr
