#include "ui/lists/CellTip.h"

#include <QCursor>
#include <QToolTip>
#include <QWidget>

namespace zka {
namespace {

constexpr int kTipDelayMs = 100;

} // namespace

CellTip::CellTip(QWidget& viewport, std::function<QRect(int row)> cellOf)
    : viewport_(viewport)
    , cellOf_(std::move(cellOf))
{
    delay_.setSingleShot(true);
    delay_.setInterval(kTipDelayMs);
    QObject::connect(&delay_, &QTimer::timeout, &delay_, [this] {
        if (!text_.isEmpty() && row_ >= 0)
            QToolTip::showText(QCursor::pos(), text_, &viewport_, cellOf_(row_));
    });
}

void CellTip::pointAt(int row, const std::function<QString(int row)>& textOf)
{
    if (row < 0 || row == row_)
        return;
    row_ = row;
    text_ = textOf(row);
    if (text_.isEmpty())
        withdraw();
    else
        delay_.start();
}

void CellTip::leaveColumn()
{
    text_.clear();
    withdraw();
}

void CellTip::hide()
{
    text_.clear();
    row_ = -1;
    withdraw();
}

void CellTip::withdraw()
{
    delay_.stop();
    QToolTip::hideText();
}

} // namespace zka
