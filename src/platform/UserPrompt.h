#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

namespace psion::platform {

// Shown in the title of a message box that has no title of its own.
inline constexpr std::string_view kApplicationTitle = "Psion Interface";

enum class PromptButtons { Ok, YesNo };  // Yes is the default button of YesNo
enum class PromptIcon { None, Critical };
enum class PromptAnswer { Ok, Yes, No };

struct PromptMessage {
    std::string text;   // lines joined by CR LF
    std::string title;  // empty: the application's title
    PromptButtons buttons = PromptButtons::Ok;
    PromptIcon icon = PromptIcon::None;
};

// The one way the logic talks to the user: a modal message box.
class UserPrompt {
  public:
    virtual ~UserPrompt() = default;
    virtual PromptAnswer Show(const PromptMessage& message) = 0;
};

// Joins message lines with CR LF, as message boxes expect them.
template <typename Lines>
std::string JoinLineRange(const Lines& lines) {
    std::string text;
    bool first = true;
    for (std::string_view line : lines) {
        if (!first) text += "\r\n";
        text += line;
        first = false;
    }
    return text;
}

inline std::string JoinLines(std::initializer_list<std::string_view> lines) {
    return JoinLineRange(lines);
}

}  // namespace psion::platform
