#include "ui/dialogs/EntryTerminalsDialog.h"

#include "resources/ResourceText.h"
#include "runtime/Prompter.h"
#include "ui/dialogs/AddCamerasDialog.h"
#include "ui/dialogs/BitmapButton.h"
#include "ui/widgets/CameraEntryCheck.h"
#include "ui/widgets/Ipv4AddressEdit.h"
#include "ui/widgets/PortChoice.h"

#include <QApplication>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QRadioButton>
#include <QPushButton>
#include <QVBoxLayout>


namespace zka {
namespace {

constexpr std::uint16_t kInformationCaption = 203;
constexpr std::uint16_t kRemoveCameraText = 253;

} // namespace

EntryTerminalsDialog::EntryTerminalsDialog(AddCamerasDialog& host, int capacity, int index, Messages messages,
                                           QWidget* parent)
    : QDialog(parent)
    , host_(host)
    , capacity_(capacity)
    , index_(index)
    , messages_(messages)
{
    setWindowTitle(QStringLiteral("Entry terminals"));
    setObjectName(QStringLiteral("entryTerminalsDialog"));

    address_ = new Ipv4AddressEdit(this);
    address_->setObjectName(QStringLiteral("entryAddress"));
    auto* addressLabel = new QLabel(QStringLiteral("&IP address:"), this);
    addressLabel->setBuddy(address_->field(0));

    portChoice_ = new PortChoice(this);

    counter_ = new QLabel(this);
    counter_->setObjectName(QStringLiteral("entryCounter"));
    counter_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

    const auto bitmapButton = [this](const char* caption, const char* name) {
        auto* button = new BitmapButton(QString::fromLatin1(caption), this);
        button->setObjectName(QString::fromLatin1(name));
        return button;
    };
    prev_ = bitmapButton("PREV", "prevButton");
    next_ = bitmapButton("NEXT", "nextButton");
    add_ = bitmapButton("ADD", "addButton");
    del_ = bitmapButton("DEL", "delButton");
    ok_ = new QPushButton(QStringLiteral("&OK"), this);
    ok_->setObjectName(QStringLiteral("okButton"));
    close_ = new QPushButton(QStringLiteral("&Close"), this);
    close_->setObjectName(QStringLiteral("closeButton"));
    // Enter is the dialog's own (NEXT); it never falls to a button that merely has the focus.
    ok_->setAutoDefault(false);
    close_->setAutoDefault(false);

    auto* fields = new QGridLayout;
    fields->addWidget(addressLabel, 0, 0);
    fields->addWidget(address_, 0, 1, Qt::AlignLeft);
    fields->addWidget(counter_, 0, 2);
    fields->addWidget(new QLabel(QStringLiteral("HTTP port:"), this), 1, 0);
    fields->addWidget(portChoice_, 1, 1, 1, 2);
    fields->setColumnStretch(1, 1);
    auto* records = new QHBoxLayout;
    for (BitmapButton* button : {prev_, next_, add_, del_})
        records->addWidget(button);
    records->addStretch(1);
    auto* closing = new QHBoxLayout;
    closing->addStretch(1);
    closing->addWidget(ok_);
    closing->addWidget(close_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(fields);
    layout->addSpacing(6);
    layout->addLayout(records);
    layout->addLayout(closing);

    setTabOrder(address_->field(3), portChoice_->standardButton());
    setTabOrder(portChoice_->standardButton(), portChoice_->field());
    setTabOrder(portChoice_->field(), prev_);
    setTabOrder(prev_, next_);
    setTabOrder(next_, add_);
    setTabOrder(add_, del_);
    setTabOrder(del_, ok_);
    setTabOrder(ok_, close_);

    connect(prev_, &QAbstractButton::clicked, this, &EntryTerminalsDialog::onPrev);
    connect(next_, &QAbstractButton::clicked, this, &EntryTerminalsDialog::onNext);
    connect(add_, &QAbstractButton::clicked, this, &EntryTerminalsDialog::onAdd);
    connect(del_, &QAbstractButton::clicked, this, &EntryTerminalsDialog::onDel);
    connect(ok_, &QPushButton::clicked, this, &EntryTerminalsDialog::onOk);
    connect(close_, &QPushButton::clicked, this, &EntryTerminalsDialog::reject);

    showSelected();
    refreshEntryButtons();
    counter_->setText(counterText());
    address_->focusField(0);
}

QString EntryTerminalsDialog::counterText() const
{
    return QStringLiteral("%1/%2").arg(index_ + 1).arg(capacity_);
}

// ---- The buttons ----

void EntryTerminalsDialog::onNext()
{
    if (!validateEntry())
        return;
    store();
    if (index_ + 1 < capacity_) {
        ++index_;
        host_.nextRow();
    } else {
        QApplication::beep();
        QApplication::alert(this);
        emit lastRowReached();
    }
    afterMove();
}

void EntryTerminalsDialog::onPrev()
{
    if (!validateEntry())
        return;
    store();
    if (index_ > 0) {
        --index_;
        host_.previousRow();
    }
    afterMove();
}

void EntryTerminalsDialog::onAdd()
{
    if (!validateEntry())
        return;
    store();
    index_ = host_.appendRow();
    afterMove();
}

void EntryTerminalsDialog::onDel()
{
    const Message question{messages_.texts(kRemoveCameraText), messages_.texts(kInformationCaption),
                           MessageIcon::Question, MessageButtons::OkCancel};
    if (messages_.prompter.show(question) != MessageAnswer::Ok)
        return;
    host_.deleteSelectedRow();
    if (index_ == host_.rowCount())
        --index_;
    afterMove();
}

void EntryTerminalsDialog::onOk()
{
    if (!validateEntry())
        return;
    store();
    accept();
}

void EntryTerminalsDialog::keyPressEvent(QKeyEvent* event)
{
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (enter && (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
        onNext();
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

// ---- Inside ----

int EntryTerminalsDialog::entryPort() const
{
    return portChoice_->customChosen() ? int(portChoice_->fieldValue().value_or(0)) : 80;
}

bool EntryTerminalsDialog::validateEntry()
{
    return checkCameraEntry(messages_.prompter, messages_.texts, *address_, *portChoice_);
}

void EntryTerminalsDialog::store()
{
    host_.setSelectedAddress(address_->address(), entryPort());
}

void EntryTerminalsDialog::showSelected()
{
    const auto [address, port] = host_.selectedAddress();
    address_->setAddress(address);
    portChoice_->showPort(port);
}

void EntryTerminalsDialog::refreshEntryButtons()
{
    const bool inUse = host_.rowInUse(index_);
    del_->setEnabled(inUse);
    next_->setEnabled(!(inUse && index_ + 1 == capacity_));
    prev_->setEnabled(index_ != 0);
    add_->setEnabled(host_.rowCount() != capacity_);
}

void EntryTerminalsDialog::afterMove()
{
    refreshEntryButtons();
    address_->focusField(0);
    showSelected();
    counter_->setText(counterText());
}

} // namespace zka
