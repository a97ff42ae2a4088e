#include "ui/pages/ManualProgressPage.h"

#include "resources/ResourceText.h"
#include "ui/widgets/ReadOnlyField.h"
#include "ui/widgets/SolidProgressBar.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

#include <algorithm>
#include <array>

namespace zka {
namespace {

constexpr std::uint16_t kTargetGroup = 218;
constexpr std::uint16_t kAddressLabel = 219;
constexpr std::uint16_t kCurrentVersionLabel = 236;
constexpr std::uint16_t kVersionGroup = 237;
constexpr std::uint16_t kNewVersionLabel = 238;

// The word of each stage 1 to 9: Prepare, Saving config file, Uploading, Overwriting, Missing
// target, Rebooting, Loading config file, Reconfiguring, Completed.
constexpr std::array<std::uint16_t, 9> kStageTexts{361, 360, 323, 320, 319, 322, 357, 359, 321};

QString fromUtf8(const std::string& text)
{
    return QString::fromStdString(text);
}

QLabel* label(const std::string& text, QWidget* parent)
{
    return new QLabel(fromUtf8(text), parent);
}

} // namespace

ManualProgressPage::ManualProgressPage(const ResourceText& texts, QWidget* parent)
    : QWidget(parent)
    , texts_(texts)
{
    auto* target = new QGroupBox(fromUtf8(texts_(kTargetGroup)), this);
    address_ = new ReadOnlyField(Qt::AlignLeft, target);
    address_->setObjectName(QStringLiteral("targetAddress"));
    auto* targetLayout = new QGridLayout(target);
    targetLayout->addWidget(label(texts_(kAddressLabel), target), 0, 0);
    targetLayout->addWidget(address_, 0, 1);
    targetLayout->setRowStretch(1, 1);

    auto* versions = new QGroupBox(fromUtf8(texts_(kVersionGroup)), this);
    currentVersion_ = new ReadOnlyField(Qt::AlignLeft, versions);
    currentVersion_->setObjectName(QStringLiteral("currentVersion"));
    newVersion_ = new ReadOnlyField(Qt::AlignLeft, versions);
    newVersion_->setObjectName(QStringLiteral("newVersion"));
    auto* versionLayout = new QGridLayout(versions);
    versionLayout->addWidget(label(texts_(kCurrentVersionLabel), versions), 0, 0);
    versionLayout->addWidget(currentVersion_, 0, 1);
    versionLayout->addWidget(label(texts_(kNewVersionLabel), versions), 1, 0);
    versionLayout->addWidget(newVersion_, 1, 1);

    auto* upper = new QHBoxLayout;
    upper->addWidget(target, 1);
    upper->addWidget(versions, 1);

    auto* setup = new QGroupBox(QStringLiteral("Setup data"), this);
    setupData_ = new ReadOnlyField(Qt::AlignHCenter, setup);
    setupData_->setObjectName(QStringLiteral("setupData"));
    setupData_->setText(QStringLiteral("Auto restoration with delete .cfg files after upgrade"));
    auto* setupLayout = new QVBoxLayout(setup);
    setupLayout->addWidget(setupData_);

    status_ = new ReadOnlyField(Qt::AlignHCenter, this);
    status_->setObjectName(QStringLiteral("statusLine"));

    stage_ = new ReadOnlyField(Qt::AlignHCenter, this);
    stage_->setObjectName(QStringLiteral("stageLine"));
    QFont stageFont = stage_->font();
    stageFont.setBold(true);
    stageFont.setPointSizeF(stageFont.pointSizeF() * 1.15);
    stage_->setFont(stageFont);
    stage_->setFixedHeight(stage_->sizeHint().height() + 14);

    bar_ = new SolidProgressBar(this);
    bar_->setObjectName(QStringLiteral("progressBar"));
    bar_->setFixedHeight(20);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(upper);
    layout->addWidget(setup);
    layout->addSpacing(4);
    layout->addWidget(status_);
    layout->addWidget(stage_);
    layout->addWidget(bar_);
    layout->addStretch(1);

    redraw_.setInterval(kRedrawPeriodMs);
    connect(&redraw_, &QTimer::timeout, this, &ManualProgressPage::refreshProgress);
}

void ManualProgressPage::setTargetAddress(const std::string& address)
{
    address_->setText(fromUtf8(address));
}

void ManualProgressPage::setCurrentVersion(const std::string& version)
{
    currentVersion_->setText(fromUtf8(version));
}

void ManualProgressPage::setNewVersion(const std::string& version)
{
    newVersion_->setText(fromUtf8(version));
}

void ManualProgressPage::setStatusText(const std::string& text)
{
    status_->setText(fromUtf8(text));
}

void ManualProgressPage::setStage(int stage)
{
    if (stage == 0) {
        stage_->clear();
        return;
    }
    if (stage < 1 || stage > int(kStageTexts.size()))
        return;
    stage_->setText(fromUtf8(texts_(kStageTexts[std::size_t(stage - 1)])));
}

void ManualProgressPage::resetProgress()
{
    progress_.store(0);
    bar_->setValue(0);
}

void ManualProgressPage::setSetupData(bool retain, bool backup)
{
    QString text;
    if (!retain)
        text = QStringLiteral("Discard the current settings.");
    else if (backup)
        text = QStringLiteral("Retain and backup the current settings.");
    else
        text = QStringLiteral("Retain the current settings.");
    setupData_->setText(text);
}

void ManualProgressPage::refreshProgress()
{
    const int value = std::clamp(progress_.load(), 0, SolidProgressBar::kMaximum);
    if (bar_->value() != value)
        bar_->setValue(value);
}

void ManualProgressPage::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    refreshProgress();
    redraw_.start();
}

void ManualProgressPage::hideEvent(QHideEvent* event)
{
    redraw_.stop();
    QWidget::hideEvent(event);
}

} // namespace zka
