#include "ui/pages/ManualTargetPage.h"

#include "resources/ResourceText.h"
#include "runtime/Prompter.h"
#include "ui/widgets/CameraEntryCheck.h"
#include "ui/widgets/Ipv4AddressEdit.h"
#include "ui/widgets/PortChoice.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QRadioButton>
#include <QLineEdit>
#include <QVBoxLayout>

#include <algorithm>

namespace zka {
namespace {

constexpr std::uint16_t kErrorCaption = 139;
constexpr std::uint16_t kWrongLoginText = 308;

constexpr ManualTargetPage::Octets kPresetAddress{192, 168, 0, 100};
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

    portChoice_ = new PortChoice(target);

    auto* targetLayout = new QGridLayout(target);
    spaceOut(targetLayout);
    targetLayout->addWidget(addressLabel, 0, 0);
    targetLayout->addWidget(address_, 0, 1, Qt::AlignLeft);
    targetLayout->addWidget(new QLabel(QStringLiteral("HTTP port:"), target), 1, 0);
    targetLayout->addWidget(portChoice_, 1, 1);
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

    setTabOrder(address_->field(3), portChoice_->standardButton());
    setTabOrder(portChoice_->standardButton(), portChoice_->field());
    setTabOrder(portChoice_->field(), name_);
    setTabOrder(name_, password_);
    setTabOrder(password_, retain_);
    setTabOrder(retain_, backup_);
}

bool ManualTargetPage::validateInput()
{
    if (!checkCameraEntry(prompter_, texts_, *address_, *portChoice_))
        return false;
    if (name_->text().isEmpty()) {
        refuseEntry(prompter_, texts_, texts_(kWrongLoginText), name_);
        return false;
    }
    if (password_->text().isEmpty()) {
        refuseEntry(prompter_, texts_, texts_(kWrongLoginText), password_);
        return false;
    }
    return true;
}

std::string ManualTargetPage::targetAddress() const
{
    std::string text = address_->text().toStdString();
    if (portChoice_->customChosen()) {
        text += ':';
        text += std::to_string(portChoice_->fieldValue().value_or(0));
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
    return portChoice_->fieldValue();
}

void ManualTargetPage::onRetainToggled(bool retain)
{
    if (!retain)
        backup_->setChecked(false);
    backup_->setEnabled(retain);
}

} // namespace zka
