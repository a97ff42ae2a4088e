#include "ui/lists/CameraListView.h"

#include <QApplication>
#include <QFocusEvent>
#include <QHeaderView>
#include <QMouseEvent>
#include <QPainter>
#include <QStyledItemDelegate>

#include <algorithm>

namespace zka {
namespace {

constexpr qreal kCompactFontMinimum = 7.0;

// The rows are drawn by the list itself; the delegate only gives every row the same height.
class RowHeightDelegate final : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex&) const override
    {
        return {option.rect.width(), std::max(CameraListView::kMinimumRowHeight, option.fontMetrics.height() + 6)};
    }
};

} // namespace

CameraListView::CameraListView(QWidget* parent)
    : QTreeView(parent)
    , model_(*this)
{
    // A dense report list: a point smaller than the dialog's text, so that a MAC address or an IP
    // address with its port fits its column whole.
    QFont compact = font();
    if (compact.pointSizeF() > kCompactFontMinimum)
        compact.setPointSizeF(std::max(kCompactFontMinimum, compact.pointSizeF() - 1.0));
    setFont(compact);
    setModel(&model_);
    setItemDelegate(new RowHeightDelegate(this));
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setIndentation(0);
    setUniformRowHeights(true);
    setAllColumnsShowFocus(true);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSortingEnabled(false);
    setFocusPolicy(Qt::StrongFocus);
    setTextElideMode(Qt::ElideRight);
    header()->setStretchLastSection(false);
    header()->setSectionsMovable(false);
    header()->setSectionsClickable(true);
    header()->setHighlightSections(false);
    header()->viewport()->installEventFilter(this);
}

CameraListView::~CameraListView()
{
    // The model is a member and goes before the view's base: the view lets go of it first.
    setModel(nullptr);
}

void CameraListView::setColumns(std::vector<Column> columns)
{
    model_.setColumns(columns);
    for (std::size_t i = 0; i < columns.size(); ++i) {
        header()->resizeSection(int(i), columns[i].width);
        header()->setSectionResizeMode(int(i), QHeaderView::Interactive);
    }
}

int CameraListView::rowHeight() const
{
    if (listRowCount() > 0)
        return std::max(kMinimumRowHeight, sizeHintForRow(0));
    return std::max(kMinimumRowHeight, fontMetrics().height() + 6);
}

int CameraListView::rowAt(const QPoint& viewportPoint) const
{
    // Right of the last column there is no item, but the row is still there: look in a column that is.
    const int x = std::max(0, header()->sectionViewportPosition(0));
    const QModelIndex index = indexAt(QPoint(x, viewportPoint.y()));
    return index.isValid() ? index.row() : -1;
}

QRect CameraListView::rowRect(int row) const
{
    const QRect first = visualRect(model_.index(row, 0));
    if (!first.isValid())
        return {};
    const int left = -header()->offset();
    const int width = std::max(header()->length(), viewport()->width() - left);
    return {left, first.top(), width, first.height()};
}

QRect CameraListView::cellRect(int row, int column) const
{
    const QRect line = rowRect(row);
    if (!line.isValid() || column < 0 || column >= header()->count())
        return {};
    return {header()->sectionViewportPosition(column), line.top(), header()->sectionSize(column), line.height()};
}

int CameraListView::columnAt(int viewportX) const
{
    return header()->logicalIndexAt(viewportX);
}

QString CameraListView::fitTextToColumn(const QFontMetrics& metrics, const QString& text, int columnWidth, int margin)
{
    if (text.isEmpty() || metrics.horizontalAdvance(text) + margin <= columnWidth)
        return text;
    return metrics.elidedText(text, Qt::ElideRight, std::max(0, columnWidth - margin));
}

QVariant CameraListView::cellData(int, int, int) const
{
    return {};
}

CameraListView::RowLook CameraListView::rowLook(int, bool selected) const
{
    RowLook look;
    if (selected && showsSelection_) {
        look.strip = Strip::Selected;
        look.text = palette().color(QPalette::Active, QPalette::HighlightedText);
    } else if (!isEnabled()) {
        look.plainFill = true;
        look.fill = palette().color(QPalette::Disabled, QPalette::Button);
        look.text = palette().color(QPalette::Disabled, QPalette::Text);
    } else {
        look.text = palette().color(QPalette::Active, QPalette::Text);
    }
    return look;
}

QColor CameraListView::cellColour(int, int, const RowLook& look) const
{
    return look.text;
}

void CameraListView::drawRowStart(QPainter&, int, const QRect&) const
{
}

void CameraListView::drawCell(QPainter& painter, int row, int column, const QRect& cell, const QColor& colour) const
{
    const QString text = cellText(row, column);
    if (text.isEmpty())
        return;
    const QString shown = fitTextToColumn(painter.fontMetrics(), text, cell.width());
    // A text drawn whole keeps its column's alignment; a shortened one starts at the left.
    Qt::Alignment alignment = Qt::AlignLeft;
    if (shown == text && std::size_t(column) < columns().size())
        alignment = columns()[std::size_t(column)].alignment & Qt::AlignHorizontal_Mask;
    painter.setPen(colour);
    painter.drawText(cell.adjusted(kTextMargin / 2, 0, -kTextMargin / 2, 0),
                     int(alignment | Qt::AlignVCenter | Qt::TextSingleLine), shown);
}

