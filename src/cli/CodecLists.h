#pragma once
// The lists a command line names codecs and qualities with: the qualities of
// a sweep, its peers, and the codecs of an evaluation; each with the message
// that says why a list is not understood.

#include <optional>
#include <string>
#include <vector>

#include "peers/PeerCodecs.h"

namespace tamr {

// "FIRST:LAST:STEP" (LAST included when the steps reach it) or "Q1,Q2,...", each 0 to 100.
std::optional<std::vector<int>> ParseQualities(const std::string& text);

// The peers a list names: each an available peer of the registry, or "none"
// (or nothing) for tamr alone; the first name that is none of them otherwise.
struct PeerList {
    std::vector<const PeerCodec*> peers;
    std::string unknown;
};

PeerList ParsePeers(const std::string& text);
// Why a --peers list is not understood; empty when it is.
std::string PeersProblem(const std::string& text);

// Every codec of this build by name, tamr too.
std::string CodecNames();

// The codecs a comma-separated list names, each once; the reason otherwise.
struct CodecList {
    std::vector<const PeerCodec*> codecs;
    std::string problem;
};

CodecList ParseCodecs(const std::string& text);
// Why a name is no codec an evaluation can be measured against; empty when it is one.
std::string AnchorProblem(const std::string& name);

} // namespace tamr
