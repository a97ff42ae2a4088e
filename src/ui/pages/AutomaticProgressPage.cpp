#include "ui/pages/AutomaticProgressPage.h"

#include "camera/StatusCode.h"
#include "resources/PackagedResources.h"
#include "runtime/Prompter.h"
#include "ui/dialogs/UpgradeLogDialog.h"
#include "ui/lists/TargetCameraList.h"
#include "ui/lists/UpgradeProgressList.h"
#include "upgrade/BatchScheduler.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace zka {
namespace {

constexpr std::uint16_t kProceedQuestion = 209;
constexpr std::uint16_t kInformationCaption = 203;

bool completed(const ProgressRow& row)
{
    return row.finalStatus == int(StatusCode::Completed);
}

} // namespace

AutomaticProgressPage::AutomaticProgressPage(Seams seams, QWidget* parent)
    : QWidget(parent)
    , seams_(std::move(seams))
    , scheduler_(seams_.batch)
    , counterTimer_(seams_.timers.makeTimer([this] { onCounterTimer(); }))
    , confirmTimer_(seams_.timers.makeTimer([this] { onConfirmTimer(); }))
{
    list_ = new UpgradeProgressList(scheduler_, this);
    list_->setColumns(list_->standardColumns());

    auto* heading = new QLabel(QStringLiteral("Target camera(s):"), this);
    auto* proceeded = new QLabel(QStringLiteral("Proceeded:"), this);
    counter_ = new QLabel(this);
    counter_->setObjectName(QStringLiteral("proceededCounter"));
    counter_->setMinimumWidth(counter_->fontMetrics().horizontalAdvance(QStringLiteral("256/256")) + 4);

    auto* setup = new QGroupBox(QStringLiteral("Setup data"), this);
    retain_ = new QCheckBox(QStringLiteral("&Retain the current settings"), setup);
    retain_->setObjectName(QStringLiteral("batchRetainSettings"));
    retain_->setChecked(true);
    backup_ = new QCheckBox(QStringLiteral("Backup the current &settings"), setup);
    backup_->setObjectName(QStringLiteral("batchBackupSettings"));
    connect(retain_, &QCheckBox::toggled, this, &AutomaticProgressPage::onRetainToggled);
    auto* setupLayout = new QHBoxLayout(setup);
    setupLayout->addWidget(retain_);
    setupLayout->addSpacing(16);
    setupLayout->addWidget(backup_);
    setupLayout->addStretch(1);

    auto* top = new QHBoxLayout;
    top->addWidget(heading);
    top->addStretch(1);
    top->addWidget(proceeded);
    top->addWidget(counter_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(list_, 1);
    layout->addWidget(setup);

    setTabOrder(list_, retain_);
    setTabOrder(retain_, backup_);
    counter_->setText(counterText());
}

AutomaticProgressPage::~AutomaticProgressPage()
{
    shutdown();
    // The list stops watching the scheduler while both are still there.
    delete list_;
    list_ = nullptr;
}

void AutomaticProgressPage::setTargetList(const TargetCameraList* list)
{
    targetList_ = list;
}

void AutomaticProgressPage::setDialogRunner(DialogRunner runner)
{
    dialogs_.replace(std::move(runner));
}

QString AutomaticProgressPage::counterText() const
{
    // Cameras an abort left unstarted did not proceed.
    return QStringLiteral("%1/%2").arg(scheduler_.proceededCount()).arg(scheduler_.rowCount());
}

bool AutomaticProgressPage::retainSettings() const
{
    return retain_->isChecked();
}

bool AutomaticProgressPage::backupSettings() const
{
    return backup_->isChecked();
}

void AutomaticProgressPage::shutdown()
{
    counterTimer_.stop();
    confirmTimer_.stop();
    if (list_)
        list_->clearRows();
}

// ---- Taking the targets over ----

void AutomaticProgressPage::onShown()
{
    list_->setFocus(Qt::OtherFocusReason);
    if (filled_)
        return;
    filled_ = true;
    std::vector<UpgradeTarget> checked;
    if (targetList_) {
        TargetCameraList::RowDetails details;
        for (int row = 0; row < targetList_->rowCount(); ++row) {
            if (targetList_->getRowDetails(row, details))
                checked.push_back(details);
        }
    }
    fill(std::move(checked));
}

void AutomaticProgressPage::fill(std::vector<UpgradeTarget> targets)
{
    list_->clearRows();
    targets_.clear();
    for (UpgradeTarget& target : targets) {
        if (list_->addUpgradeTarget(target))
            targets_.push_back(std::move(target));
    }
    setOptionsEnabled(true);
    seams_.setButtonState(ButtonState::Upgrade);
    // A new batch: the counter shows its own count, even where it equals the last one's.
    lastDone_ = -1;
    onCounterTimer();
    counterTimer_.start(kCounterPeriod);
}

// ---- Settings ----

void AutomaticProgressPage::onRetainToggled(bool retain)
{
    // Backing up is only possible while the settings are retained.
    if (!retain)
        backup_->setChecked(false);
    backup_->setEnabled(retain);
}

void AutomaticProgressPage::setOptionsEnabled(bool enabled)
{
    retain_->setEnabled(enabled);
    backup_->setEnabled(enabled && retain_->isChecked());
}

// ---- The batch ----

void AutomaticProgressPage::startBatch()
{
    scheduler_.setBatchOptions(retainSettings(), !backupSettings(), seams_.clock.wallTime());
    setOptionsEnabled(false);
    // The question comes from a timer, after the button's click has been handled.
    confirmTimer_.start(kConfirmDelay);
}

bool AutomaticProgressPage::isShown()
{
    if (!isVisible())
        return false;
    scheduler_.requestStop();
    return true;
}

bool AutomaticProgressPage::confirmAbort()
{
    if (!isVisible() || !scheduler_.running())
        return false;
    const std::string text = "Abort the firmware upgrade?\r\nThe cameras being upgraded finish; "
                             + std::to_string(scheduler_.waitingCount())
                             + " waiting camera(s) will not be upgraded.";
    Message question{text, seams_.resources.texts()(kInformationCaption), MessageIcon::Question,
                     MessageButtons::YesNo};
    question.defaultAnswer = MessageAnswer::No;
    // The batch runs on while the question is open: it may have ended by the answer.
    return seams_.prompter.show(question) == MessageAnswer::Yes && scheduler_.running();
}

bool AutomaticProgressPage::hasFailedCameras() const
{
    for (std::size_t row = 0; row < scheduler_.rowCount(); ++row) {
        if (!completed(scheduler_.row(row)))
            return true;
    }
    return false;
}

void AutomaticProgressPage::retryFailed()
{
    if (scheduler_.running())
        return;
    std::vector<UpgradeTarget> failed;
    for (std::size_t row = 0; row < scheduler_.rowCount() && row < targets_.size(); ++row) {
        if (!completed(scheduler_.row(row)))
            failed.push_back(targets_[row]);
    }
    if (failed.empty())
        return;
    fill(std::move(failed));
    list_->setFocus(Qt::OtherFocusReason);
    // The check boxes still hold the settings of the batch that ended.
    startBatch();
}

void AutomaticProgressPage::onConfirmTimer()
{
    confirmTimer_.stop();
    // Left before the question came: the page stays ready to start.
    if (!isVisible()) {
        setOptionsEnabled(true);
        return;
    }
    const ResourceText& texts = seams_.resources.texts();
    const Message question{texts(kProceedQuestion), texts(kInformationCaption), MessageIcon::Question,
                           MessageButtons::OkCancel};
    if (seams_.prompter.show(question) != MessageAnswer::Ok) {
        setOptionsEnabled(true);
        return;
    }
    seams_.setButtonState(ButtonState::Abort);
    scheduler_.start();
}

void AutomaticProgressPage::onCounterTimer()
{
    const int open = int(scheduler_.jobCount());
    const int done = int(scheduler_.proceededCount());
    // The cameras an abort drops end the batch without adding to the count.
    if (done == lastDone_ && open != 0)
        return;
    lastDone_ = done;
    counter_->setText(counterText());
    if (open != 0)
        return;
    counterTimer_.stop();
    seams_.setButtonState(ButtonState::BatchEnded);
    showLog();
}

void AutomaticProgressPage::showLog()
{
    std::vector<std::string> lines;
    for (std::size_t row = 0; row < scheduler_.rowCount(); ++row) {
        std::string line = scheduler_.rowText().logLine(scheduler_.row(row));
        if (line.empty())
            continue;
        lines.push_back(std::move(line));
        // The cause of a failure goes on a line of its own below the camera's, ended as the log's
        // lines are; a camera never started says why in its own line already.
        const ProgressRow& shown = scheduler_.row(row);
        if (shown.finalStatus != 0 && !shown.detail.empty())
            lines.push_back("    " + shown.detail + "\r\n");
    }
    if (const std::string folder = scheduler_.savedConfigurationsLine(); !folder.empty())
        lines.push_back(folder);
    UpgradeLogDialog dialog(lines, seams_.desktop, seams_.prompter, seams_.resources.texts(), window());
    dialogs_.run(dialog, *this);
}

} // namespace zka
