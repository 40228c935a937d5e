#pragma once
// Runs the built tamr-cli through the shell and collects what it printed.

#include <string>

#include "support/TestSupport.h"

namespace tamr::test {

struct CliRun {
    int exitCode = -1; // -1: did not exit normally (a crash shows here)
    std::string out;
    std::string err;
};

// The text quoted for the shell.
std::string Quoted(const std::string& text);

// Runs tamr-cli with the given (already quoted) arguments; its standard error
// goes through a file in the scratch folder. `shellFirst` runs in the same
// shell just before (such as a ulimit).
CliRun RunCli(const std::string& arguments, const ScratchDir& scratch, const std::string& shellFirst = "");

} // namespace tamr::test
