#include "support/RecordingDesktop.h"

namespace zka::test {

bool RecordingDesktop::openUrl(const std::string& url)
{
    openedUrls.push_back(url);
    return true;
}

std::optional<std::string> RecordingDesktop::chooseFileToOpen(const FileDialog& dialog)
{
    return answer(dialog);
}

std::optional<std::string> RecordingDesktop::chooseFileToSave(const FileDialog& dialog)
{
    return answer(dialog);
}

std::optional<std::string> RecordingDesktop::clipboardText()
{
    return clipboard_;
}

void RecordingDesktop::setClipboardText(const std::string& text)
{
    clipboard_ = text;
}

void RecordingDesktop::answerNextDialog(std::string path)
{
    paths_.push_back(std::move(path));
}

void RecordingDesktop::setClipboard(std::optional<std::string> text)
{
    clipboard_ = std::move(text);
}

std::optional<std::string> RecordingDesktop::answer(const FileDialog& dialog)
{
    dialogs.push_back(dialog);
    if (paths_.empty())
        return std::nullopt;
    std::string path = std::move(paths_.front());
    paths_.pop_front();
    return path;
}

} // namespace zka::test