void CameraListView::headerItemPressed(int)
{
}

void CameraListView::setShowsSelection(bool shows)
{
    showsSelection_ = shows;
    viewport()->update();
}

const QImage& CameraListView::stripImage(Strip which) const
{
    const auto slot = std::size_t(which);
    if (strips_.size() <= slot)
        strips_.resize(slot + 1);
    if (strips_[slot].isNull())
        strips_[slot] = listart::strip(which);
    return strips_[slot];
}

void CameraListView::beginRowsReset()
{
    model_.beginResetModel();
}

void CameraListView::endRowsReset()
{
    model_.endResetModel();
}

void CameraListView::beginRowsInserted(int first, int last)
{
    model_.beginInsertRows({}, first, last);
}

void CameraListView::endRowsInserted()
{
    model_.endInsertRows();
}

void CameraListView::beginRowsRemoved(int first, int last)
{
    model_.beginRemoveRows({}, first, last);
}

void CameraListView::endRowsRemoved()
{
    model_.endRemoveRows();
}

void CameraListView::rowsChanged(int first, int last)
{
    if (first > last || listRowCount() == 0)
        return;
    emit model_.dataChanged(model_.index(first, 0), model_.index(last, std::max(0, model_.columnCount() - 1)));
    viewport()->update();
}

std::vector<int> CameraListView::selectedRows() const
{
    std::vector<int> rows;
    if (!selectionModel())
        return rows;
    for (const QModelIndex& index : selectionModel()->selectedRows())
        rows.push_back(index.row());
    std::sort(rows.begin(), rows.end());
    return rows;
}

int CameraListView::firstSelectedRow() const
{
    const auto rows = selectedRows();
    return rows.empty() ? -1 : rows.front();
}

int CameraListView::focusedRow() const
{
    const QModelIndex current = currentIndex();
    return current.isValid() ? current.row() : -1;
}

void CameraListView::selectRows(const std::vector<int>& rows, int focus)
{
    QItemSelection selection;
    const int lastColumn = std::max(0, model_.columnCount() - 1);
    for (int row : rows) {
        if (row >= 0 && row < listRowCount())
            selection.select(model_.index(row, 0), model_.index(row, lastColumn));
    }
    if (focus >= 0 && focus < listRowCount())
        selectionModel()->setCurrentIndex(model_.index(focus, 0), QItemSelectionModel::NoUpdate);
    selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

void CameraListView::drawRow(QPainter* painter, const QStyleOptionViewItem&, const QModelIndex& index) const
{
    const int row = index.row();
    const QRect line = rowRect(row);
    if (!line.isValid())
        return;
    const bool selected = selectionModel() && selectionModel()->isRowSelected(row, QModelIndex());
    const RowLook look = rowLook(row, selected);

    painter->save();
    if (look.plainFill)
        painter->fillRect(line, look.fill);
    else
        painter->drawImage(line, stripImage(look.strip)); // stretched over the row, band by band
    drawRowStart(*painter, row, line);
    painter->setFont(font());
    for (int column = 0; column < header()->count(); ++column) {
        const QRect cell = cellRect(row, column);
        if (cell.width() > 0)
            drawCell(*painter, row, column, cell, cellColour(row, column, look));
    }
    if (showsSelection_ && hasFocus() && currentIndex().row() == row) {
        QPen dotted(look.strip == Strip::Selected ? Qt::white : Qt::black, 1, Qt::DotLine);
        painter->setPen(dotted);
        painter->setBrush(Qt::NoBrush);
        painter->drawRect(line.adjusted(0, 0, -1, -1));
    }
    painter->restore();
}

void CameraListView::focusInEvent(QFocusEvent* event)
{
    QTreeView::focusInEvent(event);
    viewport()->update();
}

void CameraListView::focusOutEvent(QFocusEvent* event)
{
    QTreeView::focusOutEvent(event);
    viewport()->update();
}

void CameraListView::selectionChanged(const QItemSelection& selected, const QItemSelection& deselected)
{
    QTreeView::selectionChanged(selected, deselected);
    // A row is drawn across the whole width, beyond the last column's item.
    viewport()->update();
}

void CameraListView::currentChanged(const QModelIndex& current, const QModelIndex& previous)
{
    QTreeView::currentChanged(current, previous);
    viewport()->update();
}

bool CameraListView::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == header()->viewport() && event->type() == QEvent::MouseButtonPress) {
        const auto* press = static_cast<QMouseEvent*>(event);
        const int x = press->position().toPoint().x();
        const int column = header()->logicalIndexAt(x);
        if (press->button() == Qt::LeftButton && column >= 0) {
            const int left = header()->sectionViewportPosition(column);
            const int right = left + header()->sectionSize(column);
            if (x >= left + kHeaderPressInset && x < right - kHeaderPressInset)
                headerItemPressed(column);
        }
    }
    return QTreeView::eventFilter(watched, event);
}

} // namespace zka
