#pragma once

#include <QPushButton>

namespace zka {

// The wizard's Next button. Releasing the K key while the button has the keyboard focus reports it
// (the wizard enters its relaxed address mode on the first page); every key release, K or not, then
// gets the button's ordinary handling.
class KeyReportButton final : public QPushButton {
    Q_OBJECT

public:
    explicit KeyReportButton(const QString& text, QWidget* parent = nullptr);

signals:
    void kKeyReleased();

protected:
    void keyReleaseEvent(QKeyEvent* event) override;
};

} // namespace zka
