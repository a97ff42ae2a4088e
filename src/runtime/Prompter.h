#pragma once

#include <optional>
#include <string>

namespace zka {

// Warning is also the "exclamation" icon: the desktop shows one picture for both.
enum class MessageIcon { None, Information, Question, Warning, Error };
enum class MessageButtons { Ok, OkCancel, YesNo };
enum class MessageAnswer { Ok, Cancel, Yes, No };

struct Message {
    std::string text;
    std::string caption;
    MessageIcon icon = MessageIcon::None;
    MessageButtons buttons = MessageButtons::Ok;
    // The button that Enter presses; none: the first one (OK, or Yes).
    std::optional<MessageAnswer> defaultAnswer = std::nullopt;

    bool operator==(const Message&) const = default;
};

// Every message box of the system goes through a Prompter. show() blocks its caller until the
// message is answered; it may be called from any thread.
class Prompter {
public:
    virtual ~Prompter() = default;
    virtual MessageAnswer show(const Message& message) = 0;
};

const char* iconName(MessageIcon icon);

} // namespace zka
