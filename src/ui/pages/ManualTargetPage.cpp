#include "ui/pages/ManualTargetPage.h"

#include "resources/ResourceText.h"
#include "runtime/Prompter.h"
#include "ui/widgets/Ipv4AddressEdit.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

#include <algorithm>
#include <limits>

namespace zka {
namespace {

constexpr std::uint16_t kWrongAddressText = 120;
constexpr std::uint16_t kErrorCaption = 139;
constexpr std::uint16_t kInformationCaption = 203;
constexpr std::uint16_t kWrongLoginText = 308;
constexpr std::uint16_t kWrongPortText = 310;

constexpr ManualTargetPage::Octets kPresetAddress{192, 168, 0, 100};
const char* const kPortNotANumber = "Please enter the port number as a whole number.";
const char* const kDuplicateAddress =
    "There is more than one camera with the same IP address.\r\nCannot proceed with the upgrade.";

QGroupBox* makeGroup(const QString& title, QWidget* parent)
{
    return new QGroupBox(title, parent);
}

// Roomier than the style's default, so the three groups fill the page evenly.
void spaceOut(QLayout* layout)
{
    layout->setContentsMargins(14, 12, 14, 12);
    layout->setSpacing(12);
}

} // namespace

ManualTargetPage::ManualTargetPage(const ResourceText& texts, Prompter& prompter, QWidget* parent)
    : QWidget(parent)
    , texts_(texts)
    , prompter_(prompter)
{
    // Target camera: address and port.
    auto* target = makeGroup(QStringLiteral("Target camera"), this);
    address_ = new Ipv4AddressEdit(target);
    address_->setObjectName(QStringLiteral("address"));
    address_->setAddress(kPresetAddress);
    auto* addressLabel = new QLabel(QStringLiteral("&IP address:"), target);
    addressLabel->setBuddy(address_->field(0));

    standardPort_ = new QRadioButton(QStringLiteral("80"), target);
    standardPort_->setObjectName(QStringLiteral("standardPort"));
    customPort_ = new QRadioButton(target);
    customPort_->setObjectName(QStringLiteral("customPort"));
    customPort_->setAccessibleName(QStringLiteral("Custom port"));
    auto* portChoice = new QButtonGroup(this);
    portChoice->addButton(standardPort_, 0);
    portChoice->addButton(customPort_, 1);
    standardPort_->setChecked(true);

    portEdit_ = new QLineEdit(QStringLiteral("1024"), target);
    portEdit_->setObjectName(QStringLiteral("portEdit"));
    portEdit_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    portEdit_->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), portEdit_));
    portEdit_->setFixedWidth(portEdit_->fontMetrics().horizontalAdvance(QStringLiteral("0000000")) + 8);
    portEdit_->setEnabled(false);
    auto* portRange = new QLabel(QStringLiteral("(&1024 to 65535)"), target);
    portRange->setBuddy(portEdit_);
    connect(customPort_, &QRadioButton::toggled, portEdit_, &QLineEdit::setEnabled);

    auto* portRow = new QHBoxLayout;
    portRow->setSpacing(6);
    portRow->addWidget(standardPort_);
    portRow->addSpacing(18);
    portRow->addWidget(customPort_);
    portRow->addWidget(portEdit_);
    portRow->addWidget(portRange);
    portRow->addStretch(1);

    auto* targetLayout = new QGridLayout(target);
    spaceOut(targetLayout);
    targetLayout->addWidget(addressLabel, 0, 0);
    targetLayout->addWidget(address_, 0, 1, Qt::AlignLeft);
    targetLayout->addWidget(new QLabel(QStringLiteral("HTTP port:"), target), 1, 0);
    targetLayout->addLayout(portRow, 1, 1);
    targetLayout->setColumnStretch(1, 1);

    // Login.
    auto* login = makeGroup(QStringLiteral("Login"), this);
    name_ = new QLineEdit(login);
    name_->setObjectName(QStringLiteral("adminName"));
    name_->setMaxLength(int(kMaxLoginLength));
    password_ = new QLineEdit(login);
    password_->setObjectName(QStringLiteral("adminPassword"));
    password_->setMaxLength(int(kMaxLoginLength));
    password_->setEchoMode(QLineEdit::Password);
    auto* loginLayout = new QFormLayout(login);
    spaceOut(loginLayout);
    loginLayout->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);
    loginLayout->setLabelAlignment(Qt::AlignLeft);
    loginLayout->addRow(QStringLiteral("&Administrator name:"), name_);
    loginLayout->addRow(QStringLiteral("Administrator &password:"), password_);

    // Setup data: backing up is only possible while the settings are retained.
    auto* setup = makeGroup(QStringLiteral("Setup data"), this);
    retain_ = new QCheckBox(QStringLiteral("&Retain the current settings"), setup);
    retain_->setObjectName(QStringLiteral("retainSettings"));
    retain_->setChecked(true);
    backup_ = new QCheckBox(QStringLiteral("Backup the current &settings"), setup);
    backup_->setObjectName(QStringLiteral("backupSettings"));
    connect(retain_, &QCheckBox::toggled, this, &ManualTargetPage::onRetainToggled);
    auto* setupLayout = new QVBoxLayout(setup);
    spaceOut(setupLayout);
    setupLayout->addWidget(retain_);
    setupLayout->addWidget(backup_);
    setupLayout->addStretch(1);

    auto* lower = new QHBoxLayout;
    lower->setSpacing(10);
    lower->addWidget(login, 3);
    lower->addWidget(setup, 2);

    auto* layout = new QVBoxLayout(this);
    layout->setSpacing(10);
    layout->addWidget(target);
    layout->addLayout(lower);
    layout->addStretch(1);

    setTabOrder(address_->field(3), standardPort_);
    setTabOrder(standardPort_, portEdit_);
    setTabOrder(portEdit_, name_);
    setTabOrder(name_, password_);
    setTabOrder(password_, retain_);
    setTabOrder(retain_, backup_);
}

