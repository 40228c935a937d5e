// tamr-cli: the command-line front end of tamr.

#include <CLI/CLI.hpp>

#include <iostream>

#include "cli/InfoCommand.h"
#include "cli/StderrPrompter.h"

int main(int argc, char** argv)
{
    CLI::App app{"tamr-cli: wavelet image compression from the command line"};
    app.require_subcommand(1);
    tamr::InfoOptions infoOptions;
    CLI::App* info = tamr::AddInfoCommand(app, infoOptions);
    CLI11_PARSE(app, argc, argv);

    tamr::StderrPrompter prompter(std::cerr);
    if (info->parsed())
        return tamr::RunInfoCommand(infoOptions, std::cout, std::cerr, prompter);
    return 0;
}
