#pragma once

#include "runtime/Desktop.h"

#include <deque>
#include <optional>
#include <string>
#include <vector>

namespace zka::test {

// A Desktop for tests: records the URLs it was asked to open and the file dialogs it was asked to
// show, answers the dialogs with prepared paths (none prepared: cancelled) and keeps a clipboard of
// its own.
class RecordingDesktop final : public Desktop {
public:
    bool openUrl(const std::string& url) override;
    std::optional<std::string> chooseFileToOpen(const FileDialog& dialog) override;
    std::optional<std::string> chooseFileToSave(const FileDialog& dialog) override;
    std::optional<std::string> clipboardText() override;
    void setClipboardText(const std::string& text) override;

    // The next file dialog returns this path; later dialogs take later paths.
    void answerNextDialog(std::string path);
    // The clipboard's contents; nothing: the clipboard holds no text.
    void setClipboard(std::optional<std::string> text);

    std::vector<std::string> openedUrls;
    std::vector<FileDialog> dialogs;

private:
    std::optional<std::string> answer(const FileDialog& dialog);

    std::deque<std::string> paths_;
    std::optional<std::string> clipboard_;
};

} // namespace zka::test
