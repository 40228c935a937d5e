// tamr-cli: the command-line front end of tamr.

#include <CLI/CLI.hpp>

#include <iostream>

#include "cli/CompressCommands.h"
#include "cli/InfoCommand.h"
#include "cli/StderrPrompter.h"

namespace {

int Run(int argc, char** argv)
{
    CLI::App app{"tamr-cli: wavelet image compression from the command line"};
    app.require_subcommand(1);
    tamr::InfoOptions infoOptions;
    CLI::App* info = tamr::AddInfoCommand(app, infoOptions);
    tamr::CompressOptions compressOptions;
    CLI::App* compress = tamr::AddCompressCommand(app, compressOptions);
    tamr::CompressOptions roundtripOptions;
    CLI::App* roundtrip = tamr::AddRoundtripCommand(app, roundtripOptions);
    tamr::DecompressOptions decompressOptions;
    CLI::App* decompress = tamr::AddDecompressCommand(app, decompressOptions);
    CLI11_PARSE(app, argc, argv);

    tamr::StderrPrompter prompter(std::cerr);
    if (info->parsed())
        return tamr::RunInfoCommand(infoOptions, std::cout, std::cerr, prompter);
    if (compress->parsed())
        return tamr::RunCompressCommand(compressOptions, true, std::cout, std::cerr, prompter);
    if (roundtrip->parsed())
        return tamr::RunCompressCommand(roundtripOptions, false, std::cout, std::cerr, prompter);
    if (decompress->parsed())
        return tamr::RunDecompressCommand(decompressOptions, std::cerr, prompter);
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    try {
        return Run(argc, argv);
    } catch (const std::bad_alloc&) {
        std::cerr << "tamr-cli: out of memory\n";
    } catch (const std::exception& error) {
        std::cerr << "tamr-cli: " << error.what() << '\n';
    }
    return 1;
}
