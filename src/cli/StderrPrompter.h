#pragma once
// The command line's prompter: every message box becomes a line "CAPTION: text"
// on the error stream, answered as if the user pressed Enter.

#include <cstddef>
#include <iostream>
#include <ostream>

#include "platform/Prompter.h"

namespace tamr {

class StderrPrompter : public Prompter {
public:
    explicit StderrPrompter(std::ostream& stream = std::cerr) : stream_(stream) {}

    MessageAnswer ShowMessage(const Message& message) override;

    // How many messages have been shown, so callers know whether the user was told anything.
    std::size_t MessageCount() const { return count_; }

private:
    std::ostream& stream_;
    std::size_t count_ = 0;
};

} // namespace tamr
