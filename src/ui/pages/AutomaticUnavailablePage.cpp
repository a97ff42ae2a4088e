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
    "Upgrading the checked cameras as one batch is not available in this version of the tool.\n\n"
    "Press \"< Back\" to return to the list of cameras, or go back to the mode page and choose "
    "\"Manual mode\" to upgrade one camera at a time by its IP address.";

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
