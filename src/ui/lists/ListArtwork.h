#pragma once

#include <QImage>
#include <QPixmap>

namespace zka::listart {

// The pictures of the camera lists, generated in code.
//
// A strip is one pixel wide and is stretched over a whole row (or a progress bar): horizontal bands
// of colour, lighter in the middle and with a darker last line, which gives the rows a slight relief
// and separates them from each other.
enum class Strip {
    Normal,    // an ordinary row
    Selected,  // a selected row (drawn with the highlight text colour)
    NoAnswer,  // a probe without an answer, or a camera that is already listed elsewhere
    Answered,  // a probe that was answered
    Duplicate, // an address that another row shares
    BarFill,   // the filled part of a progress bar
};

// The strip's pixels, top to bottom: 17 rows for the row strips, 11 for the bar fill.
QImage strip(Strip which);

// The check-box images at a row's left edge, 20 by 16 pixels on a transparent background.
enum class CheckImage { Unchecked = 0, Checked = 1, Greyed = 2 };
inline constexpr int kCheckImageWidth = 20;
inline constexpr int kCheckImageHeight = 16;
QPixmap checkImage(CheckImage which);

} // namespace zka::listart
