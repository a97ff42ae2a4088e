#include "ui/dialogs/AddCamerasDialog.h"

#include "resources/ResourceText.h"
#include "runtime/Desktop.h"
#include "ui/dialogs/EntryTerminalsDialog.h"
#include "upgrade/CameraAddressList.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

namespace zka {
namespace {

constexpr std::uint16_t kInformationCaption = 203;

const char* const kNotAllValid = "Not all the listed cameras are valid!";
const char* const kReleaseAll = "All of the data will be released.";
const char* const kNotHandedOver = "These cameras could not be added to the target list:\r\n";

// The address list files the file dialog offers: the format is the same whatever the extension,
// so the first filter shows both kinds, and "All Files" also names without a dot.
Desktop::FileDialog addressFileDialog()
{
    Desktop::FileDialog dialog;
    dialog.title = "Open";
    dialog.filters = {{"CSV Files (*.csv *.txt)", "*.csv *.txt"},
                      {"CSV Files (*.txt)", "*.txt"},
                      {"CSV Files (*.csv)", "*.csv"},
                      {"All Files (*)", "*"}};
    dialog.defaultExtension = "txt";
    dialog.startIn = Desktop::FileDialog::StartFolder::LastUsed;
    return dialog;
}

} // namespace

AddCamerasDialog::AddCamerasDialog(TargetCameraList::Seams seams, TargetCameraList& targetList, QWidget* parent)
    : QDialog(parent)
    , seams_(seams)
    , targetList_(targetList)
    , capacity_(std::max(0, kMaxCameras - targetList.rowCount()))
{
    setWindowTitle(QStringLiteral("Add other cameras"));
    setObjectName(QStringLiteral("addCamerasDialog"));

    auto* heading = new QLabel(QStringLiteral("Target camera(s):"), this);
    list_ = new AddedCameraList(seams_, this);
    list_->setColumns(AddedCameraList::standardColumns());
    // Ids, the probe's words and serials are read whole: each column is at least as wide as its
    // longest usual text with the margins.
    const std::pair<int, QString> widest[] = {{AddedCameraList::IdColumn, QStringLiteral("000")},
                                              {AddedCameraList::ModelColumn, QStringLiteral("Searching...")},
                                              {AddedCameraList::ModelColumn, QStringLiteral("Not a camera")},
                                              {AddedCameraList::SerialColumn, QStringLiteral("S0000000")}};
    for (const auto& [column, text] : widest) {
        const int width = list_->fontMetrics().horizontalAdvance(text) + CameraListView::kTextMargin + 4;
        list_->header()->resizeSection(column, std::max(list_->header()->sectionSize(column), width));
    }
    list_->setMinimumSize(list_->header()->length() + list_->frameWidth() * 2 + 20, 220);
    list_->setTargetList(&targetList_);

    const auto button = [this](const QString& caption, const char* name) {
        auto* b = new QPushButton(caption, this);
        b->setObjectName(QString::fromLatin1(name));
        return b;
    };
    edit_ = button(QStringLiteral("&Edit..."), "editButton");
    add_ = button(QStringLiteral("&Add..."), "addButton");
    delete_ = button(QStringLiteral("&Delete..."), "deleteButton");
    loadFile_ = button(QStringLiteral("&Load from CSV..."), "loadButton");
    paste_ = button(QStringLiteral("&Paste from clipboard"), "pasteButton");
    ok_ = button(QStringLiteral("OK"), "okButton");
    cancel_ = button(QStringLiteral("Cancel"), "cancelButton");
    ok_->setDefault(true);

    // The room left is counted, though not shown.
    auto* remainingLabel = new QLabel(QStringLiteral("Remaining:"), this);
    remaining_ = new QLabel(this);
    remaining_->setObjectName(QStringLiteral("remainingText"));
    remainingLabel->hide();
    remaining_->hide();

    auto* side = new QVBoxLayout;
    side->addWidget(edit_);
    side->addWidget(add_);
    side->addWidget(delete_);
    side->addSpacing(12);
    side->addWidget(loadFile_);
    side->addWidget(paste_);
    side->addStretch(1);
    auto* listColumn = new QVBoxLayout;
    listColumn->addWidget(heading);
    listColumn->addWidget(list_, 1);
    auto* upper = new QHBoxLayout;
    upper->addLayout(listColumn, 1);
    upper->addLayout(side);
    auto* lower = new QHBoxLayout;
    lower->addWidget(remainingLabel);
    lower->addWidget(remaining_);
    lower->addStretch(1);
    lower->addWidget(ok_);
    lower->addWidget(cancel_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(upper, 1);
    layout->addLayout(lower);

    setTabOrder(list_, edit_);
    setTabOrder(edit_, add_);
    setTabOrder(add_, delete_);
    setTabOrder(delete_, loadFile_);
    setTabOrder(loadFile_, paste_);
    setTabOrder(paste_, ok_);
    setTabOrder(ok_, cancel_);

    connect(edit_, &QPushButton::clicked, this, &AddCamerasDialog::onEdit);
    connect(add_, &QPushButton::clicked, this, &AddCamerasDialog::onAdd);
    connect(delete_, &QPushButton::clicked, this, &AddCamerasDialog::onDelete);
    connect(loadFile_, &QPushButton::clicked, this, &AddCamerasDialog::onLoadFromFile);
    connect(paste_, &QPushButton::clicked, this, &AddCamerasDialog::onPasteFromClipboard);
    connect(ok_, &QPushButton::clicked, this, &AddCamerasDialog::accept);
    connect(cancel_, &QPushButton::clicked, this, &AddCamerasDialog::reject);
    connect(list_, &AddedCameraList::selectionReported, this, &AddCamerasDialog::refreshButtons);
    // OK waits for the probes: the list's timer enables it once none is pending.
    connect(list_, &AddedCameraList::okAllowed, ok_, &QPushButton::setEnabled);

    refreshButtons();
    refreshRemaining();
    ok_->setEnabled(false);
    (edit_->isEnabled() ? edit_ : add_)->setFocus(Qt::OtherFocusReason);
}

AddCamerasDialog::~AddCamerasDialog() = default;

void AddCamerasDialog::setDialogRunner(DialogRunner runner)
{
    dialogs_.replace(std::move(runner));
}

// ---- Buttons ----

void AddCamerasDialog::onEdit()
{
    const int selected = list_->firstSelectedRow();
    if (selected < 0)
        return;
    runEntryDialog(selected);
}

void AddCamerasDialog::onAdd()
{
    if (list_->rowCount() < capacity_)
        list_->addBlankRow();
    list_->selectRow(list_->rowCount() - 1);
    refreshRemaining();
    runEntryDialog(list_->rowCount() - 1);
}

void AddCamerasDialog::onDelete()
{
    const int selected = list_->firstSelectedRow();
    if (selected < 0)
        return;
    // The id is the row's own, whatever order the rows are sorted in.
    const AddedRow& row = list_->row(selected);
    const QString model = list_->getRowInfo(row.id).model;
    const auto [address, port] = list_->getRowAddress(selected);
    const std::string text = "Would you like to delete the " + model.toStdString() + "("
        + CameraAddress{address, port}.text() + ")?";
    if (!confirm(text))
        return;
    list_->deleteRow(selected);
    refreshButtons();
    refreshRemaining();
}

void AddCamerasDialog::onLoadFromFile()
{
    const auto path = seams_.desktop.chooseFileToOpen(addressFileDialog());
    if (!path)
        return;
    CameraAddressList addresses;
    importAddresses(addresses, addresses.readFile(*path));
}

void AddCamerasDialog::onPasteFromClipboard()
{
    const auto text = seams_.desktop.clipboardText();
    if (!text || text->empty())
        return;
    CameraAddressList addresses;
    importAddresses(addresses, addresses.readText(*text));
}

void AddCamerasDialog::accept()
{
    if (list_->anyRowNotReady() && !confirm(kNotAllValid))
        return;
    handOver();
    QDialog::accept();
}

void AddCamerasDialog::reject()
{
    if (list_->rowCount() > 0 && !confirm(kReleaseAll))
        return;
    QDialog::reject();
}

// ---- The list's rows for "Entry terminals" ----

void AddCamerasDialog::setSelectedAddress(const Octets& address, int port)
{
    list_->setRowAddress(list_->firstSelectedRow(), address, port, true);
    refreshRemaining();
}

std::pair<AddCamerasDialog::Octets, int> AddCamerasDialog::selectedAddress() const
{
    const int selected = list_->firstSelectedRow();
    if (selected < 0)
        return {Octets{192, 168, 0, 100}, 80};
    return list_->getRowAddress(selected);
}

void AddCamerasDialog::nextRow()
{
    const int selected = list_->firstSelectedRow();
    if (selected == list_->rowCount() - 1)
        list_->addBlankRow();
    else
        list_->selectRow(selected + 1);
    refreshRemaining();
}

void AddCamerasDialog::previousRow()
{
    const int selected = list_->firstSelectedRow();
    if (selected > 0)
        list_->selectRow(selected - 1);
}

int AddCamerasDialog::appendRow()
{
    if (list_->rowCount() < capacity_) {
        list_->addBlankRow();
        list_->selectRow(list_->rowCount() - 1);
    }
    refreshRemaining();
    return list_->firstSelectedRow();
}

void AddCamerasDialog::deleteSelectedRow()
{
    list_->deleteRow(list_->firstSelectedRow());
    // "Entry terminals" always has a row to show while there is room for one.
    if (list_->rowCount() == 0 && capacity_ != 0) {
        list_->addBlankRow();
        list_->selectRow(list_->rowCount() - 1);
    }
    refreshButtons();
    refreshRemaining();
}

// ---- Inside ----

void AddCamerasDialog::refreshRemaining()
{
    remainingText_ = QStringLiteral("%1/%2").arg(capacity_ - list_->rowCount()).arg(capacity_);
    remaining_->setText(remainingText_);
}

void AddCamerasDialog::refreshButtons()
{
    const bool selected = list_->rowCount() > 0 && list_->firstSelectedRow() >= 0;
    edit_->setEnabled(selected);
    delete_->setEnabled(selected);
    const bool room = list_->rowCount() < capacity_;
    add_->setEnabled(room);
    loadFile_->setEnabled(room);
    paste_->setEnabled(room);
}

void AddCamerasDialog::runEntryDialog(int index)
{
    if (index < 0)
        return;
    EntryTerminalsDialog entry(*this, capacity_, index, {seams_.prompter, seams_.texts}, this);
    dialogs_.run(entry, *this);
    afterEntryDialog();
}

void AddCamerasDialog::afterEntryDialog()
{
    list_->removeUnusedRows();
    list_->setTargetList(&targetList_);
    refreshRemaining();
    refreshButtons();
}

void AddCamerasDialog::importAddresses(const CameraAddressList& addresses, bool read)
{
    if (!read) {
        // A file that cannot be read says nothing; a refused text says why, and adds nothing.
        if (const auto message = addresses.message(seams_.texts))
            seams_.prompter.show(*message);
        return;
    }
    for (const CameraAddress& entry : addresses.entries()) {
        if (list_->rowCount() >= capacity_)
            break;
        list_->addBlankRow();
        const int last = list_->rowCount() - 1;
        list_->selectRow(last);
        list_->setRowAddress(last, entry.address, entry.port, true);
        refreshRemaining();
    }
    refreshButtons();
}

void AddCamerasDialog::handOver()
{
    std::string refused;
    int handed = 0;
    for (int index = 0; index < list_->rowCount(); ++index) {
        if (!list_->isRowReady(index))
            continue;
        const AddedRow& row = list_->row(index);
        const AddedCameraList::RowInfo info = list_->getRowInfo(row.id);
        TargetCameraList::CameraEntry entry;
        entry.addressText = QString::fromStdString(CameraAddress{row.ipAddress, row.httpPort}.text());
        entry.model = info.model;
        entry.serial = info.serial;
        entry.version = info.version;
        entry.address = row.ipAddress;
        entry.port = row.httpPort;
        entry.spare = handed;
        if (targetList_.addCamera(targetList_.rowCount(), entry)) {
            ++handed;
            continue;
        }
        // The target list keeps one row per camera: it knows a camera without a MAC address by its
        // serial, and one with neither only while it is empty.
        refused += "#" + entry.addressText.toStdString() + " " + info.model.toStdString() + ": "
            + (info.serial.isEmpty() ? std::string("it reports neither a MAC address nor a serial number.")
                                     : "a camera with the serial number " + info.serial.toStdString()
                       + " is listed already.")
            + "\r\n";
    }
    if (!refused.empty())
        seams_.prompter.show(Message{kNotHandedOver + refused, seams_.texts(kInformationCaption),
                                     MessageIcon::Warning, MessageButtons::Ok});
}

bool AddCamerasDialog::confirm(const std::string& text)
{
    return seams_.prompter.show(Message{text, seams_.texts(kInformationCaption), MessageIcon::Question,
                                        MessageButtons::OkCancel})
        == MessageAnswer::Ok;
}

} // namespace zka
