#pragma once

#include <QTimer>
#include <QWidget>

#include <atomic>
#include <string>

namespace zka {

class ReadOnlyField;
class ResourceText;
class SolidProgressBar;

// The manual mode's confirmation and progress: the target, its current and new version, what
// happens to its settings, a status line, the stage of the upgrade and a progress bar.
//
// The bar follows progressValue(), an atomic that the upgrade's worker threads write (0..10000); the
// page redraws the bar from it on a timer of its own while the page is visible.
class ManualProgressPage final : public QWidget {
    Q_OBJECT

public:
    static constexpr int kRedrawPeriodMs = 50;

    // The texts must outlive the page.
    explicit ManualProgressPage(const ResourceText& texts, QWidget* parent = nullptr);

    void setTargetAddress(const std::string& address);
    void setCurrentVersion(const std::string& version);
    void setNewVersion(const std::string& version);
    void setStatusText(const std::string& text);
    // 0 empties the stage line, 1 to 9 show the stage's word; any other number leaves it unchanged.
    void setStage(int stage);
    // The bar and its value back to 0, at once.
    void resetProgress();
    void setSetupData(bool retain, bool backup);

    std::atomic<int>& progressValue() { return progress_; }
    // Copies progressValue() to the bar now; the timer does it while the page is shown.
    void refreshProgress();

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    const ResourceText& texts_;
    std::atomic<int> progress_{0};
    QTimer redraw_;

    ReadOnlyField* address_ = nullptr;
    ReadOnlyField* currentVersion_ = nullptr;
    ReadOnlyField* newVersion_ = nullptr;
    ReadOnlyField* setupData_ = nullptr;
    ReadOnlyField* status_ = nullptr;
    ReadOnlyField* stage_ = nullptr;
    SolidProgressBar* bar_ = nullptr;
};

} // namespace zka
