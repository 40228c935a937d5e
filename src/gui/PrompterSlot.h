#pragma once
// The prompter the program's documents and views hold: it passes every
// question on to the prompter installed now, so that tests can install a
// scripted one after the documents were made.

#include "platform/Prompter.h"

namespace tamr::qt {

class PrompterSlot : public Prompter {
public:
    explicit PrompterSlot(Prompter& target) : target_(&target) {}

    void Install(Prompter& target) { target_ = &target; }
    Prompter& Installed() const { return *target_; }

    MessageAnswer ShowMessage(const Message& message) override { return target_->ShowMessage(message); }
    std::optional<ChosenFile> AskSaveFile(const SaveFileRequest& request) override
    {
        return target_->AskSaveFile(request);
    }
    // Passed on as they are: a notice stays a notice, and a box keeps its detail.
    void ShowNotice(const std::string& text, const std::string& caption) override
    {
        target_->ShowNotice(text, caption);
    }
    void ShowErrorWithDetail(const std::string& text, const std::string& caption, const std::string& detail) override
    {
        target_->ShowErrorWithDetail(text, caption, detail);
    }

private:
    Prompter* target_;
};

} // namespace tamr::qt
