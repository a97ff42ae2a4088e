#include "ui/lists/ListArtwork.h"

#include <QPainter>
#include <QPainterPath>

#include <initializer_list>
#include <utility>

namespace zka::listart {
namespace {

using Band = std::pair<int, QRgb>; // rows, colour

QImage bands(std::initializer_list<Band> list)
{
    int height = 0;
    for (const Band& band : list)
        height += band.first;
    QImage image(1, height, QImage::Format_RGB32);
    int y = 0;
    for (const Band& band : list) {
        for (int i = 0; i < band.first; ++i)
            image.setPixel(0, y++, band.second);
    }
    return image;
}

void drawBox(QPainter& painter, const QColor& frame, const QColor& fill)
{
    painter.setPen(QPen(frame, 1));
    painter.setBrush(fill);
    painter.drawRect(QRectF(3.5, 1.5, 13, 13));
}

void drawTick(QPainter& painter, const QColor& colour)
{
    QPainterPath tick;
    tick.moveTo(6.0, 8.0);
    tick.lineTo(9.0, 11.0);
    tick.lineTo(14.5, 4.5);
    painter.setPen(QPen(colour, 2.0, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(tick);
}

} // namespace

QImage strip(Strip which)
{
    switch (which) {
    case Strip::Normal:
        return bands({{2, 0xF4F4F4}, {10, 0xFBFBFB}, {4, 0xF4F4F4}, {1, 0xD9D9D9}});
    case Strip::Selected:
        return bands({{2, 0x283F7B}, {10, 0x2A427F}, {4, 0x283F7B}, {1, 0x23386C}});
    case Strip::NoAnswer:
        return bands({{2, 0xF79D9D}, {10, 0xFFA3A3}, {4, 0xF79D9D}, {1, 0xDE8C8D}});
    case Strip::Answered:
        return bands({{2, 0xC5C5F7}, {10, 0xCCC8FF}, {4, 0xC5C5F7}, {1, 0xB1AFDE}});
    case Strip::Duplicate:
        return bands({{2, 0xF7D258}, {10, 0xFFD95B}, {4, 0xF7D258}, {1, 0xDEBA4F}});
    case Strip::BarFill:
        return bands({{2, 0x9C9EF7}, {3, 0xB5B2FF}, {1, 0x9C9EF7}, {3, 0x949AF7}, {2, 0x848EDE}});
    }
    return {};
}

QPixmap checkImage(CheckImage which)
{
    QPixmap pixmap(kCheckImageWidth, kCheckImageHeight);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    const QColor grey(0x80, 0x80, 0x80);
    switch (which) {
    case CheckImage::Unchecked:
        drawBox(painter, grey, Qt::white);
        break;
    case CheckImage::Checked:
        drawBox(painter, grey, Qt::white);
        drawTick(painter, Qt::black);
        break;
    case CheckImage::Greyed:
        drawBox(painter, grey, Qt::transparent);
        drawTick(painter, grey);
        break;
    }
    return pixmap;
}

} // namespace zka::listart
