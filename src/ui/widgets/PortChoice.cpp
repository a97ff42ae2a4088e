#include "ui/widgets/PortChoice.h"

#include <QButtonGroup>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QRegularExpressionValidator>

#include <limits>

namespace zka {

PortChoice::PortChoice(QWidget* parent)
    : QWidget(parent)
{
    standard_ = new QRadioButton(QStringLiteral("80"), this);
    standard_->setObjectName(QStringLiteral("standardPort"));
    custom_ = new QRadioButton(this);
    custom_->setObjectName(QStringLiteral("customPort"));
    custom_->setAccessibleName(QStringLiteral("Custom port"));
    auto* group = new QButtonGroup(this);
    group->addButton(standard_, 0);
    group->addButton(custom_, 1);
    standard_->setChecked(true);

    field_ = new QLineEdit(QString::number(kMinCustomPort), this);
    field_->setObjectName(QStringLiteral("portEdit"));
    field_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    field_->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), field_));
    field_->setFixedWidth(field_->fontMetrics().horizontalAdvance(QStringLiteral("0000000")) + 8);
    field_->setEnabled(false);
    auto* range = new QLabel(QStringLiteral("(&1024 to 65535)"), this);
    range->setBuddy(field_);
    connect(custom_, &QRadioButton::toggled, field_, &QLineEdit::setEnabled);

    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(6);
    row->addWidget(standard_);
    row->addSpacing(18);
    row->addWidget(custom_);
    row->addWidget(field_);
    row->addWidget(range);
    row->addStretch(1);
    setTabOrder(standard_, field_);
}

bool PortChoice::customChosen() const
{
    return custom_->isChecked();
}

std::optional<std::uint32_t> PortChoice::fieldValue() const
{
    const QString text = field_->text();
    if (text.isEmpty() || text.size() > 10)
        return std::nullopt;
    for (const QChar c : text) {
        if (c < u'0' || c > u'9')
            return std::nullopt;
    }
    bool ok = false;
    const qulonglong value = text.toULongLong(&ok);
    if (!ok || value > std::numeric_limits<std::uint32_t>::max())
        return std::nullopt;
    return static_cast<std::uint32_t>(value);
}

bool PortChoice::validCustomPort(std::uint32_t port)
{
    return port >= kMinCustomPort && port <= kMaxCustomPort;
}

void PortChoice::showPort(int port)
{
    if (port == 80) {
        standard_->setChecked(true);
        field_->setText(QString::number(kMinCustomPort));
    } else {
        custom_->setChecked(true);
        field_->setText(QString::number(port));
    }
    field_->setEnabled(port != 80);
}

} // namespace zka
