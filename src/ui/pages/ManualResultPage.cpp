#include "ui/pages/ManualResultPage.h"

#include "resources/ResourceText.h"
#include "ui/pages/PageText.h"
#include "ui/widgets/ReadOnlyField.h"
#include "ui/widgets/SolidProgressBar.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QGroupBox>
#include <QLabel>
#include <QTextEdit>
#include <QTextOption>
#include <QVBoxLayout>

namespace zka {
namespace {

constexpr std::uint16_t kTargetGroup = 218;
constexpr std::uint16_t kAddressLabel = 219;
constexpr std::uint16_t kSuccessText = 222;
constexpr std::uint16_t kVersionIntro = 234; // Target camera version is "
constexpr std::uint16_t kVersionClose = 235; // ".

} // namespace

ManualResultPage::ManualResultPage(const ResourceText& texts, QWidget* parent)
    : QWidget(parent)
    , texts_(texts)
{
    auto* target = new QGroupBox(QString::fromStdString(texts_(kTargetGroup)), this);
    address_ = new ReadOnlyField(Qt::AlignLeft, target);
    address_->setObjectName(QStringLiteral("targetAddress"));
    auto* targetLayout = new QGridLayout(target);
    targetLayout->addWidget(new QLabel(QString::fromStdString(texts_(kAddressLabel)), target), 0, 0);
    targetLayout->addWidget(address_, 0, 1);
    targetLayout->setColumnStretch(1, 1);

    auto* upper = new QHBoxLayout;
    upper->addWidget(target, 1);
    upper->addStretch(1);

    result_ = new QTextEdit(this);
    result_->setObjectName(QStringLiteral("resultText"));
    result_->setReadOnly(true);
    result_->setAcceptRichText(false);
    result_->setTabChangesFocus(true);
    QTextOption centred = result_->document()->defaultTextOption();
    centred.setAlignment(Qt::AlignHCenter);
    result_->document()->setDefaultTextOption(centred);
    QPalette background = result_->palette();
    background.setBrush(QPalette::Base, palette().brush(QPalette::Window));
    result_->setPalette(background);

    bar_ = new SolidProgressBar(this);
    bar_->setObjectName(QStringLiteral("progressBar"));
    bar_->setFixedHeight(20);
    bar_->setValue(SolidProgressBar::kMaximum);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(upper);
    layout->addWidget(result_, 1);
    layout->addWidget(bar_);

    showResult(texts_(kSuccessText));
}

void ManualResultPage::setTargetAddress(const std::string& address)
{
    address_->setText(QString::fromStdString(address));
}

void ManualResultPage::setResultVersion(const std::string& version)
{
    showResult(texts_(kSuccessText) + texts_(kVersionIntro) + versionNumber(version) + texts_(kVersionClose));
}

QString ManualResultPage::resultText() const
{
    return result_->toPlainText();
}

void ManualResultPage::showResult(const std::string& text)
{
    result_->setPlainText(displayText(text));
}

} // namespace zka
