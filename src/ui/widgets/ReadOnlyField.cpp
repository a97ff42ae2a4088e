#include "ui/widgets/ReadOnlyField.h"

namespace zka {

ReadOnlyField::ReadOnlyField(Qt::Alignment alignment, QWidget* parent)
    : QLineEdit(parent)
{
    setReadOnly(true);
    setAlignment(alignment | Qt::AlignVCenter);
    setFocusPolicy(Qt::ClickFocus);
    // Only the field's base is set; every other colour still follows the dialog.
    QPalette background;
    background.setBrush(QPalette::Base, palette().brush(QPalette::Window));
    setPalette(background);
}

} // namespace zka
