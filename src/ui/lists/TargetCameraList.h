#pragma once

#include "resources/ResourceText.h"
#include "resources/SupportedModels.h"
#include "runtime/Clock.h"
#include "runtime/Prompter.h"
#include "runtime/TimerService.h"
#include "ui/lists/CameraListView.h"
#include "ui/lists/CellTip.h"
#include "ui/lists/ListProbes.h"
#include "ui/lists/TargetRow.h"
#include "upgrade/UpgradeTarget.h"

#include <QPixmap>
#include <QString>
#include <QTimer>

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace zka {

class CameraClient;
class Desktop;

// The automatic mode's list of cameras: one row per camera found by discovery or added by the
// operator, with a check box that says whether the camera takes part in the batch and the
// administrator login the operator gave it. It probes the selected cameras ("&Testing...") and
// checks the list for addresses that two cameras share.
//
// Check boxes: a click in the first column toggles the row without changing the selection; when
// the clicked row is one of several selected rows, every selected row takes the inverse of the
// clicked row's state. Releasing the space bar does the same for the selection through the focused
// row. A header click sorts (again: the other way round). A double click opens the camera's web
// page through the Desktop. Over the IP address column a "DHCP" row shows its address as a tip.
class TargetCameraList final : public CameraListView {
    Q_OBJECT

public:
    using Octets = TargetRow::Octets;

    enum Column { CheckColumn, MacColumn, AddressColumn, ModelColumn, SerialColumn, VersionColumn, NameColumn };
    static constexpr int kPasswordText = TargetRow::PasswordText;
    static constexpr Clock::Duration kProbePeriod{500};

    struct Seams {
        const Clock& clock;
        TimerService& timers;
        Prompter& prompter;
        const ResourceText& texts;
        Desktop& desktop;
        const SupportedModels& models;
    };

    // A camera as the host adds it.
    using CameraEntry = TargetRow::Entry;

    // What the batch takes over from a row.
    using RowDetails = UpgradeTarget;

    // The seams must outlive the list.
    explicit TargetCameraList(Seams seams, QWidget* parent = nullptr);
    ~TargetCameraList() override;

    // The columns the target page inserts, in order.
    static std::vector<CameraListView::Column> standardColumns();

    // ---- Rows ----
    // Adds a checked, unprobed row without a login at position (clamped to the list), unless a row
    // with the same MAC address exists; without a MAC, unless one with the same serial exists;
    // without either, unless the list holds any row. Returns whether the row was added.
    bool addCamera(int position, const CameraEntry& entry);
    void clearRows();
    const TargetRow& row(int index) const { return rows_.at(std::size_t(index)); }
    // The check state; fills details with what the batch needs of the row.
    bool getRowDetails(int index, RowDetails& details) const;
    std::pair<QString, QString> getRowLogin(int index) const;
    void setRowLogin(int index, const QString& name, const QString& password);
    Octets rowAddress(int index) const;
    void setChecked(int index, bool checked);

    // ---- Selection ----
    void selectAllRows();
    void selectFirstRow();
    // Moves the selection one row up (-1) or down (+1): only that row is selected and focused.
    void moveSelection(int delta);

    // ---- Checks ----
    // At least one row is checked and every checked row has a name and a password.
    bool hasCompleteCheckedRows() const;
    // False, after the error message that names them, when two rows share an address. Rows that
    // share one are marked.
    bool checkDuplicateAddresses();
    void sortRowsByColumn(int column);

    // ---- Probes ----
    // Probes every selected row ("inq=network" with the row's login), two at a time; returns the
    // number of probes started.
    int startProbing();
    // Ends every probe at once; no result of theirs arrives any more.
    void stopProbing();
    bool probing() const { return !probes_.empty(); }

    // The web page a double click opens: "http://a.b.c.d/" or "http://a.b.c.d:port/".
    QString webPage(int index) const;
    // The address a "DHCP" row shows as a tip; empty elsewhere.
    QString addressTip(int index) const;
    // The tip shown now (empty: none).
    QString currentTip() const { return tip_.text(); }

signals:
    void checksChanged();
    // After every change of the selection, with whether any row is selected.
    void selectionReported(bool anySelected);
    void probingFinished();

protected:
    int listRowCount() const override { return int(rows_.size()); }
    QString cellText(int row, int column) const override;
    QVariant cellData(int row, int column, int role) const override;
    RowLook rowLook(int row, bool selected) const override;
    QColor cellColour(int row, int column, const RowLook& look) const override;
    void drawRowStart(QPainter& painter, int row, const QRect& rowRect) const override;
    void headerItemPressed(int column) override;

    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void selectionChanged(const QItemSelection& selected, const QItemSelection& deselected) override;

private:
    bool inCheckArea(const QPoint& viewportPoint) const;
    // Toggles by the click rules: the selection through a selected row, else the row alone.
    void toggleFrom(int row);
    void setSelectedChecks(bool checked);
    int rowOfId(int id) const;
    void onProbeTick();
    void finishProbe(int rowId, const CameraClient& client);
    void updateTip(const QPoint& viewportPoint);

    Seams seams_;
    std::vector<TargetRow> rows_;
    int nextId_ = 1;
    int sortColumn_ = -1;
    bool sortAscending_ = true;

    ListProbes probes_;
    QTimer probeTimer_;
    bool inProbeTick_ = false;

    // A press handled here (check box, or no row) also takes its release.
    bool swallowRelease_ = false;

    std::array<QPixmap, 3> checkImages_;
    CellTip tip_;
};

} // namespace zka
