#pragma once
// What one command-line job works with: its own settings, display options,
// prompter and document environment, so that parallel jobs share nothing.

#include <filesystem>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "cli/ConsoleOptions.h"
#include "cli/OutputName.h"
#include "cli/StderrPrompter.h"
#include "document/TamrDoc.h"

namespace tamr {

// The file a command reads for the input name: "-" is standard input.
std::filesystem::path InputPath(const std::string& name);

struct CliSession {
    explicit CliSession(std::ostream& err, const Limits& limits = {}, const ConsoleOptions& console = {})
        : prompter(err), environment{settings, display, prompter}
    {
        environment.limits = limits;
        environment.readPolicy.anyVariant = console.anyVariant;
        prompter.KeepNoticesToItself(console.quiet);
    }
    CliSession(const CliSession&) = delete;
    CliSession& operator=(const CliSession&) = delete;

    // Opens a file as the program does ("-": standard input, which is then
    // titled "stdin" with the extension of its kind); when the system has
    // nothing to say about a failure, says so on `err`, and after a refusal
    // by the decode limit says which limit it was and how to raise it.
    std::unique_ptr<CTamrDoc> Open(const std::string& name, std::ostream& err);

    // Saves the document as the Save As command does, with `name` as the name
    // chosen in the dialog (and `format` as its extension when given): the
    // same kind check, bit-depth warnings (answered as the prompter is told)
    // and messages. Says so on `err`, with the system's reason, when nothing
    // was written; refuses a name that comes out as one of `inputs`.
    bool SaveAs(CTamrDoc& document, const std::string& name, const std::string& format,
                const std::vector<std::string>& inputs, std::ostream& err);

    CodecSettings settings;
    DisplaySettings display;
    // Pictures the commands run in this session have decoded.
    int picturesDecoded = 0;
    StderrPrompter prompter;
    DocumentEnvironment environment;
};

} // namespace tamr
