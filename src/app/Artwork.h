#pragma once

#include <QIcon>
#include <QPixmap>

class QPainter;

namespace zka {

// The tool's own pictures, drawn in code so that they scale cleanly and need no binary files.
namespace artwork {

// The application icon (a camera with an upgrade arrow), in the usual sizes from 16 to 256 pixels.
QIcon applicationIcon();
// The application icon drawn at one size, in pixels.
QPixmap applicationPixmap(int size);
// Draws the application icon into the square from the painter's origin to (size, size), on any
// paint device: a pixmap, an image, or a vector file for the icon theme.
void paintApplicationIcon(QPainter& painter, qreal size);
// The badge shown at the lower left of the wizard while the camera runs emergency firmware: a
// warning triangle with "EMERGENCY" beside it.
QPixmap emergencyImage();

} // namespace artwork
} // namespace zka
