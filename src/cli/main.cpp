// tamr-cli: the command-line front end of tamr.

#include <CLI/CLI.hpp>

int main(int argc, char** argv)
{
    CLI::App app{"tamr-cli: wavelet image compression from the command line"};
    app.require_subcommand(1);
    CLI11_PARSE(app, argc, argv);
    return 0;
}
