#pragma once

#include <QDialog>

class QLineEdit;

namespace zka {

class TargetCameraList;

// "Batch login": one administrator login for every selected camera of the target list. It shows the
// login the selected rows have in common (only when at least two are selected and all of them have
// exactly the same name and password); OK writes the entered login into every selected row.
class BatchLoginDialog final : public QDialog {
    Q_OBJECT

public:
    // The list must outlive the dialog.
    explicit BatchLoginDialog(TargetCameraList& list, QWidget* parent = nullptr);

    void accept() override;

private:
    TargetCameraList& list_;
    QLineEdit* name_ = nullptr;
    QLineEdit* password_ = nullptr;
};

} // namespace zka
