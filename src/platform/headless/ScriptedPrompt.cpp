#include "platform/headless/ScriptedPrompt.h"

#include <stdexcept>
#include <utility>

namespace psion::headless {

using platform::PromptAnswer;
using platform::PromptButtons;

namespace {

bool Offers(PromptButtons buttons, PromptAnswer answer) {
    if (buttons == PromptButtons::Ok) return answer == PromptAnswer::Ok;
    return answer == PromptAnswer::Yes || answer == PromptAnswer::No;
}

}  // namespace

void ScriptedPrompt::QueueAnswer(PromptAnswer answer, Reaction whileShown) {
    answers_.push_back({answer, std::move(whileShown)});
}

PromptAnswer ScriptedPrompt::Show(const platform::PromptMessage& message) {
    platform::PromptMessage shown = message;
    if (shown.title.empty()) shown.title = platform::kApplicationTitle;
    shown_.push_back(shown);

    if (answers_.empty()) {
        if (shown.buttons == PromptButtons::Ok) return PromptAnswer::Ok;
        throw std::logic_error("unexpected question: " + shown.text);
    }
    Queued next = std::move(answers_.front());
    answers_.pop_front();
    if (!Offers(shown.buttons, next.answer)) {
        throw std::logic_error("the queued answer is not a button of the box: " + shown.text);
    }
    if (next.whileShown) next.whileShown(shown);
    return next.answer;
}

}  // namespace psion::headless
