#pragma once

#include <optional>
#include <string>
#include <vector>

namespace zka {

// What the operating system does for the operator: open a camera's web page in the browser, ask for
// a file to open or to save, and read or write the clipboard's plain text. The wizard owns one and
// hands it to the lists and dialogs; tests put a recording fake in its place, so no test ever opens
// a browser, a file dialog or the real clipboard. All members are called on the user-interface
// thread; the file dialogs are modal and return when the operator has chosen.
class Desktop {
public:
    // One entry of a file dialog's type list, such as {"Text files (*.txt)", "*.txt"}.
    struct FileFilter {
        std::string description;
        std::string pattern;
    };
    struct FileDialog {
        std::string title;
        std::vector<FileFilter> filters;
        // Appended to a typed name that has no extension ("txt", without the dot); empty: none.
        std::string defaultExtension;
        // The name the save dialog proposes; empty: none.
        std::string suggestedName;
        // Where the dialog opens: the home folder, or the folder of the last file chosen in a
        // dialog that also asked for it (the home folder before there is one).
        enum class StartFolder { Home, LastUsed };
        StartFolder startIn = StartFolder::Home;
    };

    virtual ~Desktop() = default;

    // Opens an http URL with the desktop's browser; false when nothing could open it.
    virtual bool openUrl(const std::string& url) = 0;
    // The path of the file the operator chose (UTF-8), or nothing when the dialog was cancelled.
    virtual std::optional<std::string> chooseFileToOpen(const FileDialog& dialog) = 0;
    virtual std::optional<std::string> chooseFileToSave(const FileDialog& dialog) = 0;
    // The clipboard's plain text, or nothing when it holds no text.
    virtual std::optional<std::string> clipboardText() = 0;
    virtual void setClipboardText(const std::string& text) = 0;
};

} // namespace zka
