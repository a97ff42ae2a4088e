#pragma once

#include <QWidget>

#include <string>

class QTextEdit;

namespace zka {

class ReadOnlyField;
class ResourceText;
class SolidProgressBar;

// The end of a manual upgrade: the target, the result message with the version the camera now runs,
// and a full progress bar.
class ManualResultPage final : public QWidget {
    Q_OBJECT

public:
    // The texts must outlive the page.
    explicit ManualResultPage(const ResourceText& texts, QWidget* parent = nullptr);

    void setTargetAddress(const std::string& address);
    // The success message followed by Target camera version is "N", where N is the version text
    // without its "ver" prefix.
    void setResultVersion(const std::string& version);
    // The result message as shown.
    QString resultText() const;

private:
    void showResult(const std::string& text);

    const ResourceText& texts_;
    ReadOnlyField* address_ = nullptr;
    QTextEdit* result_ = nullptr;
    SolidProgressBar* bar_ = nullptr;
};

} // namespace zka
