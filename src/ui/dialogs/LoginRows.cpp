#include "ui/dialogs/LoginRows.h"

#include <QFormLayout>
#include <QLineEdit>

namespace zka {

LoginRows LoginRows::addTo(QFormLayout& form, QWidget* parent)
{
    LoginRows rows;
    rows.name = new QLineEdit(parent);
    rows.name->setObjectName(QStringLiteral("adminName"));
    rows.name->setMaxLength(kMaxLength);
    rows.password = new QLineEdit(parent);
    rows.password->setObjectName(QStringLiteral("adminPassword"));
    rows.password->setMaxLength(kMaxLength);
    rows.password->setEchoMode(QLineEdit::Password);
    form.addRow(QStringLiteral("Administrator &name:"), rows.name);
    form.addRow(QStringLiteral("Administrator &password:"), rows.password);
    return rows;
}

} // namespace zka
