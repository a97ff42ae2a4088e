#include "ui/dialogs/BitmapButton.h"

#include <QEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>

namespace zka {
namespace {

constexpr QSize kPictureSize{64, 24};

// The symbol drawn before the caption: a triangle pointing back or on, a plus, or a cross.
void drawSymbol(QPainter& painter, const QString& caption, const QRectF& box, const QColor& colour)
{
    painter.setPen(QPen(colour, 2.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.setBrush(colour);
    const QPointF c = box.center();
    const qreal r = box.height() / 2.0;
    if (caption == QLatin1String("PREV") || caption == QLatin1String("NEXT")) {
        const qreal dir = caption == QLatin1String("PREV") ? -1.0 : 1.0;
        QPainterPath arrow;
        arrow.moveTo(c.x() + dir * r * 0.8, c.y());
        arrow.lineTo(c.x() - dir * r * 0.6, c.y() - r * 0.8);
        arrow.lineTo(c.x() - dir * r * 0.6, c.y() + r * 0.8);
        arrow.closeSubpath();
        painter.drawPath(arrow);
    } else if (caption == QLatin1String("ADD")) {
        painter.drawLine(QPointF(c.x() - r * 0.8, c.y()), QPointF(c.x() + r * 0.8, c.y()));
        painter.drawLine(QPointF(c.x(), c.y() - r * 0.8), QPointF(c.x(), c.y() + r * 0.8));
    } else if (caption == QLatin1String("DEL")) {
        painter.drawLine(QPointF(c.x() - r * 0.6, c.y() - r * 0.6), QPointF(c.x() + r * 0.6, c.y() + r * 0.6));
        painter.drawLine(QPointF(c.x() - r * 0.6, c.y() + r * 0.6), QPointF(c.x() + r * 0.6, c.y() - r * 0.6));
    }
}

QPixmap drawFace(const QString& caption, BitmapButton::Face face, const QPalette& palette, const QFont& font)
{
    using Face = BitmapButton::Face;
    QPixmap pixmap(kPictureSize);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);

    // The desktop's three-dimensional colours: face, light edge, dark edge.
    const QColor faceColour = palette.color(QPalette::Active, QPalette::Button);
    const QColor light = palette.color(QPalette::Active, QPalette::Light);
    const QColor dark = palette.color(QPalette::Active, QPalette::Dark);
    const QColor shadow = palette.color(QPalette::Active, QPalette::Shadow);
    const bool pressed = face == Face::Pressed;
    const QRectF frame(0.5, 0.5, kPictureSize.width() - 1.0, kPictureSize.height() - 1.0);

    QLinearGradient fill(frame.topLeft(), frame.bottomLeft());
    fill.setColorAt(0.0, pressed ? faceColour.darker(112) : light);
    fill.setColorAt(1.0, pressed ? faceColour : faceColour.darker(106));
    painter.setPen(QPen(face == Face::Focused ? shadow : dark, face == Face::Focused ? 1.6 : 1.0));
    painter.setBrush(fill);
    painter.drawRoundedRect(frame, 3, 3);

    const qreal shift = pressed ? 1.0 : 0.0;
    const QColor ink = face == Face::Disabled ? palette.color(QPalette::Disabled, QPalette::ButtonText)
                                              : palette.color(QPalette::Active, QPalette::ButtonText);
    const QRectF symbol(7 + shift, 7 + shift, 10, 10);
    drawSymbol(painter, caption, symbol, ink);

    QFont bold = font;
    bold.setBold(true);
    painter.setFont(bold);
    painter.setPen(ink);
    painter.drawText(QRectF(20 + shift, shift, kPictureSize.width() - 24, kPictureSize.height()), Qt::AlignCenter,
                     caption);

    if (face == Face::Focused) {
        painter.setRenderHint(QPainter::Antialiasing, false);
        painter.setPen(QPen(ink, 1, Qt::DotLine));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(QRect(3, 3, kPictureSize.width() - 7, kPictureSize.height() - 7));
    }
    return pixmap;
}

} // namespace

BitmapButton::BitmapButton(const QString& caption, QWidget* parent)
    : QAbstractButton(parent)
{
    setText(caption);
    setAccessibleName(caption);
    setFocusPolicy(Qt::StrongFocus);
    loadPictures();
    setFixedSize(kPictureSize);
}

BitmapButton::Face BitmapButton::currentFace() const
{
    if (!isEnabled())
        return Face::Disabled;
    if (isDown())
        return Face::Pressed;
    if (hasFocus())
        return Face::Focused;
    return Face::Normal;
}

QSize BitmapButton::sizeHint() const
{
    return kPictureSize;
}

void BitmapButton::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.drawPixmap(0, 0, picture(currentFace()));
}

void BitmapButton::changeEvent(QEvent* event)
{
    // New desktop colours: the pictures are drawn again in them.
    if (event->type() == QEvent::PaletteChange || event->type() == QEvent::StyleChange)
        loadPictures();
    QAbstractButton::changeEvent(event);
}

void BitmapButton::mouseDoubleClickEvent(QMouseEvent* event)
{
    // The second press of a double click presses the button again; its release clicks once more.
    mousePressEvent(event);
}

void BitmapButton::loadPictures()
{
    for (int face = 0; face < 4; ++face)
        pictures_[std::size_t(face)] = drawFace(text(), Face(face), palette(), font());
    update();
}

} // namespace zka
