#pragma once

#include "runtime/Desktop.h"

#include <QPointer>
#include <QWidget>

namespace zka {

// The desktop on Qt: the browser through QDesktopServices, Qt's own file dialogs (the same on every
// desktop, with a file-name field that takes a typed path and Enter) and the application clipboard.
// The dialogs are modal to the owner window.
class QtDesktop final : public Desktop {
public:
    explicit QtDesktop(QWidget* owner);
    QtDesktop(const QtDesktop&) = delete;
    QtDesktop& operator=(const QtDesktop&) = delete;

    bool openUrl(const std::string& url) override;
    std::optional<std::string> chooseFileToOpen(const FileDialog& dialog) override;
    std::optional<std::string> chooseFileToSave(const FileDialog& dialog) override;
    std::optional<std::string> clipboardText() override;
    void setClipboardText(const std::string& text) override;

private:
    std::optional<std::string> runFileDialog(const FileDialog& dialog, bool save);

    QPointer<QWidget> owner_;
    QString lastUsedFolder_;
};

} // namespace zka
