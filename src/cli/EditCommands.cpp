#include "cli/EditCommands.h"

#include <charconv>
#include <vector>

#include "cli/CliSession.h"
#include "cli/PictureKindsHelp.h"
#include "document/DocumentEdits.h"

namespace tamr {

namespace {

constexpr int kMaxApplies = 1000;

std::vector<std::string> SplitAtCommas(const std::string& text)
{
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (std::size_t comma = text.find(','); comma != std::string::npos; comma = text.find(',', start)) {
        parts.push_back(text.substr(start, comma - start));
        start = comma + 1;
    }
    parts.push_back(text.substr(start));
    return parts;
}

std::string FilterNames()
{
    std::string names;
    for (const FilterEntry& entry : FilterList())
        names += (names.empty() ? "\"" : ", \"") + std::string(entry.name) + "\"";
    return names;
}

// The edits the command line fills in; nothing (after saying why) when --kernel is not nine texts.
std::optional<FilterRequest> RequestFromOptions(const FilterOptions& options, std::ostream& err)
{
    const auto index = FilterIndexByName(options.name);
    if (!index) {
        err << "tamr-cli: no filter is named \"" << options.name << "\"; the filters are " << FilterNames() << '\n';
        return std::nullopt;
    }
    FilterRequest request;
    request.index = *index;
    request.applies = options.times;
    if (options.kernel) {
        const auto texts = SplitAtCommas(*options.kernel);
        if (texts.size() != 9) {
            err << "tamr-cli: --kernel takes nine multipliers k0,k1,...,k8 (row by row), not " << texts.size() << '\n';
            return std::nullopt;
        }
        for (std::size_t i = 0; i < texts.size(); ++i)
            request.typed[kEditK0 + i] = texts[i];
    }
    if (options.divisor)
        request.typed[kEditDivisor] = *options.divisor;
    if (options.intensity)
        request.typed[kEditIntensity] = *options.intensity;
    return request;
}

std::optional<int> Percent(const std::string& text)
{
    int value = 0;
    const auto [end, problem] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (problem != std::errc() || end != text.data() + text.size() || value < 0 || value > 100)
        return std::nullopt;
    return value;
}

std::optional<SharpenPercents> PercentsFromOptions(const SharpenOptions& options, std::ostream& err)
{
    if (options.amount)
        return SharpenPercents{*options.amount, *options.amount, *options.amount};
    const auto texts = SplitAtCommas(options.amounts.value_or(""));
    SharpenPercents percents{};
    bool valid = texts.size() == percents.size();
    for (std::size_t i = 0; valid && i < percents.size(); ++i) {
        const auto percent = Percent(texts[i]);
        valid = percent.has_value();
        percents[i] = percent.value_or(0);
    }
    if (!valid) {
        err << "tamr-cli: --amounts takes three percentages 0 to 100, such as 50,50,80\n";
        return std::nullopt;
    }
    return percents;
}

// Opens the picture, applies the edit (which tells the user when it fails)
// and saves the result with the Save As rules.
template <typename Edit>
int EditAndSave(const std::string& input, const std::string& output, const std::string& format, bool yes,
                const Limits& limits, const ConsoleOptions& console, std::ostream& err, Edit edit)
{
    if (const int usage = CheckOutputKind(output, format, err))
        return usage;
    const std::vector<std::string> inputs{input};
    if (RefuseOutputOverInputs(inputs, output, err))
        return 1;
    CliSession session(err, limits, console);
    session.prompter.AnswerQuestionsYes(yes);
    auto document = session.Open(input, err);
    if (!document || !edit(*document, session.prompter))
        return 1;
    return session.SaveAs(*document, output, format, inputs, err) ? 0 : 1;
}

void AddPictureInputOutput(CLI::App& command, std::string& input, std::string& output, std::string& format)
{
    NamesAFile(command.add_option("IN", input, PictureArgumentHelp("the picture")))->required();
    NamesAFile(command.add_option("OUT", output, "the BMP, PNG or PPM/PGM file to write, with the Save As rules"))
        ->required();
    AddFormatOption(command, format, "the kind of OUT when its name gives none (- for standard output)");
}

} // namespace

CLI::App* AddFilterCommand(CLI::App& app, FilterOptions& options)
{
    CLI::App* command = app.add_subcommand("filter", "Run one of the sixteen filters on a picture and save it as BMP");
    AddPictureInputOutput(*command, options.input, options.output, options.format);
    command->add_option("--name", options.name, "the filter, as named in the Filters dialog (\"Smooth\", ...)")
        ->required();
    command->add_option("--kernel", options.kernel, "the nine multipliers k0,...,k8 as typed into the dialog");
    command->add_option("--divisor", options.divisor, "the divisor as typed into the dialog");
    command->add_option("--intensity", options.intensity, "the Despeckle intensity as typed into the dialog");
    command->add_option("--times", options.times, "how often Apply is pressed (filters accumulate)")
        ->check(CLI::Range(0, kMaxApplies));
    command->add_flag("--yes", options.yes, "answer Yes to the bit-depth warnings");
    return command;
}

CLI::App* AddSharpenCommand(CLI::App& app, SharpenOptions& options)
{
    CLI::App* command = app.add_subcommand("sharpen", "Sharpen a picture as Sharpen Image does and save it as BMP");
    AddPictureInputOutput(*command, options.input, options.output, options.format);
    auto* amount =
        command->add_option("--amount", options.amount, "percent 0..100 for every bar")->check(CLI::Range(0, 100));
    auto* amounts =
        command->add_option("--amounts", options.amounts, "percents of the dialog's bars R,G,B (colour pictures only)");
    amount->excludes(amounts);
    command->add_flag("--yes", options.yes, "answer Yes to the bit-depth warnings");
    return command;
}

int RunFilterCommand(const FilterOptions& options, std::ostream& err)
{
    const auto request = RequestFromOptions(options, err);
    if (!request)
        return kUsageError;
    return EditAndSave(
        options.input, options.output, options.format, options.yes, options.limits, options.console, err,
        [&](CTamrDoc& document, Prompter& prompter) { return FilterDocument(document, prompter, *request); });
}

int RunSharpenCommand(const SharpenOptions& options, std::ostream& err)
{
    if (!options.amount && !options.amounts) {
        err << "tamr-cli: sharpen needs --amount P or --amounts R,G,B\n";
        return kUsageError;
    }
    const auto percents = PercentsFromOptions(options, err);
    if (!percents)
        return kUsageError;
    return EditAndSave(options.input, options.output, options.format, options.yes, options.limits, options.console, err,
                       [&](CTamrDoc& document, Prompter& prompter) {
                           if (options.amounts && document.Image()->IsColour() == 0) {
                               err << "tamr-cli: " << options.input << " is gray and has one amount: give --amount\n";
                               return false;
                           }
                           return SharpenDocument(document, prompter, *percents);
                       });
}

} // namespace tamr
