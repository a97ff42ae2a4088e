#include "ui/dialogs/BatchLoginDialog.h"

#include "ui/dialogs/LoginRows.h"
#include "ui/lists/TargetCameraList.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

namespace zka {

BatchLoginDialog::BatchLoginDialog(TargetCameraList& list, QWidget* parent)
    : QDialog(parent)
    , list_(list)
{
    setWindowTitle(QStringLiteral("Batch login"));
    setObjectName(QStringLiteral("batchLoginDialog"));

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("okButton"));
    buttons->button(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("cancelButton"));
    connect(buttons, &QDialogButtonBox::accepted, this, &BatchLoginDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &BatchLoginDialog::reject);

    auto* fields = new QFormLayout;
    const LoginRows login = LoginRows::addTo(*fields, this);
    name_ = login.name;
    password_ = login.password;
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(fields);
    layout->addSpacing(8);
    layout->addWidget(buttons);

    // The common login of the selection, when there is one to show.
    const auto selected = list_.selectedRows();
    if (selected.size() >= 2) {
        const auto first = list_.getRowLogin(selected.front());
        const bool common = std::all_of(selected.begin() + 1, selected.end(),
                                        [&](int row) { return list_.getRowLogin(row) == first; });
        if (common) {
            name_->setText(first.first);
            password_->setText(first.second);
        }
    }
    name_->setFocus(Qt::OtherFocusReason);
}

void BatchLoginDialog::accept()
{
    for (int row : list_.selectedRows())
        list_.setRowLogin(row, name_->text(), password_->text());
    QDialog::accept();
}

} // namespace zka
