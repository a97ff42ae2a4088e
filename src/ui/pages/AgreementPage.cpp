#include "ui/pages/AgreementPage.h"

#include "resources/ResourceText.h"
#include "ui/pages/PageText.h"

#include <QButtonGroup>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QVBoxLayout>

#include <array>

namespace zka {
namespace {

constexpr std::uint16_t kAgreeCaption = 170;
constexpr std::uint16_t kNotAgreeCaption = 171;
// The heading and preamble, then the ten numbered sections, in reading order.
constexpr std::array<std::uint16_t, 11> kAgreementSections{140, 149, 150, 151, 152, 153, 154, 155, 156, 157, 158};

} // namespace

AgreementPage::AgreementPage(const ResourceText& texts, QWidget* parent)
    : QWidget(parent)
{
    std::string agreement;
    for (const std::uint16_t number : kAgreementSections)
        agreement += texts(number);

    agreement_ = new QPlainTextEdit(this);
    agreement_->setObjectName(QStringLiteral("agreementText"));
    agreement_->setReadOnly(true);
    agreement_->setTabChangesFocus(true);
    agreement_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    agreement_->setPlainText(displayText(agreement));

    notAgree_ = new QRadioButton(QString::fromStdString(texts(kNotAgreeCaption)), this);
    notAgree_->setObjectName(QStringLiteral("notAgree"));
    agree_ = new QRadioButton(QString::fromStdString(texts(kAgreeCaption)), this);
    agree_->setObjectName(QStringLiteral("agree"));
    auto* choice = new QButtonGroup(this);
    choice->addButton(notAgree_, 0);
    choice->addButton(agree_, 1);
    notAgree_->setChecked(true);
    connect(agree_, &QRadioButton::toggled, this, &AgreementPage::agreedChanged);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(notAgree_);
    buttons->addSpacing(24);
    buttons->addWidget(agree_);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(agreement_, 1);
    layout->addLayout(buttons);
}

bool AgreementPage::isAgreed()
{
    QRadioButton* selected = agree_->isChecked() ? agree_ : notAgree_;
    selected->setFocus(Qt::OtherFocusReason);
    return selected == agree_;
}

QString AgreementPage::agreementText() const
{
    return agreement_->toPlainText();
}

} // namespace zka
