#pragma once

#include <QLineEdit>
#include <QWidget>

#include <array>
#include <cstdint>

namespace zka {

// An IPv4 address entry: four fields of 0 to 255 in one edit frame, separated by dots. Typing a
// third digit or a dot moves to the next field, Backspace and the arrow keys cross between fields,
// and pasting a dotted address fills all four. A field may be left empty: it counts as 0, and the
// address is blank only when all four are empty.
class Ipv4AddressEdit final : public QWidget {
    Q_OBJECT

public:
    using Octets = std::array<std::uint8_t, 4>;

    explicit Ipv4AddressEdit(QWidget* parent = nullptr);

    void setAddress(const Octets& octets);
    Octets address() const;
    bool isBlank() const;
    void clear();
    // "a.b.c.d" of address().
    QString text() const;
    // Fills the fields from a dotted text "a.b.c.d"; returns false (and changes nothing) when the
    // text is not such an address.
    bool setText(const QString& dotted);

    QLineEdit* field(int index) const;
    // Keyboard focus to a field, its text selected.
    void focusField(int index = 0);

signals:
    void edited();

protected:
    void paintEvent(QPaintEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    int indexOf(QObject* object) const;
    bool handleKey(int index, QKeyEvent* event);
    void onFieldEdited(int index);

    std::array<QLineEdit*, 4> fields_{};
};

} // namespace zka
