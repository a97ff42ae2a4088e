#pragma once

#include <QWidget>

class QGroupBox;
class QLabel;
class QRadioButton;

namespace zka {

class ResourceText;

// The choice between the automatic mode (every camera of the segment, as one batch) and the manual
// mode (one camera by address). Automatic is selected at first; the choice stays for the whole run.
class ModePage final : public QWidget {
    Q_OBJECT

public:
    static constexpr int kAutomatic = 0;
    static constexpr int kManual = 1;

    // The texts must outlive the page.
    explicit ModePage(const ResourceText& texts, QWidget* parent = nullptr);

    // Called each time the page is shown: sets the captions and puts the keyboard focus on the
    // selected mode.
    void refreshTexts();
    // kAutomatic or kManual.
    int selectedMode() const;

private:
    void applyTexts();

    const ResourceText& texts_;
    QGroupBox* group_ = nullptr;
    QRadioButton* automatic_ = nullptr;
    QRadioButton* manual_ = nullptr;
    QLabel* help_ = nullptr;
};

} // namespace zka
