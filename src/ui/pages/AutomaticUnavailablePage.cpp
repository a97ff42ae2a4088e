#include "ui/pages/AutomaticUnavailablePage.h"

#include <QGroupBox>
#include <QLabel>
#include <QStyle>
#include <QHBoxLayout>
#include <QVBoxLayout>

namespace zka {
namespace {

const char* const kHeading = "Automatic mode";
const char* const kMessage =
    "The automatic mode (upgrading every camera found in the network as one batch) is not available "
    "in this version of the tool.\n\n"
    "Press \"< Back\" and choose \"Manual mode\" to upgrade a camera by its IP address.";

} // namespace

AutomaticUnavailablePage::AutomaticUnavailablePage(QWidget* parent)
    : QWidget(parent)
{
    auto* group = new QGroupBox(QString::fromUtf8(kHeading), this);

    auto* icon = new QLabel(group);
    const int size = style()->pixelMetric(QStyle::PM_MessageBoxIconSize, nullptr, this);
    icon->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxInformation, nullptr, this).pixmap(size, size));
    icon->setAlignment(Qt::AlignTop);

    auto* text = new QLabel(QString::fromUtf8(kMessage), group);
    text->setObjectName(QStringLiteral("unavailableMessage"));
    text->setWordWrap(true);
    text->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    auto* row = new QHBoxLayout(group);
    row->setContentsMargins(24, 20, 24, 20);
    row->setSpacing(16);
    row->addWidget(icon, 0, Qt::AlignTop);
    row->addWidget(text, 1);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(group);
    layout->addStretch(1);
}

QString AutomaticUnavailablePage::message() const
{
    return QString::fromUtf8(kMessage);
}

} // namespace zka
