#pragma once

#include "ui/lists/ListProbes.h"
#include "ui/lists/TargetCameraList.h"

#include <QString>
#include <QTimer>

#include <array>
#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

namespace zka {

class CameraClient;

// One address the operator entered in the added-camera list.
struct AddedRow {
    using Octets = std::array<std::uint8_t, 4>;
    enum class Probe { None, Queued, Searching, Done };

    // Shown in the ID column, 1 to the row count: renumbered when a row before it goes.
    int id = 0;
    // Fixed for the row's life and never reused: the row's probe finds it by this, whatever
    // deletions and sorts happened meanwhile.
    int key = 0;
    // ID, IP address, model or probe word, serial, version.
    std::array<QString, 5> texts;
    Octets ipAddress{192, 168, 0, 100};
    int httpPort = 80;
    // The row was given an address to probe (a blank row waits for one).
    bool inUse = false;
    // 1 a supported camera or not known yet, 2 not a supported camera.
    int supportState = 1;
    // 0 none, 1 another row of this list has the address, 2 the target list has it already.
    int duplicateMark = 0;
    Probe probe = Probe::None;
};

// The list of the "Add other cameras" dialog: one row per address the operator entered by hand,
// from a file or from the clipboard. Each address given to a row is probed with "inq=system" and
// the empty login, two probes at a time: the row reads "Queued...", then "Searching...", then the
// camera's model, serial and version, or "No response" or "Not a camera" (greyed). A row whose
// address another row of the list has is yellow; one whose address the target list has is pink.
// Only a row that was probed, found a supported camera and shares its address with nothing is
// ready to be handed to the target list.
//
// Single selection, no check boxes. A header click sorts (ID from high to low first, the texts
// from low to high; again: the other way round). A double click opens the camera's web page.
class AddedCameraList final : public CameraListView {
    Q_OBJECT

public:
    using Octets = AddedRow::Octets;
    enum Column { IdColumn, AddressColumn, ModelColumn, SerialColumn, VersionColumn };

    // The seams (the same as the target list's) must outlive the list.
    explicit AddedCameraList(TargetCameraList::Seams seams, QWidget* parent = nullptr);
    ~AddedCameraList() override;

    // The columns the dialog inserts, in order.
    static std::vector<CameraListView::Column> standardColumns();
    // The list whose addresses mark rows pink; may be null.
    void setTargetList(const TargetCameraList* targetList);

    // ---- Rows ----
    // Appends a blank row with the address given last and selects the row after the selected one
    // (row 0 when none is selected). Returns the new row's index.
    int addBlankRow();
    // Gives the row an address. A new address, or any address for a row not in use yet, queues a
    // probe when `use` is set; the same address again changes nothing but the marks.
    void setRowAddress(int index, const Octets& address, int port, bool use);
    std::pair<Octets, int> getRowAddress(int index) const;
    bool rowInUse(int index) const;
    // The model (or the probe's word), version and serial of the row with that id.
    struct RowInfo {
        QString model;
        QString version;
        QString serial;
    };
    RowInfo getRowInfo(int id) const;
    const AddedRow& row(int index) const { return rows_.at(std::size_t(index)); }
    // In use, probed to a supported camera, and sharing its address with nothing.
    bool isRowReady(int index) const;
    bool anyRowNotReady() const;
    // Removes the rows that never got an address; the others are numbered 1 to n again.
    void removeUnusedRows();
    // Removes the row and its probe, numbers the rows after it one lower and selects the row now
    // at the selected position (or the last one).
    void deleteRow(int index);
    void selectRow(int index);
    void sortRowsByColumn(int column);

    // Some probe is queued or under way.
    bool probesPending() const { return !probes_.empty(); }
    // The web page a double click opens: "http://a.b.c.d/" or "http://a.b.c.d:port/".
    QString webPage(int index) const;

signals:
    // On every tick of the probe timer: whether no probe is pending (the dialog's OK follows it).
    void okAllowed(bool allowed);
    // After a click, a right click, a change of the selection and a deletion.
    void selectionReported();

protected:
    int listRowCount() const override { return int(rows_.size()); }
    QString cellText(int row, int column) const override;
    QVariant cellData(int row, int column, int role) const override;
    RowLook rowLook(int row, bool selected) const override;
    void headerItemPressed(int column) override;

    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void selectionChanged(const QItemSelection& selected, const QItemSelection& deselected) override;

private:
    int rowOfKey(int key) const;
    int rowOfId(int id) const;
    void queueProbe(AddedRow& row);
    void onProbeTick();
    void probeStarted(int key);
    void probeFinished(int key, const CameraClient& client);
    void markDuplicates();
    void setId(AddedRow& row, int id);

    TargetCameraList::Seams seams_;
    const TargetCameraList* targetList_ = nullptr;
    std::vector<AddedRow> rows_;
    int nextKey_ = 1;
    Octets lastAddress_{192, 168, 0, 100};
    int lastPort_ = 80;
    int sortColumn_ = -1;
    bool sortDescending_ = false;

    ListProbes probes_;
    QTimer probeTimer_;
    bool inProbeTick_ = false;
};

} // namespace zka
