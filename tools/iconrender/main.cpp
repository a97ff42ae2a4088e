// zka-iconrender: writes the application icon for the desktop's icon theme at build time, from the
// same drawing the wizard uses for its window icon.
//
//   zka-iconrender FILE.png SIZE    a square PNG of SIZE pixels
//   zka-iconrender FILE.svg         the scalable icon
#include "app/Artwork.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QString>
#include <QSvgGenerator>

#include <cstdio>
#include <cstdlib>

namespace {

constexpr int kScalableSize = 64; // the grid the icon is designed on

bool writePng(const QString& path, int size)
{
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    {
        QPainter painter(&image);
        zka::artwork::paintApplicationIcon(painter, size);
    }
    return image.save(path, "PNG");
}

bool writeSvg(const QString& path)
{
    QSvgGenerator svg;
    svg.setFileName(path);
    svg.setSize(QSize(kScalableSize, kScalableSize));
    svg.setViewBox(QRect(0, 0, kScalableSize, kScalableSize));
    svg.setTitle(QStringLiteral("ZKA-QM410 Firmware Upgrade"));
    QPainter painter;
    if (!painter.begin(&svg))
        return false;
    zka::artwork::paintApplicationIcon(painter, kScalableSize);
    return painter.end();
}

} // namespace

int main(int argc, char** argv)
{
    // The painter takes its default font from the application object, which needs no display here.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);

    const QString path = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString();
    bool written = false;
    if (argc == 3 && path.endsWith(QLatin1String(".png"))) {
        const int size = std::atoi(argv[2]);
        written = size > 0 && size <= 1024 && writePng(path, size);
    } else if (argc == 2 && path.endsWith(QLatin1String(".svg"))) {
        written = writeSvg(path);
    } else {
        std::fprintf(stderr, "usage: zka-iconrender FILE.png SIZE | zka-iconrender FILE.svg\n");
        return 64;
    }
    if (!written) {
        std::fprintf(stderr, "zka-iconrender: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
