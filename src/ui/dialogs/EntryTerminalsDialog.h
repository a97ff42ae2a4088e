#pragma once

#include <QDialog>

#include <array>
#include <cstdint>

class QLabel;
class QPushButton;

namespace zka {

class AddCamerasDialog;
class BitmapButton;
class Ipv4AddressEdit;
class PortChoice;
class Prompter;
class ResourceText;

// "Entry terminals": one camera address and HTTP port after another, typed into the rows of the
// "Add other cameras" list. The row shown is always the list's selected row. PREV, NEXT (also
// Enter) and ADD store the entry and move on (NEXT past the last row appends a blank one, ADD
// appends one at the end), DEL removes the row after a question, OK stores and closes, Close and
// Escape close without storing the entry shown. The counter shows the row's position out of the
// rows the list may hold.
class EntryTerminalsDialog final : public QDialog {
    Q_OBJECT

public:
    using Octets = std::array<std::uint8_t, 4>;
    struct Messages {
        Prompter& prompter;
        const ResourceText& texts;
    };

    // The host, the prompter and the texts must outlive the dialog; index is the host row shown.
    EntryTerminalsDialog(AddCamerasDialog& host, int capacity, int index, Messages messages, QWidget* parent = nullptr);

    int index() const { return index_; }
    QString counterText() const;

    void onPrev();
    void onNext();
    void onAdd();
    void onDel();
    void onOk();

signals:
    // NEXT at the last row the list may hold: the beep and the caption flash.
    void lastRowReached();

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    // The toolkit's check of the port field, then the address and the custom port; false after
    // the message, with the focus on the field at fault.
    bool validateEntry();
    // The port the entry stands for: 80, or the custom port field's value.
    int entryPort() const;
    void store();
    void showSelected();
    void refreshEntryButtons();
    void afterMove();

    AddCamerasDialog& host_;
    const int capacity_;
    int index_ = 0;
    Messages messages_;

    Ipv4AddressEdit* address_ = nullptr;
    PortChoice* portChoice_ = nullptr;
    QLabel* counter_ = nullptr;
    BitmapButton* prev_ = nullptr;
    BitmapButton* next_ = nullptr;
    BitmapButton* add_ = nullptr;
    BitmapButton* del_ = nullptr;
    QPushButton* ok_ = nullptr;
    QPushButton* close_ = nullptr;
};

} // namespace zka
