#pragma once
// "Did you mean ...?" for a mistyped subcommand or option.

#include <CLI/CLI.hpp>

#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace tamr {

// The candidate nearest to `typed` by edit distance, when near enough to be
// a slip of the fingers (at most a third of its letters, at least 2).
std::optional<std::string> ClosestName(const std::string& typed, const std::vector<std::string>& candidates);

// After a command line was not understood: for the first word that names no
// subcommand, and each option that the subcommand does not know, says on
// `err` which name was probably meant.
void SuggestCorrections(CLI::App& app, const std::vector<std::string>& arguments, std::ostream& err);

} // namespace tamr
