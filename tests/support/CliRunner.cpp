#include "support/CliRunner.h"

#include <sys/wait.h>

#include <cstdio>

namespace tamr::test {

std::string Quoted(const std::string& text)
{
    std::string quoted = "'";
    for (const char c : text)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

CliRun RunCli(const std::string& arguments, const ScratchDir& scratch, const std::string& shellFirst)
{
    const auto errPath = scratch / "stderr.txt";
    const std::string command = shellFirst + Quoted(TAMR_CLI_PATH) + " " + arguments + " 2>" + Quoted(errPath.string());
    CliRun run;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe)
        return run;
    char buffer[4096];
    std::size_t count = 0;
    while ((count = std::fread(buffer, 1, sizeof buffer, pipe)) > 0)
        run.out.append(buffer, count);
    const int status = pclose(pipe);
    // A crash shows as a signal, or as the shell's exit code 128 + signal.
    if (WIFEXITED(status))
        run.exitCode = WEXITSTATUS(status);
    const auto err = ReadBytes(errPath);
    run.err.assign(err.begin(), err.end());
    return run;
}

} // namespace tamr::test
