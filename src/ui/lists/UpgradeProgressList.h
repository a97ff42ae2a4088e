#pragma once

#include "ui/lists/CameraListView.h"
#include "upgrade/BatchObserver.h"

#include <QTimer>

#include <vector>

namespace zka {

class BatchScheduler;
struct UpgradeTarget;

// The automatic mode's batch as a list: one row per camera of the batch scheduler, with its ID,
// address, model, version, an upload progress bar and its status word. The scheduler does the work;
// this list shows its rows. Texts follow the scheduler's row changes; the bars follow the rows'
// progress on a timer of the list's own, in real time whatever the clock's time scale, so that a
// batch run fast in a test or a demonstration is drawn no more often than a real one.
//
// Every row is drawn on the light strip: a selection is possible but never shown. A press on a
// column header only beeps; the list is never sorted.
class UpgradeProgressList final : public CameraListView, public BatchObserver {
    Q_OBJECT

public:
    enum Column { IdColumn, AddressColumn, ModelColumn, VersionColumn, ProgressColumn, StatusColumn };
    // How often the bars are compared with the rows' progress, in real milliseconds.
    static constexpr int kRedrawPeriodMs = 33;
    static constexpr int kFullProgress = 10000;

    // The scheduler must outlive the list.
    explicit UpgradeProgressList(BatchScheduler& scheduler, QWidget* parent = nullptr);
    ~UpgradeProgressList() override;

    // The columns the progress page inserts, in order. The ID column is 30 pixels wide, or as wide
    // as a three-digit ID needs in the list's font, so that an ID is never cut short.
    std::vector<CameraListView::Column> standardColumns() const;

    // ---- Filling the batch, as the page takes the checked cameras over ----
    void clearRows();
    bool addUpgradeTarget(const UpgradeTarget& target);

    void rowChanged(std::size_t row) override;
    void batchEnded() override;

protected:
    int listRowCount() const override;
    QString cellText(int row, int column) const override;
    RowLook rowLook(int row, bool selected) const override;
    void drawCell(QPainter& painter, int row, int column, const QRect& cell, const QColor& colour) const override;
    void headerItemPressed(int column) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void drawBar(QPainter& painter, int progress, const QRect& cell) const;
    // Repaints the bars whose row's progress moved since they were last asked for.
    void redrawMovedBars();

    BatchScheduler& scheduler_;
    QTimer redraw_;
    // The progress each row's bar was last repainted for.
    std::vector<int> shownProgress_;
};

} // namespace zka
