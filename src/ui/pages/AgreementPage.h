#pragma once

#include <QWidget>

class QPlainTextEdit;
class QRadioButton;

namespace zka {

class ResourceText;

// The licence agreement and the operator's choice: "Not agree" (selected at first) or "Agree".
// The choice stays as the operator left it for the whole run.
class AgreementPage final : public QWidget {
    Q_OBJECT

public:
    explicit AgreementPage(const ResourceText& texts, QWidget* parent = nullptr);

    // Puts the keyboard focus on the selected button and tells whether it is "Agree". The wizard asks
    // each time it shows the page and enables Next exactly when the answer is true.
    bool isAgreed();
    QString agreementText() const;

signals:
    // The operator changed the choice; the wizard enables Next exactly when agreed is true.
    void agreedChanged(bool agreed);

private:
    QPlainTextEdit* agreement_ = nullptr;
    QRadioButton* notAgree_ = nullptr;
    QRadioButton* agree_ = nullptr;
};

} // namespace zka
