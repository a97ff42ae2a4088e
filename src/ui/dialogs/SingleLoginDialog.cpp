#include "ui/dialogs/SingleLoginDialog.h"

#include "ui/dialogs/BitmapButton.h"
#include "ui/dialogs/LoginRows.h"
#include "ui/lists/TargetCameraList.h"
#include "ui/widgets/Ipv4AddressEdit.h"

#include <QApplication>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace zka {

SingleLoginDialog::SingleLoginDialog(TargetCameraList& list, QWidget* parent)
    : QDialog(parent)
    , list_(list)
{
    setWindowTitle(QStringLiteral("Single login"));
    setObjectName(QStringLiteral("singleLoginDialog"));

    address_ = new Ipv4AddressEdit(this);
    address_->setObjectName(QStringLiteral("loginAddress"));
    address_->setEnabled(false);

    prev_ = new BitmapButton(QStringLiteral("PREV"), this);
    prev_->setObjectName(QStringLiteral("prevButton"));
    next_ = new BitmapButton(QStringLiteral("NEXT"), this);
    next_->setObjectName(QStringLiteral("nextButton"));
    ok_ = new QPushButton(QStringLiteral("OK"), this);
    ok_->setObjectName(QStringLiteral("okButton"));
    close_ = new QPushButton(QStringLiteral("&Close"), this);
    close_->setObjectName(QStringLiteral("closeButton"));
    connect(prev_, &QAbstractButton::clicked, this, &SingleLoginDialog::onPrev);
    connect(next_, &QAbstractButton::clicked, this, &SingleLoginDialog::onNext);
    connect(ok_, &QPushButton::clicked, this, &SingleLoginDialog::accept);
    connect(close_, &QPushButton::clicked, this, &SingleLoginDialog::reject);
    // Enter is the dialog's own (NEXT); it never falls to a button that merely has the focus.
    ok_->setAutoDefault(false);
    close_->setAutoDefault(false);

    auto* fields = new QFormLayout;
    fields->addRow(QStringLiteral("IP address:"), address_);
    const LoginRows login = LoginRows::addTo(*fields, this);
    name_ = login.name;
    password_ = login.password;

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(prev_);
    buttons->addWidget(next_);
    buttons->addStretch(1);
    buttons->addWidget(ok_);
    buttons->addWidget(close_);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(fields);
    layout->addSpacing(8);
    layout->addLayout(buttons);
    setTabOrder(name_, password_);
    setTabOrder(password_, prev_);
    setTabOrder(prev_, next_);
    setTabOrder(next_, ok_);
    setTabOrder(ok_, close_);

    // OK stores the row shown; Close leaves it as it is.
    connect(this, &QDialog::accepted, this, &SingleLoginDialog::store);

    row_ = list_.firstSelectedRow();
    if (row_ < 0 && list_.rowCount() > 0) {
        list_.selectFirstRow();
        row_ = 0;
    }
    prev_->setEnabled(row_ > 0);
    // NEXT starts enabled also on the last row: pressing it there says that it is the last.
    next_->setEnabled(true);
    load(row_);
    name_->setFocus(Qt::OtherFocusReason);
}

void SingleLoginDialog::onPrev()
{
    row_ = list_.firstSelectedRow();
    if (row_ <= 0)
        return;
    store();
    --row_;
    prev_->setEnabled(row_ != 0);
    list_.moveSelection(-1);
    next_->setEnabled(true);
    load(row_);
    name_->setFocus(Qt::OtherFocusReason);
}

void SingleLoginDialog::onNext()
{
    row_ = list_.firstSelectedRow();
    if (row_ < 0)
        return;
    store();
    if (row_ + 1 < list_.rowCount()) {
        next_->setEnabled(true);
        list_.moveSelection(+1);
        ++row_;
    } else {
        next_->setEnabled(false);
        QApplication::beep();
        QApplication::alert(this);
        emit lastRowReached();
    }
    if (row_ != 0)
        prev_->setEnabled(true);
    load(row_);
    name_->setFocus(Qt::OtherFocusReason);
}

void SingleLoginDialog::keyPressEvent(QKeyEvent* event)
{
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (enter && (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
        if (next_->isEnabled())
            onNext();
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void SingleLoginDialog::store()
{
    if (row_ >= 0 && row_ < list_.rowCount())
        list_.setRowLogin(row_, name_->text(), password_->text());
}

void SingleLoginDialog::load(int row)
{
    if (row < 0 || row >= list_.rowCount())
        return;
    const auto [name, password] = list_.getRowLogin(row);
    name_->setText(name);
    password_->setText(password);
    address_->setAddress(list_.rowAddress(row));
}

} // namespace zka
