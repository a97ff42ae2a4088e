#pragma once

#include <QAbstractButton>
#include <QPixmap>

#include <array>

namespace zka {

// A push button drawn from four pictures of its caption: normal, pressed, focused and disabled. The
// pictures are drawn in code in the desktop's button colours and drawn again when those change. A
// double click counts as two clicks, so a double click on a "NEXT" button moves on two rows.
class BitmapButton final : public QAbstractButton {
    Q_OBJECT

public:
    enum class Face { Normal = 0, Pressed = 1, Focused = 2, Disabled = 3 };

    // The caption names the pictures ("PREV", "NEXT", "ADD", "DEL") and is the button's accessible text.
    explicit BitmapButton(const QString& caption, QWidget* parent = nullptr);

    const QPixmap& picture(Face face) const { return pictures_[std::size_t(face)]; }
    // The picture the button shows in its present state.
    Face currentFace() const;
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    void loadPictures();

    std::array<QPixmap, 4> pictures_;
};

} // namespace zka
