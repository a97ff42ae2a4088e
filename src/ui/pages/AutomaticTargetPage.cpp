#include "ui/pages/AutomaticTargetPage.h"

#include "discovery/DiscoveryTable.h"
#include "ui/dialogs/AddCamerasDialog.h"
#include "ui/dialogs/BatchLoginDialog.h"
#include "ui/dialogs/SingleLoginDialog.h"
#include "ui/widgets/ScaledInterval.h"

#include <QHBoxLayout>
#include <QHideEvent>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

namespace zka {
namespace {

QString addressText(const CameraRecord& record)
{
    if (record.dhcp)
        return QStringLiteral("DHCP");
    return QString::fromStdString(record.addressText());
}

} // namespace

AutomaticTargetPage::AutomaticTargetPage(Seams seams, QWidget* parent)
    : QWidget(parent)
    , seams_(std::move(seams))
{
    list_ = new TargetCameraList(seams_.list, this);
    list_->setColumns(TargetCameraList::standardColumns());

    auto* heading = new QLabel(QStringLiteral("&Target camera(s):"), this);
    heading->setBuddy(list_);
    auto* detected = new QLabel(QStringLiteral("Detected camera(s):"), this);
    counter_ = new QLabel(this);
    counter_->setObjectName(QStringLiteral("detectedCounter"));
    counter_->setMinimumWidth(counter_->fontMetrics().horizontalAdvance(QStringLiteral("256/256")) + 4);

    selectAll_ = new QPushButton(QStringLiteral("&Select all"), this);
    selectAll_->setObjectName(QStringLiteral("selectAllButton"));
    accessSetting_ = new QPushButton(QStringLiteral("&Access setting..."), this);
    accessSetting_->setObjectName(QStringLiteral("accessSettingButton"));
    slidePanel_ = new QWidget(this);
    addCameras_ = new QPushButton(QStringLiteral("Add &other cameras..."), slidePanel_);
    addCameras_->setObjectName(QStringLiteral("addCamerasButton"));
    testing_ = new QPushButton(QStringLiteral("&Testing..."), slidePanel_);
    testing_->setObjectName(QStringLiteral("testingButton"));
    slide_ = new QPushButton(QStringLiteral("&<<"), this);
    slide_->setObjectName(QStringLiteral("slideButton"));
    // The wizard's Enter is Next: the page's buttons do not take it over.
    for (QPushButton* button : {selectAll_, accessSetting_, addCameras_, testing_, slide_})
        button->setAutoDefault(false);
    addCameras_->hide();
    testing_->hide();
    slidePanel_->hide();

    auto* panelLayout = new QHBoxLayout(slidePanel_);
    panelLayout->setContentsMargins(0, 0, 0, 0);
    panelLayout->addWidget(addCameras_);
    panelLayout->addWidget(testing_);

    auto* top = new QHBoxLayout;
    top->addWidget(heading);
    top->addStretch(1);
    top->addWidget(detected);
    top->addWidget(counter_);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(selectAll_);
    buttons->addWidget(accessSetting_);
    buttons->addStretch(1);
    buttons->addWidget(slidePanel_);
    buttons->addWidget(slide_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(list_, 1);
    layout->addLayout(buttons);

    setTabOrder(list_, selectAll_);
    setTabOrder(selectAll_, accessSetting_);
    setTabOrder(accessSetting_, addCameras_);
    setTabOrder(addCameras_, testing_);
    setTabOrder(testing_, slide_);

    connect(selectAll_, &QPushButton::clicked, this, &AutomaticTargetPage::onSelectAll);
    connect(accessSetting_, &QPushButton::clicked, this, &AutomaticTargetPage::onAccessSetting);
    connect(addCameras_, &QPushButton::clicked, this, &AutomaticTargetPage::onAddCameras);
    connect(testing_, &QPushButton::clicked, this, &AutomaticTargetPage::onTesting);
    connect(slide_, &QPushButton::clicked, this, &AutomaticTargetPage::onSlide);
    connect(list_, &TargetCameraList::checksChanged, this, &AutomaticTargetPage::refreshNext);
    connect(list_, &TargetCameraList::selectionReported, this, &AutomaticTargetPage::onSelectionReported);
    connect(list_, &TargetCameraList::probingFinished, this, &AutomaticTargetPage::onProbingFinished);

    setScaledInterval(discoveryWaitTimer_, seams_.list.clock, kDiscoveryWaitPeriod);
    connect(&discoveryWaitTimer_, &QTimer::timeout, this, &AutomaticTargetPage::onDiscoveryWaitTick);
    slideTimer_.setInterval(kSlideStepMs);
    connect(&slideTimer_, &QTimer::timeout, this, &AutomaticTargetPage::slideStep);

    accessSetting_->setEnabled(false);
    testing_->setEnabled(false);
    counter_->setText(counterText());
}

AutomaticTargetPage::~AutomaticTargetPage()
{
    shutdown();
}

void AutomaticTargetPage::setDiscoveryTable(const DiscoveryTable* table)
{
    table_ = table;
}

void AutomaticTargetPage::setRelaxedAddresses(bool relaxed)
{
    relaxedAddresses_ = relaxed;
}

void AutomaticTargetPage::setDialogRunner(DialogRunner runner)
{
    dialogs_.replace(std::move(runner));
}

QString AutomaticTargetPage::counterText() const
{
    return QStringLiteral("%1/%2").arg(list_->rowCount()).arg(kMaxRows);
}

void AutomaticTargetPage::shutdown()
{
    discoveryWaitTimer_.stop();
    slideTimer_.stop();
    list_->stopProbing();
}

// ---- Filling ----

void AutomaticTargetPage::fillFromDiscovery()
{
    list_->setUpdatesEnabled(false);
    // Only counted slots are complete; the rest is taken once the listener has ended.
    const int count = table_ ? std::min(table_->count(), DiscoveryTable::kSlots) : 0;
    for (; slotsTaken_ < count && list_->rowCount() < kMaxRows; ++slotsTaken_) {
        const CameraRecord record = table_->record(slotsTaken_);
        if (record.macText().empty())
            continue;
        TargetCameraList::CameraEntry entry;
        entry.mac = QString::fromLatin1(record.macText());
        entry.addressText = addressText(record);
        entry.model = QString::fromLatin1(record.modelText());
        entry.serial = QString::fromLatin1(record.serialText());
        entry.version = QString::fromLatin1(record.softVersionText());
        entry.address = record.ipAddress;
        entry.port = record.httpPort;
        list_->addCamera(list_->rowCount(), entry);
    }
    counter_->setText(counterText());
    refreshNext();
    list_->setUpdatesEnabled(true);
}

void AutomaticTargetPage::onShown()
{
    fillFromDiscovery();
    if (table_ && table_->listenerRunning()) {
        discoveryWaitTimer_.start();
        setWaiting(true);
        return;
    }
    if (!duplicateCheck()) {
        blockForDuplicates();
        return;
    }
    list_->setFocus(Qt::OtherFocusReason);
    if (list_->selectedRows().empty())
        list_->selectFirstRow();
    const bool usable = list_->rowCount() > 0 && !duplicatesFound_;
    accessSetting_->setEnabled(usable);
    testing_->setEnabled(usable);
    seams_.setButtonState(list_->hasCompleteCheckedRows() ? ButtonState::NextOn : ButtonState::NextOff);
}

void AutomaticTargetPage::onDiscoveryWaitTick()
{
    if (table_ && table_->listenerRunning())
        return;
    discoveryWaitTimer_.stop();
    fillFromDiscovery();
    setWaiting(false);
    if (list_->selectedRows().empty())
        list_->selectFirstRow();
    list_->setFocus(Qt::OtherFocusReason);
    onSelectionReported(!list_->selectedRows().empty());
    if (!duplicateCheck())
        blockForDuplicates();
}

void AutomaticTargetPage::setWaiting(bool waiting)
{
    discoveryWait_ = waiting;
    const bool usable = !waiting && list_->rowCount() > 0 && !duplicatesFound_;
    selectAll_->setEnabled(usable);
    accessSetting_->setEnabled(usable);
    slide_->setEnabled(!waiting);
    testing_->setEnabled(!waiting);
    list_->setEnabled(!waiting);
    updateCursor();
}

void AutomaticTargetPage::hideEvent(QHideEvent* event)
{
    // Left while discovery still ran: the wait ends here and the page looks again when shown, so
    // nothing of it reaches the wizard's buttons while another page is shown.
    if (discoveryWait_ && !event->spontaneous()) {
        discoveryWaitTimer_.stop();
        setWaiting(false);
    }
    QWidget::hideEvent(event);
}

// ---- Checks ----

bool AutomaticTargetPage::duplicateCheck()
{
    return relaxedAddresses_ || list_->checkDuplicateAddresses();
}

void AutomaticTargetPage::blockForDuplicates()
{
    seams_.setButtonState(ButtonState::DeadEnd);
    selectAll_->setEnabled(false);
    accessSetting_->setEnabled(false);
    slide_->setEnabled(false);
    duplicatesFound_ = true;
}

void AutomaticTargetPage::refreshNext()
{
    // Blocked by duplicates, the page never lets the wizard go on again.
    if (isVisible() && !duplicatesFound_)
        seams_.setButtonState(list_->hasCompleteCheckedRows() ? ButtonState::NextOn : ButtonState::NextOff);
}

void AutomaticTargetPage::onSelectionReported(bool anySelected)
{
    refreshNext();
    if (discoveryWait_)
        return;
    accessSetting_->setEnabled(anySelected && !duplicatesFound_);
    testing_->setEnabled(anySelected && !duplicatesFound_);
}

// ---- Buttons ----

void AutomaticTargetPage::onSelectAll()
{
    list_->selectAllRows();
    list_->setFocus(Qt::OtherFocusReason);
    accessSetting_->setEnabled(!duplicatesFound_);
    testing_->setEnabled(!duplicatesFound_);
}

void AutomaticTargetPage::onAccessSetting()
{
    const auto selected = list_->selectedRows();
    // Without a selected row there is no camera to give a login.
    if (selected.empty())
        return;
    if (selected.size() > 1 || list_->rowCount() == 1) {
        BatchLoginDialog dialog(*list_, this);
        dialogs_.run(dialog, *this);
    } else {
        SingleLoginDialog dialog(*list_, this);
        dialogs_.run(dialog, *this);
    }
    refreshNext();
}

void AutomaticTargetPage::onAddCameras()
{
    AddCamerasDialog dialog(seams_.list, *list_, this);
    dialogs_.run(dialog, *this);
    counter_->setText(counterText());
    const bool any = list_->rowCount() > 0;
    selectAll_->setEnabled(any);
    accessSetting_->setEnabled(any);
    testing_->setEnabled(any);
    if (any && list_->selectedRows().empty())
        list_->selectFirstRow();
    // The added cameras are checked and have no login yet.
    refreshNext();
}

void AutomaticTargetPage::onTesting()
{
    if (list_->startProbing() == 0)
        return;
    probing_ = true;
    updateCursor();
}

void AutomaticTargetPage::onProbingFinished()
{
    probing_ = false;
    updateCursor();
}

void AutomaticTargetPage::updateCursor()
{
    if (discoveryWait_)
        setCursor(Qt::WaitCursor);
    else if (probing_)
        setCursor(Qt::BusyCursor);
    else
        unsetCursor();
}

// ---- The slide-out buttons ----

void AutomaticTargetPage::onSlide()
{
    if (slideTimer_.isActive())
        return;
    slideStep_ = 0;
    if (!panelOpen_) {
        addCameras_->show();
        testing_->show();
        slidePanel_->setMaximumWidth(0);
        slidePanel_->show();
    }
    slideTimer_.start();
}

void AutomaticTargetPage::slideStep()
{
    ++slideStep_;
    const int full = slidePanel_->sizeHint().width();
    const int shown = panelOpen_ ? full * (kSlideSteps - slideStep_) / kSlideSteps : full * slideStep_ / kSlideSteps;
    slidePanel_->setMaximumWidth(shown);
    if (slideStep_ < kSlideSteps)
        return;
    slideTimer_.stop();
    panelOpen_ = !panelOpen_;
    if (panelOpen_) {
        slidePanel_->setMaximumWidth(QWIDGETSIZE_MAX);
        slide_->setText(QStringLiteral("&>>"));
    } else {
        addCameras_->hide();
        testing_->hide();
        slidePanel_->hide();
        slide_->setText(QStringLiteral("&<<"));
    }
}

} // namespace zka
