#include "ui/pages/ModePage.h"

#include "resources/ResourceText.h"
#include "ui/pages/PageText.h"

#include <QButtonGroup>
#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>
#include <QVBoxLayout>

namespace zka {
namespace {

constexpr std::uint16_t kHelpText = 168;
constexpr std::uint16_t kGroupCaption = 178;
constexpr std::uint16_t kAutomaticCaption = 179;
constexpr std::uint16_t kManualCaption = 180;

} // namespace

ModePage::ModePage(const ResourceText& texts, QWidget* parent)
    : QWidget(parent)
    , texts_(texts)
{
    group_ = new QGroupBox(this);
    group_->setObjectName(QStringLiteral("modeGroup"));
    automatic_ = new QRadioButton(group_);
    automatic_->setObjectName(QStringLiteral("automaticMode"));
    manual_ = new QRadioButton(group_);
    manual_->setObjectName(QStringLiteral("manualMode"));
    auto* choice = new QButtonGroup(this);
    choice->addButton(automatic_, kAutomatic);
    choice->addButton(manual_, kManual);
    automatic_->setChecked(true);

    help_ = new QLabel(group_);
    help_->setObjectName(QStringLiteral("modeHelp"));
    help_->setWordWrap(true);
    help_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    help_->setText(displayText(texts_(kHelpText)));

    auto* inGroup = new QVBoxLayout(group_);
    inGroup->setContentsMargins(24, 16, 24, 16);
    inGroup->setSpacing(10);
    inGroup->addWidget(automatic_);
    inGroup->addWidget(manual_);
    inGroup->addSpacing(14);
    inGroup->addWidget(help_);
    inGroup->addStretch(1);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(group_);

    applyTexts();
}

void ModePage::refreshTexts()
{
    applyTexts();
    (manual_->isChecked() ? manual_ : automatic_)->setFocus(Qt::OtherFocusReason);
}

int ModePage::selectedMode() const
{
    return manual_->isChecked() ? kManual : kAutomatic;
}

void ModePage::applyTexts()
{
    group_->setTitle(QString::fromStdString(texts_(kGroupCaption)));
    automatic_->setText(QString::fromStdString(texts_(kAutomaticCaption)));
    manual_->setText(QString::fromStdString(texts_(kManualCaption)));
}

} // namespace zka
