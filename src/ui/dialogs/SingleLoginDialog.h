#pragma once

#include <QDialog>

class QLineEdit;
class QPushButton;

namespace zka {

class BitmapButton;
class Ipv4AddressEdit;
class TargetCameraList;

// "Single login": the administrator login of one camera of the target list after another. It edits
// the list's first selected row; PREV and NEXT store the row's login and move the list's selection,
// so what they stored stays even when the dialog is closed. OK stores and closes; Close and Escape
// close without storing the row shown. Enter is NEXT while NEXT is enabled, else nothing. NEXT on
// the last row stores, beeps, flashes the caption and stays.
class SingleLoginDialog final : public QDialog {
    Q_OBJECT

public:
    // The list must outlive the dialog and have a selected row.
    explicit SingleLoginDialog(TargetCameraList& list, QWidget* parent = nullptr);

    // The row the dialog shows.
    int currentRow() const { return row_; }
    void onPrev();
    void onNext();

signals:
    // NEXT was pressed on the last row: the beep and the caption flash.
    void lastRowReached();

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void store();
    void load(int row);

    TargetCameraList& list_;
    int row_ = 0;
    Ipv4AddressEdit* address_ = nullptr;
    QLineEdit* name_ = nullptr;
    QLineEdit* password_ = nullptr;
    BitmapButton* prev_ = nullptr;
    BitmapButton* next_ = nullptr;
    QPushButton* ok_ = nullptr;
    QPushButton* close_ = nullptr;
};

} // namespace zka
