#pragma once

#include "runtime/Prompter.h"

#include <condition_variable>
#include <deque>
#include <mutex>
#include <vector>

namespace zka::test {

// A Prompter for tests: records every message and answers from a script. Without a scripted answer
// it gives the affirmative one (OK, or Yes). Safe to call from any thread.
class ScriptedPrompter final : public Prompter {
public:
    MessageAnswer show(const Message& message) override;

    void answerNext(MessageAnswer answer);
    std::vector<Message> messages() const;
    std::size_t count() const;
    void clear();
    // Waits (real time) until at least n messages were shown; returns whether they were.
    bool waitForCount(std::size_t n, std::chrono::milliseconds timeout) const;

private:
    mutable std::mutex mutex_;
    mutable std::condition_variable changed_;
    std::deque<MessageAnswer> answers_;
    std::vector<Message> messages_;
};

} // namespace zka::test
