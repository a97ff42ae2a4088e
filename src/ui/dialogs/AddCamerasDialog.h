#pragma once

#include "ui/dialogs/ModalDialogRunner.h"
#include "ui/lists/AddedCameraList.h"

#include <QDialog>

#include <functional>
#include <utility>

class QLabel;
class QPushButton;

namespace zka {

class CameraAddressList;

// "Add other cameras": the operator enters cameras that discovery did not find, by address (in
// "Entry terminals", one after another), from an address file or from the clipboard. Each address
// is probed in the list; OK hands the rows that found a supported camera, and share their address
// with nothing, to the end of the target list, and reports any camera the target list would not
// take. Together with the target list's rows the dialog never holds more than 256 cameras.
//
// OK is enabled only while no probe is pending. OK over rows that are not ready asks first, and
// so do Cancel and Escape over a list that holds rows (everything entered is then let go).
class AddCamerasDialog final : public QDialog {
    Q_OBJECT

public:
    using Octets = AddedCameraList::Octets;
    static constexpr int kMaxCameras = 256;
    // Runs a modal dialog and returns its result; tests answer dialogs without showing them.
    using DialogRunner = ModalDialogRunner::Runner;

    // The seams and the target list must outlive the dialog.
    AddCamerasDialog(TargetCameraList::Seams seams, TargetCameraList& targetList, QWidget* parent = nullptr);
    ~AddCamerasDialog() override;

    AddedCameraList& addedList() { return *list_; }
    // How many rows the list may hold: 256 less the target list's rows when the dialog opened.
    int capacity() const { return capacity_; }
    // "remaining/capacity", kept up to date though the dialog does not show it.
    QString remainingText() const { return remainingText_; }
    void setDialogRunner(DialogRunner runner);

    // ---- The dialog's buttons ----
    void onEdit();
    void onAdd();
    void onDelete();
    void onLoadFromFile();
    void onPasteFromClipboard();
    // OK: hands the ready rows over. Cancel, Escape and the window's close: lets everything go.
    void accept() override;
    void reject() override;

    // ---- What "Entry terminals" does to the list; each acts on the list's selected row ----
    void setSelectedAddress(const Octets& address, int port);
    std::pair<Octets, int> selectedAddress() const;
    // On to the next row; from the last row, to a new blank one.
    void nextRow();
    void previousRow();
    // Appends a blank row while there is room; returns the selected row's index.
    int appendRow();
    void deleteSelectedRow();
    bool rowInUse(int index) const { return list_->rowInUse(index); }
    int rowCount() const { return list_->rowCount(); }

private:
    void refreshRemaining();
    void refreshButtons();
    void runEntryDialog(int index);
    void afterEntryDialog();
    // After an import was read: appends one row per entry while there is room, each queued for
    // its probe; after a refused text, its message.
    void importAddresses(const CameraAddressList& addresses, bool read);
    void handOver();
    bool confirm(const std::string& text);

    TargetCameraList::Seams seams_;
    TargetCameraList& targetList_;
    int capacity_ = kMaxCameras;
    QString remainingText_;
    ModalDialogRunner dialogs_;

    AddedCameraList* list_ = nullptr;
    QLabel* remaining_ = nullptr;
    QPushButton* edit_ = nullptr;
    QPushButton* add_ = nullptr;
    QPushButton* delete_ = nullptr;
    QPushButton* loadFile_ = nullptr;
    QPushButton* paste_ = nullptr;
    QPushButton* ok_ = nullptr;
    QPushButton* cancel_ = nullptr;
};

} // namespace zka
