#pragma once

#include <deque>
#include <functional>
#include <vector>

#include "platform/UserPrompt.h"

namespace psion::headless {

// Records every message box and answers it as the test scripted. An OK box
// with nothing queued is answered OK; a Yes/No box with nothing queued
// throws std::logic_error, so an unexpected question fails the test.
class ScriptedPrompt : public platform::UserPrompt {
  public:
    // Runs while the box is "on screen", before it is answered.
    using Reaction = std::function<void(const platform::PromptMessage& shown)>;

    void QueueAnswer(platform::PromptAnswer answer, Reaction whileShown = {});

    // Records the message with an empty title replaced by the application's title.
    platform::PromptAnswer Show(const platform::PromptMessage& message) override;

    const std::vector<platform::PromptMessage>& Shown() const { return shown_; }
    std::size_t PendingAnswers() const { return answers_.size(); }

  private:
    struct Queued {
        platform::PromptAnswer answer;
        Reaction whileShown;
    };
    std::deque<Queued> answers_;
    std::vector<platform::PromptMessage> shown_;
};

}  // namespace psion::headless