bool ManualTargetPage::validateInput()
{
    const auto port = customPortValue();
    if (!port) {
        refuse(kPortNotANumber, portEdit_);
        return false;
    }
    if (address_->isBlank()) {
        refuse(texts_(kWrongAddressText), address_->field(0));
        return false;
    }
    if (customPort_->isChecked() && (*port < kMinCustomPort || *port > kMaxCustomPort)) {
        refuse(texts_(kWrongPortText), portEdit_);
        return false;
    }
    if (name_->text().isEmpty()) {
        refuse(texts_(kWrongLoginText), name_);
        return false;
    }
    if (password_->text().isEmpty()) {
        refuse(texts_(kWrongLoginText), password_);
        return false;
    }
    return true;
}

std::string ManualTargetPage::targetAddress() const
{
    std::string text = address_->text().toStdString();
    if (customPort_->isChecked()) {
        text += ':';
        text += std::to_string(customPortValue().value_or(0));
    }
    return text;
}

std::string ManualTargetPage::credentials() const
{
    return (name_->text() + QLatin1Char(':') + password_->text()).toStdString();
}

bool ManualTargetPage::retainSettings() const
{
    return retain_->isChecked();
}

bool ManualTargetPage::backupSettings() const
{
    return backup_->isChecked();
}

void ManualTargetPage::setDiscoveryTable(DiscoveredAddresses discovered)
{
    discovered_ = std::move(discovered);
}

bool ManualTargetPage::checkDuplicateAddress()
{
    if (!discovered_)
        return true;
    const Octets entered = address_->address();
    const auto addresses = discovered_();
    if (std::count(addresses.begin(), addresses.end(), entered) < 2)
        return true;
    prompter_.show(Message{kDuplicateAddress, texts_(kErrorCaption), MessageIcon::Error, MessageButtons::Ok});
    return false;
}

void ManualTargetPage::focusAddress()
{
    address_->focusField(0);
}

std::optional<std::uint32_t> ManualTargetPage::customPortValue() const
{
    const QString text = portEdit_->text();
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

void ManualTargetPage::refuse(const std::string& text, QWidget* field)
{
    prompter_.show(Message{text, texts_(kInformationCaption), MessageIcon::Warning, MessageButtons::Ok});
    field->setFocus(Qt::OtherFocusReason);
    if (auto* edit = qobject_cast<QLineEdit*>(field))
        edit->selectAll();
}

void ManualTargetPage::onRetainToggled(bool retain)
{
    if (!retain)
        backup_->setChecked(false);
    backup_->setEnabled(retain);
}

} // namespace zka
