#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

#include "platform/headless/MapEnvironment.h"
#include "platform/headless/ScriptedPrompt.h"

namespace psion::headless {
namespace {

using platform::PromptAnswer;
using platform::PromptButtons;
using platform::PromptIcon;
using platform::PromptMessage;

PromptMessage Box(std::string text, std::string title, PromptButtons buttons) {
    PromptMessage message;
    message.text = std::move(text);
    message.title = std::move(title);
    message.buttons = buttons;
    return message;
}

TEST(ScriptedPromptTest, RecordsEveryBoxWithTheApplicationTitleForAnEmptyOne) {
    ScriptedPrompt prompt;
    PromptMessage critical = Box("line 1\r\nline 2", "Send to Psion", PromptButtons::Ok);
    critical.icon = PromptIcon::Critical;

    EXPECT_EQ(prompt.Show(critical), PromptAnswer::Ok);
    EXPECT_EQ(prompt.Show(Box("Error shelling x", "", PromptButtons::Ok)), PromptAnswer::Ok);

    ASSERT_EQ(prompt.Shown().size(), 2u);
    EXPECT_EQ(prompt.Shown()[0].text, "line 1\r\nline 2");
    EXPECT_EQ(prompt.Shown()[0].title, "Send to Psion");
    EXPECT_EQ(prompt.Shown()[0].icon, PromptIcon::Critical);
    EXPECT_EQ(prompt.Shown()[1].title, platform::kApplicationTitle);
}

TEST(ScriptedPromptTest, AnswersQuestionsInTheOrderQueued) {
    ScriptedPrompt prompt;
    prompt.QueueAnswer(PromptAnswer::No);
    prompt.QueueAnswer(PromptAnswer::Yes);

    EXPECT_EQ(prompt.Show(Box("first?", "Q", PromptButtons::YesNo)), PromptAnswer::No);
    EXPECT_EQ(prompt.Show(Box("second?", "Q", PromptButtons::YesNo)), PromptAnswer::Yes);
    EXPECT_EQ(prompt.PendingAnswers(), 0u);
}

TEST(ScriptedPromptTest, UnexpectedQuestionIsALogicErrorButIsRecorded) {
    ScriptedPrompt prompt;

    EXPECT_THROW(prompt.Show(Box("sure?", "Q", PromptButtons::YesNo)), std::logic_error);
    ASSERT_EQ(prompt.Shown().size(), 1u);
    EXPECT_EQ(prompt.Shown()[0].text, "sure?");
}

TEST(ScriptedPromptTest, AnswerThatTheBoxDoesNotOfferIsALogicError) {
    ScriptedPrompt prompt;
    prompt.QueueAnswer(PromptAnswer::Yes);

    EXPECT_THROW(prompt.Show(Box("done", "T", PromptButtons::Ok)), std::logic_error);
}

TEST(ScriptedPromptTest, ReactionRunsWhileTheBoxIsShown) {
    ScriptedPrompt prompt;
    std::string seenTitle;
    std::size_t recordedSoFar = 0;
    prompt.QueueAnswer(PromptAnswer::Ok, [&](const PromptMessage& shown) {
        seenTitle = shown.title;
        recordedSoFar = prompt.Shown().size();
    });

    prompt.Show(Box("saved", "", PromptButtons::Ok));

    EXPECT_EQ(seenTitle, platform::kApplicationTitle);
    EXPECT_EQ(recordedSoFar, 1u);
}

TEST(MapEnvironmentTest, LooksNamesUpWithoutRegardToLetterCase) {
    MapEnvironment environment;
    environment.Set("HOMEDRIVE", "C:");

    EXPECT_EQ(environment.Get("homedrive"), "C:");
    EXPECT_EQ(environment.Get("HomeDrive"), "C:");
    EXPECT_EQ(environment.Get("homepath"), std::nullopt);
    EXPECT_EQ(environment.Get("homedriv"), std::nullopt);
}

TEST(MapEnvironmentTest, ExactNameWinsAndEmptyValueCountsAsSet) {
    MapEnvironment environment;
    environment.Set("HOMEDRIVE", "C:");
    environment.Set("homedrive", "");

    EXPECT_EQ(environment.Get("homedrive"), "");
    EXPECT_EQ(environment.Get("HOMEDRIVE"), "C:");
}

}  // namespace
}  // namespace psion::headless
