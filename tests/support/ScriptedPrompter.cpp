#include "support/ScriptedPrompter.h"

namespace zka::test {

MessageAnswer ScriptedPrompter::show(const Message& message)
{
    std::lock_guard lock(mutex_);
    messages_.push_back(message);
    changed_.notify_all();
    if (!answers_.empty()) {
        const auto answer = answers_.front();
        answers_.pop_front();
        return answer;
    }
    return message.buttons == MessageButtons::YesNo ? MessageAnswer::Yes : MessageAnswer::Ok;
}

void ScriptedPrompter::answerNext(MessageAnswer answer)
{
    std::lock_guard lock(mutex_);
    answers_.push_back(answer);
}

std::vector<Message> ScriptedPrompter::messages() const
{
    std::lock_guard lock(mutex_);
    return messages_;
}

std::size_t ScriptedPrompter::count() const
{
    std::lock_guard lock(mutex_);
    return messages_.size();
}

void ScriptedPrompter::clear()
{
    std::lock_guard lock(mutex_);
    messages_.clear();
}

bool ScriptedPrompter::waitForCount(std::size_t n, std::chrono::milliseconds timeout) const
{
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, timeout, [&] { return messages_.size() >= n; });
}

} // namespace zka::test
