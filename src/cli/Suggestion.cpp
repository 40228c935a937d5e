#include "cli/Suggestion.h"

#include <algorithm>
#include <numeric>

namespace tamr {
namespace {

std::size_t EditDistance(const std::string& a, const std::string& b)
{
    std::vector<std::size_t> row(b.size() + 1);
    std::iota(row.begin(), row.end(), std::size_t{0});
    for (std::size_t i = 1; i <= a.size(); ++i) {
        std::size_t diagonal = row[0];
        row[0] = i;
        for (std::size_t j = 1; j <= b.size(); ++j) {
            const std::size_t above = row[j];
            row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] == b[j - 1] ? 0 : 1)});
            diagonal = above;
        }
    }
    return row[b.size()];
}

std::vector<std::string> LongOptionNames(const CLI::App& app)
{
    std::vector<std::string> names;
    for (const CLI::Option* option : app.get_options())
        for (const std::string& name : option->get_lnames())
            names.push_back("--" + name);
    return names;
}

bool Known(const std::vector<std::string>& names, const std::string& option)
{
    return std::find(names.begin(), names.end(), option.substr(0, option.find('='))) != names.end();
}

} // namespace

std::optional<std::string> ClosestName(const std::string& typed, const std::vector<std::string>& candidates)
{
    std::optional<std::string> best;
    std::size_t bestDistance = std::max<std::size_t>(2, typed.size() / 3) + 1;
    for (const std::string& candidate : candidates) {
        const std::size_t distance = EditDistance(typed, candidate);
        if (distance < bestDistance) {
            bestDistance = distance;
            best = candidate;
        }
    }
    return best;
}

void SuggestCorrections(CLI::App& app, const std::vector<std::string>& arguments, std::ostream& err)
{
    std::vector<std::string> subcommands;
    for (const CLI::App* subcommand : app.get_subcommands({}))
        subcommands.push_back(subcommand->get_name());
    const std::vector<std::string> globalOptions = LongOptionNames(app);
    const CLI::App* chosen = nullptr;
    std::vector<std::string> options = globalOptions;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& word = arguments[i];
        if (word.starts_with("--") && word.size() > 2) {
            if (Known(options, word) || (chosen && Known(globalOptions, word)))
                continue;
            if (const auto meant = ClosestName(word.substr(0, word.find('=')), options))
                err << "tamr-cli: no option " << word.substr(0, word.find('=')) << "; did you mean " << *meant << "?\n";
            continue;
        }
        if (chosen || word.starts_with("-"))
            continue;
        if (i > 0 && (arguments[i - 1] == "--max-megapixels" || arguments[i - 1] == "--progress"))
            continue; // its value
        if (std::find(subcommands.begin(), subcommands.end(), word) != subcommands.end()) {
            chosen = app.get_subcommand(word);
            options = LongOptionNames(*chosen);
            continue;
        }
        if (const auto meant = ClosestName(word, subcommands))
            err << "tamr-cli: no subcommand " << word << "; did you mean " << *meant << "?\n";
        return;
    }
}

} // namespace tamr
