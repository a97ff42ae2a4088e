#pragma once

#include <QLineEdit>
#include <QWidget>

class QContextMenuEvent;
class QKeyEvent;
class QMouseEvent;

#include <array>
#include <cstdint>

namespace zka {

// An IPv4 address entry: four fields of 0 to 255 in one edit frame, separated by dots. Typing a
// third digit or a dot moves to the next field, Backspace and the arrow keys cross between fields,
// and pasting a dotted address (keyboard, context menu or middle button) fills all four. A field
// may be left empty: it counts as 0, and the address is blank only when all four are empty.
//
// A whole dotted address typed over the present one lands as typed, wherever the typing starts:
// the first click into a field selects it, so typing replaces it; a dot right after a full field
// moved the typing on by itself is swallowed; a leading zero gives way to the next digit ("0"
// then "3" is 3, never "03"); and when the typing reaches the last field with numbers still to
// come, the numbers typed so far move to the front fields. Ctrl+A selects the whole address:
// typing, Delete, Copy and Cut then act on all four fields.
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
    bool handleKeyOverWholeAddress(QKeyEvent* event);
    bool handleMouse(int index, QMouseEvent* event);
    void showContextMenu(int index, QContextMenuEvent* event);
    void onFieldEdited(int index);

    void selectWholeAddress();
    void endWholeSelection();
    // Forgets the address being typed, the whole selection and a pending swallowed dot.
    void resetTyping();
    // A dotted address from the clipboard fills all four fields; false for any other text.
    bool pasteAddress(const QString& text);
    // Moves the numbers typed since typingStart_ to the front fields and goes on after them.
    void moveTypedToFront();

    std::array<QLineEdit*, 4> fields_{};
    // The field where the address being typed began; -1 when no typing is under way.
    int typingStart_ = -1;
    // A full field has just moved the typing on: a dot typed now ends nothing and is swallowed.
    bool justAdvanced_ = false;
    // All four fields are selected (Ctrl+A).
    bool wholeSelected_ = false;
    // The field whose next left click selects its text instead of placing the cursor: the field
    // that has just received the focus. -1 once the operator has typed or clicked in it.
    int selectOnClick_ = -1;
    // The left button went down on a field and selected it; moves until release do not reselect.
    bool clickSelected_ = false;
};

} // namespace zka
