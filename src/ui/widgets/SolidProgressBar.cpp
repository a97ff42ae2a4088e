#include "ui/widgets/SolidProgressBar.h"

#include <QStyleOptionProgressBar>
#include <QStylePainter>

namespace zka {

SolidProgressBar::SolidProgressBar(QWidget* parent)
    : QProgressBar(parent)
{
    setRange(0, kMaximum);
    setValue(0);
    setTextVisible(false);
}

QColor SolidProgressBar::barColour()
{
    return QColor(10, 36, 106);
}

QRect SolidProgressBar::filledRect() const
{
    QStyleOptionProgressBar option;
    initStyleOption(&option);
    const QRect contents = style()->subElementRect(QStyle::SE_ProgressBarContents, &option, this);
    const qint64 span = qint64(maximum()) - minimum();
    if (span <= 0 || value() <= minimum())
        return {};
    const qint64 done = qMin<qint64>(qint64(value()) - minimum(), span);
    const int width = int(contents.width() * done / span);
    return QRect(contents.left(), contents.top(), width, contents.height());
}

void SolidProgressBar::paintEvent(QPaintEvent*)
{
    QStylePainter painter(this);
    QStyleOptionProgressBar option;
    initStyleOption(&option);
    painter.drawControl(QStyle::CE_ProgressBarGroove, option);
    const QRect filled = filledRect();
    if (!filled.isEmpty())
        painter.fillRect(filled, barColour());
}

} // namespace zka
