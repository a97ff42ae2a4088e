#pragma once

#include <QRect>
#include <QString>
#include <QTimer>

#include <functional>

class QWidget;

namespace zka {

// A tip over the cells of one column of a list: a row's text for it, shown at the cursor after a
// short pause, for as long as the pointer stays on the row it was made for.
class CellTip final {
public:
    // cellOf gives the rectangle of a row's cell in the viewport; both outlive the tip.
    CellTip(QWidget& viewport, std::function<QRect(int row)> cellOf);
    CellTip(const CellTip&) = delete;
    CellTip& operator=(const CellTip&) = delete;

    // The pointer is over `row` of the column (-1: over no row); textOf gives a row's tip, empty
    // for none. Nothing changes while the pointer stays on the row the tip was made for.
    void pointAt(int row, const std::function<QString(int row)>& textOf);
    // The pointer is outside the column: the tip goes, and the row it was made for is remembered.
    void leaveColumn();
    // The pointer left the list, or its rows went: the tip goes and is forgotten.
    void hide();
    // The tip shown now, or about to be (empty: none).
    const QString& text() const { return text_; }

private:
    void withdraw();

    QWidget& viewport_;
    std::function<QRect(int row)> cellOf_;
    QTimer delay_;
    QString text_;
    int row_ = -1;
};

} // namespace zka
