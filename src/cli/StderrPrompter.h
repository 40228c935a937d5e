#pragma once
// The command line's prompter: every message box becomes a line "CAPTION: text"
// on the error stream; a notice already shown (such as the JPEG warning of
// every compression in a quality search) is not repeated. Questions are
// answered Yes only when the user said so on the command line (--yes); the
// Save As dialog answers with the path the command line names.

#include <cstddef>
#include <iostream>
#include <optional>
#include <ostream>
#include <set>
#include <string>
#include <utility>

#include "platform/Prompter.h"

namespace tamr {

class StderrPrompter : public Prompter {
public:
    explicit StderrPrompter(std::ostream& stream = std::cerr) : stream_(stream) {}

    MessageAnswer ShowMessage(const Message& message) override;
    // The error line, then the detail on a line of its own.
    void ShowErrorWithDetail(const std::string& text, const std::string& caption, const std::string& detail) override;
    std::optional<ChosenFile> AskSaveFile(const SaveFileRequest& request) override;

    void AnswerQuestionsYes(bool yes) { answerYes_ = yes; }
    // --quiet: notices (message boxes with an OK button only and no error
    // icon) are counted but not printed.
    void KeepNoticesToItself(bool quiet) { quiet_ = quiet; }
    void SetSaveChoice(ChosenFile choice) { saveChoice_ = std::move(choice); }

    // How many messages have been shown, so callers know whether the user was told anything.
    std::size_t MessageCount() const { return count_; }

private:
    std::ostream& stream_;
    std::size_t count_ = 0;
    bool answerYes_ = false;
    bool quiet_ = false;
    std::optional<ChosenFile> saveChoice_;
    std::set<std::pair<std::string, std::string>> noticesShown_; // caption and text
};

} // namespace tamr
