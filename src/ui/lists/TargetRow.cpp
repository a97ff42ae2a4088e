#include "ui/lists/TargetRow.h"

#include "upgrade/CameraAddressList.h"

namespace zka {
namespace {

QString withPort(const TargetRow::Octets& address, int port)
{
    return QString::fromStdString(CameraAddress{address, port}.text());
}

QString probeWord(int probeState)
{
    switch (probeState) {
    case 1:
        return QStringLiteral("No answer");
    case 2:
        return QStringLiteral("Answered");
    default:
        return {};
    }
}

bool isDhcp(const TargetRow& row)
{
    return row.texts[TargetRow::AddressText] == QLatin1String("DHCP");
}

} // namespace

TargetRow::TargetRow(int rowId, const Entry& entry)
    : id(rowId)
    , spare(entry.spare)
    , ipAddress(entry.address)
    , httpPort(entry.port)
{
    texts[MacText] = entry.mac;
    texts[AddressText] = entry.addressText;
    texts[ModelText] = entry.model;
    texts[SerialText] = entry.serial;
    texts[VersionText] = entry.version;
}

bool TargetRow::describes(const Entry& entry) const
{
    if (!entry.mac.isEmpty())
        return texts[MacText] == entry.mac;
    if (!entry.serial.isEmpty())
        return texts[SerialText] == entry.serial;
    return true;
}

UpgradeTarget TargetRow::target() const
{
    UpgradeTarget target;
    target.name = texts[NameText].toStdString();
    target.password = texts[PasswordText].toStdString();
    target.model = texts[ModelText].toStdString();
    target.version = texts[VersionText].toStdString();
    target.serial = texts[SerialText].toStdString();
    target.mac = texts[MacText].toStdString();
    target.address = ipAddress;
    target.port = httpPort;
    target.dhcp = isDhcp(*this);
    return target;
}

QString TargetRow::webPage() const
{
    return QStringLiteral("http://") + withPort(ipAddress, httpPort) + QLatin1Char('/');
}

QString TargetRow::addressTip() const
{
    return isDhcp(*this) ? withPort(ipAddress, httpPort) : QString();
}

QString TargetRow::description() const
{
    QString text = probeWord(probeState);
    if (duplicate)
        text += (text.isEmpty() ? QString() : QStringLiteral(", ")) + QStringLiteral("Same address");
    return text;
}

} // namespace zka
