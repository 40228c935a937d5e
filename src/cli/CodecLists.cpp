#include "cli/CodecLists.h"

#include <algorithm>
#include <sstream>

namespace tamr {
namespace {

std::optional<int> QualityNumber(const std::string& text)
{
    if (text.empty() || text.size() > 3 || text.find_first_not_of("0123456789") != std::string::npos)
        return std::nullopt;
    const int value = std::stoi(text);
    return value <= 100 ? std::optional<int>(value) : std::nullopt;
}

std::vector<std::string> Split(const std::string& text, char separator)
{
    std::vector<std::string> parts;
    std::stringstream stream(text);
    std::string part;
    while (std::getline(stream, part, separator))
        parts.push_back(part);
    if (!text.empty() && text.back() == separator)
        parts.emplace_back();
    return parts;
}

} // namespace

std::optional<std::vector<int>> ParseQualities(const std::string& text)
{
    std::vector<int> qualities;
    const auto range = Split(text, ':');
    if (range.size() == 3) {
        const auto first = QualityNumber(range[0]);
        const auto last = QualityNumber(range[1]);
        const auto step = QualityNumber(range[2]);
        if (!first || !last || !step || *step == 0 || *first > *last)
            return std::nullopt;
        for (int q = *first; q <= *last; q += *step)
            qualities.push_back(q);
        return qualities;
    }
    if (range.size() != 1)
        return std::nullopt;
    for (const std::string& part : Split(text, ',')) {
        const auto quality = QualityNumber(part);
        if (!quality)
            return std::nullopt;
        qualities.push_back(*quality);
    }
    return qualities.empty() ? std::nullopt : std::optional(qualities);
}

PeerList ParsePeers(const std::string& text)
{
    PeerList list;
    if (text.empty() || text == "none")
        return list;
    for (const std::string& name : Split(text, ',')) {
        const PeerCodec* codec = FindCodec(name);
        if (codec == nullptr || codec->aim == SizeAim::Reference || !codec->available) {
            list.unknown = name;
            return list;
        }
        list.peers.push_back(codec);
    }
    return list;
}

std::string PeersProblem(const std::string& text)
{
    const PeerList list = ParsePeers(text);
    if (list.unknown.empty())
        return {};
    const PeerCodec* known = FindCodec(list.unknown);
    const std::string what = known != nullptr && known->aim != SizeAim::Reference
                                 ? "\"" + list.unknown + "\" is not in this build (its library was missing)"
                                 : "\"" + list.unknown + "\" is no peer";
    return what + "; the peers are " + PeerNames() + ", separated by commas, or none";
}

std::string CodecNames()
{
    return "tamr, " + PeerNames();
}

CodecList ParseCodecs(const std::string& text)
{
    CodecList list;
    std::vector<std::string> names;
    std::stringstream stream(text);
    std::string name;
    while (std::getline(stream, name, ','))
        names.push_back(name);
    for (const std::string& each : names) {
        const PeerCodec* codec = FindCodec(each);
        if (codec == nullptr || !codec->available) {
            list.problem =
                "\"" + each + "\" is no codec of this build; the codecs are " + CodecNames() + ", separated by commas";
            return list;
        }
        if (std::find(list.codecs.begin(), list.codecs.end(), codec) == list.codecs.end())
            list.codecs.push_back(codec);
    }
    if (list.codecs.empty())
        list.problem = "names no codec; the codecs are " + CodecNames();
    return list;
}

std::string AnchorProblem(const std::string& name)
{
    const PeerCodec* codec = FindCodec(name);
    return codec != nullptr && codec->available
               ? std::string()
               : "\"" + name + "\" is no codec of this build; the codecs are " + CodecNames();
}

} // namespace tamr
