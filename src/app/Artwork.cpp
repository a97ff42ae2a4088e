#include "app/Artwork.h"

#include <QFont>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

namespace zka::artwork {
namespace {

// The icon is designed on a 64 by 64 grid and scaled to the size asked for.
constexpr qreal kGrid = 64.0;

void drawCamera(QPainter& painter)
{
    const QColor outline(0x1d, 0x26, 0x30);

    // Viewfinder hump on top of the body.
    painter.setPen(QPen(outline, 1.5));
    painter.setBrush(QColor(0x47, 0x55, 0x66));
    painter.drawRoundedRect(QRectF(13, 11, 16, 9), 2.5, 2.5);

    QLinearGradient body(0, 16, 0, 50);
    body.setColorAt(0.0, QColor(0x72, 0x83, 0x96));
    body.setColorAt(1.0, QColor(0x2b, 0x36, 0x42));
    painter.setBrush(body);
    painter.drawRoundedRect(QRectF(5, 17, 48, 32), 6, 6);

    // Lens: dark ring, blue glass, a glint.
    painter.setBrush(QColor(0x14, 0x1a, 0x21));
    painter.drawEllipse(QPointF(27, 33), 12.5, 12.5);
    QRadialGradient glass(QPointF(24, 30), 11);
    glass.setColorAt(0.0, QColor(0x7c, 0xc0, 0xf5));
    glass.setColorAt(0.6, QColor(0x1f, 0x62, 0xa8));
    glass.setColorAt(1.0, QColor(0x0a, 0x24, 0x6a));
    painter.setPen(Qt::NoPen);
    painter.setBrush(glass);
    painter.drawEllipse(QPointF(27, 33), 9, 9);
    painter.setBrush(QColor(255, 255, 255, 190));
    painter.drawEllipse(QPointF(23.5, 29.5), 2.6, 2.0);

    // Recording lamp.
    painter.setBrush(QColor(0xe5, 0x39, 0x35));
    painter.drawEllipse(QPointF(46, 23), 2.2, 2.2);
}

void drawUpgradeBadge(QPainter& painter)
{
    const QPointF centre(47, 47);
    QRadialGradient fill(centre + QPointF(-3, -4), 15);
    fill.setColorAt(0.0, QColor(0x6f, 0xd0, 0x63));
    fill.setColorAt(1.0, QColor(0x1e, 0x8a, 0x2e));
    painter.setPen(QPen(Qt::white, 2.5));
    painter.setBrush(fill);
    painter.drawEllipse(centre, 14, 14);

    QPainterPath arrow;
    arrow.moveTo(47, 37);
    arrow.lineTo(55, 46);
    arrow.lineTo(50.5, 46);
    arrow.lineTo(50.5, 55);
    arrow.lineTo(43.5, 55);
    arrow.lineTo(43.5, 46);
    arrow.lineTo(39, 46);
    arrow.closeSubpath();
    painter.setPen(Qt::NoPen);
    painter.setBrush(Qt::white);
    painter.drawPath(arrow);
}

void drawWarningTriangle(QPainter& painter, const QRectF& box)
{
    QPainterPath triangle;
    triangle.moveTo(box.center().x(), box.top());
    triangle.lineTo(box.right(), box.bottom());
    triangle.lineTo(box.left(), box.bottom());
    triangle.closeSubpath();

    QLinearGradient fill(box.topLeft(), box.bottomLeft());
    fill.setColorAt(0.0, QColor(0xff, 0xd8, 0x3a));
    fill.setColorAt(1.0, QColor(0xf0, 0xa8, 0x00));
    painter.setPen(QPen(QColor(0x3a, 0x2a, 0x00), 1.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.setBrush(fill);
    painter.drawPath(triangle);

    // The exclamation mark: a tapering bar and a dot.
    const qreal x = box.center().x();
    const qreal h = box.height();
    QPainterPath bar;
    bar.moveTo(x - h * 0.07, box.top() + h * 0.32);
    bar.lineTo(x + h * 0.07, box.top() + h * 0.32);
    bar.lineTo(x + h * 0.035, box.top() + h * 0.68);
    bar.lineTo(x - h * 0.035, box.top() + h * 0.68);
    bar.closeSubpath();
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0x1a, 0x1a, 0x1a));
    painter.drawPath(bar);
    painter.drawEllipse(QPointF(x, box.top() + h * 0.82), h * 0.065, h * 0.065);
}

} // namespace

void paintApplicationIcon(QPainter& painter, qreal size)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(size / kGrid, size / kGrid);
    drawCamera(painter);
    drawUpgradeBadge(painter);
    painter.restore();
}

QPixmap applicationPixmap(int size)
{
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    paintApplicationIcon(painter, size);
    return pixmap;
}

QIcon applicationIcon()
{
    QIcon icon;
    for (const int size : {16, 24, 32, 48, 64, 128, 256})
        icon.addPixmap(applicationPixmap(size));
    return icon;
}

QPixmap emergencyImage()
{
    constexpr int kWidth = 156;
    constexpr int kHeight = 34;
    QPixmap pixmap(kWidth, kHeight);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);

    drawWarningTriangle(painter, QRectF(2, 3, 32, 28));

    QFont heading(QStringLiteral("DejaVu Sans"));
    heading.setPixelSize(15);
    heading.setBold(true);
    heading.setLetterSpacing(QFont::AbsoluteSpacing, 0.6);
    painter.setFont(heading);
    painter.setPen(QColor(0xc6, 0x10, 0x10));
    painter.drawText(QRectF(40, 0, kWidth - 40, 19), Qt::AlignLeft | Qt::AlignBottom, QStringLiteral("EMERGENCY"));

    QFont note(QStringLiteral("DejaVu Sans"));
    note.setPixelSize(10);
    painter.setFont(note);
    painter.setPen(QColor(0x40, 0x40, 0x40));
    painter.drawText(QRectF(41, 20, kWidth - 41, 13), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("firmware on camera"));
    return pixmap;
}

} // namespace zka::artwork
