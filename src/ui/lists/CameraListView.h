#pragma once

#include "ui/lists/CameraListModel.h"
#include "ui/lists/ListArtwork.h"

#include <QColor>
#include <QImage>
#include <QTreeView>

#include <algorithm>
#include <optional>
#include <vector>

namespace zka {

// The shared base of the camera lists (the target list, the upgrade progress list and the
// added-camera list): a report list of fixed columns whose rows it draws itself. Every row is a
// background strip stretched over the whole width of the list, then one cell after another, each
// text fitted into its column with an ellipsis and drawn 6 pixels inside the column's edges.
//
// How a list builds on it:
//  - It keeps its rows in storage of its own and answers listRowCount() and cellText(row, column).
//    Around every change it calls beginRowsReset()/endRowsReset(), beginRowsInserted()/
//    endRowsInserted(), beginRowsRemoved()/endRowsRemoved(), or rowsChanged(), so the view follows.
//  - rowLook() picks a row's strip and text colour (default: the normal strip, or the selected
//    strip with the highlight text colour); cellColour() may colour one cell differently.
//  - drawRowStart() draws what sits at a row's left edge (the target list's check box) and drawCell()
//    one cell (default: the fitted text; the progress list draws its bar there).
//  - headerItemPressed(column) hears every left-button press at least 4 pixels inside a header item
//    (the target list sorts, the progress list only beeps).
//  - cellData() answers further item roles (an accessible description, a check state).
//  - setShowsSelection(false) draws every row with its own strip and no focus rectangle.
// The host inserts the columns with setColumns().
class CameraListView : public QTreeView {
    Q_OBJECT

public:
    using Column = CameraListModel::Column;
    using Strip = listart::Strip;

    struct RowLook {
        Strip strip = Strip::Normal;
        QColor text;
        // A disabled list fills its rows with the button face instead of a strip.
        bool plainFill = false;
        QColor fill;
    };

    // FitTextToColumn's margin: a text is drawn whole when it fits with 6 pixels to spare on either side.
    static constexpr int kTextMargin = 12;
    // A header press counts only this far inside the item's edges (nearer, it grabs the divider).
    static constexpr int kHeaderPressInset = 4;
    // The height of a strip: rows are at least this high.
    static constexpr int kMinimumRowHeight = 17;

    explicit CameraListView(QWidget* parent = nullptr);
    ~CameraListView() override;

    void setColumns(std::vector<Column> columns);
    const std::vector<Column>& columns() const { return model_.columns(); }
    int rowCount() const { return listRowCount(); }
    int rowHeight() const;

    // The row under a point of the viewport, or -1 where there is none.
    int rowAt(const QPoint& viewportPoint) const;
    // The row's rectangle in the viewport, over the whole width of the list.
    QRect rowRect(int row) const;
    // A column's rectangle in the row, in viewport coordinates.
    QRect cellRect(int row, int column) const;
    // The column at a viewport x, or -1 right of the last one.
    int columnAt(int viewportX) const;
    // Selected rows in item order, the first of them (-1 when none) and the focused row (-1).
    std::vector<int> selectedRows() const;
    int firstSelectedRow() const;
    int focusedRow() const;
    // Selects exactly these rows and puts the focus on `focus` (-1: leaves the focus alone).
    void selectRows(const std::vector<int>& rows, int focus);

    // The text as a cell of that width shows it: whole when it fits together with the margin, else
    // cut at the right and ended with the toolkit's ellipsis so that it fits.
    static QString fitTextToColumn(const QFontMetrics& metrics, const QString& text, int columnWidth,
                                   int margin = kTextMargin);

protected:
    friend class CameraListModel;

    virtual int listRowCount() const = 0;
    virtual QString cellText(int row, int column) const = 0;
    virtual QVariant cellData(int row, int column, int role) const;
    virtual RowLook rowLook(int row, bool selected) const;
    virtual QColor cellColour(int row, int column, const RowLook& look) const;
    virtual void drawRowStart(QPainter& painter, int row, const QRect& rowRect) const;
    virtual void drawCell(QPainter& painter, int row, int column, const QRect& cell, const QColor& colour) const;
    virtual void headerItemPressed(int column);

    // Sorts the list's rows, stably (descending: the other way round), with redrawing suspended,
    // and puts the selection and the focus back on the same rows, found again by idOf.
    template <class Row, class Less, class IdOf>
    void sortRows(std::vector<Row>& rows, Less less, bool descending, IdOf idOf);

    void setShowsSelection(bool shows);
    bool showsSelection() const { return showsSelection_; }
    // The strip image of a kind, generated once per list.
    const QImage& stripImage(Strip which) const;

    void beginRowsReset();
    void endRowsReset();
    void beginRowsInserted(int first, int last);
    void endRowsInserted();
    void beginRowsRemoved(int first, int last);
    void endRowsRemoved();
    void rowsChanged(int first, int last);

    void drawRow(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void selectionChanged(const QItemSelection& selected, const QItemSelection& deselected) override;
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    CameraListModel model_;
    bool showsSelection_ = true;
    mutable std::vector<QImage> strips_;
};

template <class Row, class Less, class IdOf>
void CameraListView::sortRows(std::vector<Row>& rows, Less less, bool descending, IdOf idOf)
{
    using Id = decltype(idOf(rows.front()));
    std::vector<Id> selected;
    for (int index : selectedRows())
        selected.push_back(idOf(rows[std::size_t(index)]));
    const int focused = focusedRow();
    const std::optional<Id> focusedId = focused >= 0 ? std::optional<Id>(idOf(rows[std::size_t(focused)])) : std::nullopt;

    setUpdatesEnabled(false);
    beginRowsReset();
    if (descending)
        std::stable_sort(rows.begin(), rows.end(), [&](const Row& a, const Row& b) { return less(b, a); });
    else
        std::stable_sort(rows.begin(), rows.end(), less);
    endRowsReset();

    const auto indexOf = [&](const Id& id) {
        const auto found = std::find_if(rows.begin(), rows.end(), [&](const Row& r) { return idOf(r) == id; });
        return found == rows.end() ? -1 : int(found - rows.begin());
    };
    std::vector<int> reselect;
    for (const Id& id : selected)
        reselect.push_back(indexOf(id));
    selectRows(reselect, focusedId ? indexOf(*focusedId) : -1);
    setUpdatesEnabled(true);
}

} // namespace zka
