#include "ui/lists/UpgradeProgressList.h"

#include "upgrade/BatchRowText.h"
#include "upgrade/BatchScheduler.h"

#include <QApplication>
#include <QHeaderView>
#include <QPainter>

#include <algorithm>

namespace zka {
namespace {

const QColor kBarShadow(0xC0, 0xC0, 0xC0);
const QColor kBarFrame(0x00, 0x00, 0x00);

// A rectangle's outline over the pixels from (left, top) to (right - 1, bottom - 1): the right and
// bottom edges are outside, as the bar's geometry counts them.
void outline(QPainter& painter, const QColor& colour, int left, int top, int right, int bottom)
{
    painter.setPen(QPen(colour, 0));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(QRect(left, top, right - left - 1, bottom - top - 1));
}

// The width of a bar's filled part: the progress's share of the bar's inner width (the column less
// 3 pixels of frame), never more than that width.
int barFillWidth(int progress, int columnWidth)
{
    const int inner = columnWidth - 3;
    const int full = UpgradeProgressList::kFullProgress;
    // In 64 bits: a wide column times 10000 leaves no room in 32.
    return int(std::min<long long>(inner, (long long)std::clamp(progress, 0, full) * inner / full));
}

} // namespace

UpgradeProgressList::UpgradeProgressList(BatchScheduler& scheduler, QWidget* parent)
    : CameraListView(parent)
    , scheduler_(scheduler)
{
    setObjectName(QStringLiteral("progressList"));
    setShowsSelection(false);
    // The status column takes the list's free width: the longer words ("Loading config file") then
    // show whole.
    header()->setStretchLastSection(true);
    scheduler_.addObserver(*this);
    redraw_.setInterval(kRedrawPeriodMs);
    connect(&redraw_, &QTimer::timeout, this, &UpgradeProgressList::redrawMovedBars);
}

UpgradeProgressList::~UpgradeProgressList()
{
    scheduler_.removeObserver(*this);
}

std::vector<CameraListView::Column> UpgradeProgressList::standardColumns() const
{
    const int idWidth = std::max(30, fontMetrics().horizontalAdvance(QStringLiteral("000")) + kTextMargin + 2);
    return {{QStringLiteral("ID"), idWidth, Qt::AlignRight},
            {QStringLiteral("IP address"), 100},
            {QStringLiteral("Model"), 82},
            {QStringLiteral("Version No"), 70},
            {QStringLiteral("Progress"), 120},
            {QStringLiteral("Status"), 90}};
}

void UpgradeProgressList::clearRows()
{
    beginRowsReset();
    scheduler_.clearRows();
    shownProgress_.clear();
    endRowsReset();
}

bool UpgradeProgressList::addUpgradeTarget(const UpgradeTarget& target)
{
    const int row = listRowCount();
    beginRowsInserted(row, row);
    const bool added = scheduler_.addUpgradeTarget(target);
    endRowsInserted();
    return added;
}

void UpgradeProgressList::rowChanged(std::size_t row)
{
    rowsChanged(int(row), int(row));
}

void UpgradeProgressList::batchEnded()
{
    redrawMovedBars();
}

int UpgradeProgressList::listRowCount() const
{
    return int(scheduler_.rowCount());
}

QString UpgradeProgressList::cellText(int row, int column) const
{
    if (row < 0 || row >= listRowCount())
        return {};
    const ProgressRow& shown = scheduler_.row(std::size_t(row));
    switch (column) {
    case IdColumn: return QString::fromStdString(BatchRowText::id(shown));
    case AddressColumn: return QString::fromStdString(shown.address);
    case ModelColumn: return QString::fromStdString(shown.model);
    case VersionColumn: return QString::fromStdString(shown.version);
    case StatusColumn: return QString::fromStdString(scheduler_.rowText().statusWord(shown));
    default: return {}; // the progress column is a bar
    }
}

CameraListView::RowLook UpgradeProgressList::rowLook(int, bool) const
{
    RowLook look;
    look.strip = Strip::Normal;
    look.text = palette().color(QPalette::Active, QPalette::Text);
    return look;
}

void UpgradeProgressList::drawCell(QPainter& painter, int row, int column, const QRect& cell,
                                   const QColor& colour) const
{
    if (column != ProgressColumn) {
        CameraListView::drawCell(painter, row, column, cell, colour);
        return;
    }
    drawBar(painter, scheduler_.row(std::size_t(row)).progress.load(std::memory_order_relaxed), cell);
}

void UpgradeProgressList::drawBar(QPainter& painter, int progress, const QRect& cell) const
{
    const int left = cell.left();
    const int right = cell.left() + cell.width();
    const int top = cell.top();
    const int bottom = cell.top() + cell.height();
    // A grey outline one pixel down and right of a black one: the frame looks sunk into the row.
    outline(painter, kBarShadow, left + 1, top + 3, right - 1, bottom - 3);
    outline(painter, kBarFrame, left, top + 2, right - 2, bottom - 4);
    const int filled = barFillWidth(progress, cell.width());
    if (filled > 0)
        painter.drawImage(QRect(left + 1, top + 3, filled, cell.height() - 7), stripImage(Strip::BarFill));
}

void UpgradeProgressList::headerItemPressed(int)
{
    // The batch keeps its order: a header press is refused with a beep.
    QApplication::beep();
}

void UpgradeProgressList::showEvent(QShowEvent* event)
{
    CameraListView::showEvent(event);
    redraw_.start();
}

void UpgradeProgressList::hideEvent(QHideEvent* event)
{
    redraw_.stop();
    CameraListView::hideEvent(event);
}

void UpgradeProgressList::redrawMovedBars()
{
    const int rows = listRowCount();
    shownProgress_.resize(std::size_t(rows), 0);
    for (int row = 0; row < rows; ++row) {
        const int progress = scheduler_.row(std::size_t(row)).progress.load(std::memory_order_relaxed);
        int& shown = shownProgress_[std::size_t(row)];
        if (progress == shown)
            continue;
        shown = progress;
        viewport()->update(cellRect(row, ProgressColumn));
    }
}

} // namespace zka
