#pragma once
// What one command-line job works with: its own settings, display options,
// prompter and document environment, so that parallel jobs share nothing.

#include <filesystem>
#include <memory>
#include <ostream>
#include <string>

#include "cli/StderrPrompter.h"
#include "document/TamrDoc.h"

namespace tamr {

// Why a command does not write `output`: it is the very file the command reads.
std::string OutputIsInputText(const std::string& output);

// True, after saying so on `err`, when `output` names the very file `input`
// does (the same device and inode, whatever the names): writing it would
// replace the picture before or while it is read.
bool RefuseOutputOverInput(const std::filesystem::path& input, const std::filesystem::path& output, std::ostream& err);

struct CliSession {
    explicit CliSession(std::ostream& err, const Limits& limits = {},
                        const CodecSettings& startSettings = CodecSettings())
        : settings(startSettings), prompter(err), environment{settings, display, prompter}
    {
        environment.limits = limits;
    }
    CliSession(const CliSession&) = delete;
    CliSession& operator=(const CliSession&) = delete;

    // Opens a file as the program does; when the system has nothing to say
    // about a failure, says so on `err`, and after a refusal by the decode
    // limit says which limit it was and how to raise it.
    std::unique_ptr<CTamrDoc> Open(const std::filesystem::path& path, std::ostream& err);

    // Saves the document as the Save As command does, with `path` as the name
    // chosen in the dialog: the same kind check, bit-depth warnings (answered
    // as the prompter is told) and messages. Says so on `err` when nothing
    // was written; refuses a name that comes out as the opened file.
    bool SaveAs(CTamrDoc& document, const std::filesystem::path& path, std::ostream& err);

    CodecSettings settings;
    DisplaySettings display;
    StderrPrompter prompter;
    DocumentEnvironment environment;
};

} // namespace tamr
