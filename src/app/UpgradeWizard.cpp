#include "app/UpgradeWizard.h"

#include "app/Artwork.h"
#include "app/AutomaticPages.h"
#include "app/KeyReportButton.h"
#include "app/ManualFlowView.h"
#include "discovery/DiscoverySession.h"
#include "resources/ResourceStore.h"
#include "ui/pages/AgreementPage.h"
#include "ui/pages/AutomaticProgressPage.h"
#include "ui/pages/AutomaticTargetPage.h"
#include "ui/pages/IntroPage.h"
#include "ui/pages/ManualProgressPage.h"
#include "ui/pages/ManualResultPage.h"
#include "ui/pages/ManualTargetPage.h"
#include "ui/pages/ModePage.h"
#include "ui/seams/QtDesktop.h"
#include "ui/seams/QtPrompter.h"
#include "upgrade/ManualFlow.h"

#include <QApplication>
#include <QCoreApplication>
#include <QFrame>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QStackedWidget>
#include <QVBoxLayout>
#include <QWindow>

namespace zka {
namespace {

constexpr std::uint16_t kNextCaption = 159;
constexpr std::uint16_t kBackCaption = 162;
constexpr std::uint16_t kCancelCaption = 165;
constexpr std::uint16_t kFinishCaptionResult = 194;
constexpr std::uint16_t kRetryCaption = 195;
constexpr std::uint16_t kInformationCaption = 203;
constexpr std::uint16_t kQuitQuestion = 248;
constexpr std::uint16_t kUpgradeCaption = 266;
constexpr std::uint16_t kAbortCaption = 267;
constexpr std::uint16_t kFinishCaptionBatch = 268;

const char* const kRelaxedModeMessage =
    "I become 'Morvaine' mode.\nThis mode would be released from using IP address strictly.";

// The pages keep the size they are designed for; the frame around them is laid out to fit.
constexpr QSize kPageSize{560, 310};
constexpr int kButtonMinimumWidth = 88;
// How often the progress bar follows the upgrade, in real milliseconds.
constexpr int kRedrawPeriodMs = 50;

// Ends the application's event loop with a status, from any thread: the way the wizard's process
// ends after a fatal failure of the discovery socket, with every object torn down in order.
void endApplication(int status)
{
    QMetaObject::invokeMethod(
        QCoreApplication::instance(), [status] { QCoreApplication::exit(status); }, Qt::QueuedConnection);
}

} // namespace

UpgradeWizard::UpgradeWizard(Seams seams, QWidget* parent)
    : QDialog(parent)
    , clock_(seams.clock)
    , ownPrompter_(seams.prompter ? nullptr : std::make_unique<QtPrompter>(this))
    , ownDiscoveryPrompter_(seams.discoveryPrompter ? nullptr : std::make_unique<QtPrompter>(this))
    , ownDesktop_(seams.desktop ? nullptr : std::make_unique<QtDesktop>(this))
    , prompter_(seams.prompter ? *seams.prompter : *ownPrompter_)
    , discoveryPrompter_(seams.discoveryPrompter ? *seams.discoveryPrompter : *ownDiscoveryPrompter_)
    , desktop_(seams.desktop ? *seams.desktop : *ownDesktop_)
    , timers_(seams.clock)
    , resources_(embeddedResources(), prompter_)
    , texts_(resources_.texts())
{
    // A dialog with a title bar, a minimise button and a close button that the running upgrade can
    // take away (the customise hint makes the window manager follow the hints one by one).
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    setWindowIcon(artwork::applicationIcon());

    resources_.loadAll();
    setWindowTitle(QString::fromStdString(resources_.fileDescription()));
    table_.setSupportedModels(&resources_.supportedModels());

    buildPages();
    buildFrame();

    flowView_ = std::make_unique<ManualFlowView>(
        *progressPage_, *resultPage_, *emergencyImage_,
        ManualFlowView::WizardHooks{[this](int page) { onPageShown(page); },
                                    [this](bool busy) { onBusyChanged(busy); }});
    flow_ = std::make_unique<ManualFlow>(ManualFlow::Seams{clock_, timers_, dispatcher_, prompter_, texts_},
                                         resources_, *flowView_);
    progressRedraw_.setInterval(kRedrawPeriodMs);
    connect(&progressRedraw_, &QTimer::timeout, this, &UpgradeWizard::followUpgrade);

    startDiscovery(seams);

    pageIndex_ = 0;
    switchPage();
}

UpgradeWizard::~UpgradeWizard()
{
    progressRedraw_.stop();
    // The automatic pages' probes and the batch's cameras use the wizard's resources, texts and
    // prompter: they end first, every camera thread joined, before any of those goes.
    automatic_.reset();
    // No worker may wait for a box that will never be shown while it is joined below.
    if (ownPrompter_)
        ownPrompter_->abandonPending();
    flow_.reset();
    stopDiscovery();
    if (busy_)
        QApplication::restoreOverrideCursor();
}

bool UpgradeWizard::resourcesUsable() const
{
    return !resources_.supportedModels().empty() && resources_.isLoaded(0);
}

void UpgradeWizard::buildPages()
{
    introPage_ = new IntroPage(texts_, resources_.principalModel(), resources_.newVersion2x(),
                               resources_.newVersion3x());
    agreementPage_ = new AgreementPage(texts_);
    modePage_ = new ModePage(texts_);
    targetPage_ = new ManualTargetPage(texts_, prompter_);
    progressPage_ = new ManualProgressPage(texts_);
    resultPage_ = new ManualResultPage(texts_);
    automatic_ = std::make_unique<AutomaticPages>(AutomaticPages::Seams{
        {clock_, timers_, prompter_, texts_, desktop_, resources_.supportedModels()},
        table_,
        resources_,
        describeFirmware(),
        [this](int state) { setButtonState(state); }});
    QWidget* automaticTarget = automatic_->targetPage();
    QWidget* automaticProgress = automatic_->progressPage();
    // The intro page names the firmware; its title becomes the window's caption.
    setWindowTitle(introPage_->windowCaption());

    pageOfStep_ = {introPage_,    agreementPage_, modePage_,       targetPage_,       progressPage_,
                   progressPage_, resultPage_,    automaticTarget, automaticProgress, automaticProgress};

    stack_ = new QStackedWidget(this);
    stack_->setObjectName(QStringLiteral("pages"));
    for (QWidget* page : {static_cast<QWidget*>(introPage_), static_cast<QWidget*>(agreementPage_),
                          static_cast<QWidget*>(modePage_), static_cast<QWidget*>(targetPage_),
                          static_cast<QWidget*>(progressPage_), static_cast<QWidget*>(resultPage_),
                          automaticTarget, automaticProgress})
        stack_->addWidget(page);
    stack_->setFixedSize(kPageSize);

    connect(agreementPage_, &AgreementPage::agreedChanged, this, [this](bool agreed) {
        if (pageIndex_ == 1)
            nextButton_->setEnabled(agreed);
    });
    // The pages are read when Next is pressed; the discovered cameras come from the table at that
    // moment (only those with a MAC address count).
    targetPage_->setDiscoveryTable([this] {
        std::vector<ManualTargetPage::Octets> addresses;
        for (const CameraRecord& record : table_.snapshot()) {
            if (!record.macText().empty())
                addresses.push_back(record.ipAddress);
        }
        return addresses;
    });
}

void UpgradeWizard::buildFrame()
{
    auto* separator = new QFrame(this);
    separator->setFrameShape(QFrame::HLine);
    separator->setFrameShadow(QFrame::Sunken);

    emergencyImage_ = new QLabel(this);
    emergencyImage_->setObjectName(QStringLiteral("emergencyImage"));
    emergencyImage_->setPixmap(artwork::emergencyImage());
    emergencyImage_->setToolTip(QStringLiteral("The camera runs its emergency firmware."));
    // The badge comes and goes without moving the buttons.
    QSizePolicy keepSpace = emergencyImage_->sizePolicy();
    keepSpace.setRetainSizeWhenHidden(true);
    emergencyImage_->setSizePolicy(keepSpace);
    emergencyImage_->hide();

    backButton_ = new QPushButton(this);
    backButton_->setObjectName(QStringLiteral("backButton"));
    nextButton_ = new KeyReportButton(QString(), this);
    nextButton_->setObjectName(QStringLiteral("nextButton"));
    cancelButton_ = new QPushButton(this);
    cancelButton_->setObjectName(QStringLiteral("cancelButton"));
    restoreCaptions();
    for (QPushButton* button : {backButton_, static_cast<QPushButton*>(nextButton_), cancelButton_}) {
        button->setMinimumWidth(kButtonMinimumWidth);
        // Enter goes to the wizard, which decides by the focus (onEnter); the buttons do not take it.
        button->setAutoDefault(false);
    }
    nextButton_->setDefault(true);

    connect(backButton_, &QPushButton::clicked, this, &UpgradeWizard::onBack);
    connect(nextButton_, &QPushButton::clicked, this, &UpgradeWizard::onNext);
    connect(cancelButton_, &QPushButton::clicked, this, &UpgradeWizard::onCancel);
    // Queued: the release is reported as a posted command, handled after the key event.
    connect(nextButton_, &KeyReportButton::kKeyReleased, this, &UpgradeWizard::enterRelaxedAddressMode,
            Qt::QueuedConnection);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(emergencyImage_);
    buttons->addStretch(1);
    buttons->addWidget(backButton_);
    buttons->addWidget(nextButton_);
    buttons->addSpacing(8);
    buttons->addWidget(cancelButton_);

    auto* layout = new QVBoxLayout(this);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    layout->addWidget(stack_);
    layout->addWidget(separator);
    layout->addLayout(buttons);
}

void UpgradeWizard::startDiscovery(const Seams& seams)
{
    auto exitProcess = seams.exitProcess ? seams.exitProcess : std::function<void(int)>(endApplication);
    discovery_ = std::make_unique<DiscoverySession>(
        table_, timers_,
        DiscoveryListener::Environment{clock_, discoveryPrompter_, std::move(exitProcess), seams.discoveryAddress});
    discovery_->start();
}

void UpgradeWizard::stopDiscovery()
{
    if (!discovery_)
        return;
    // The listener may be waiting for its "Network NG" box to be answered on this thread; that box
    // is given up, so that the wait for the listener below cannot wait for this thread in turn.
    if (ownDiscoveryPrompter_)
        ownDiscoveryPrompter_->abandonPending();
    discovery_->cancel();
}

// ---- Navigation ----

void UpgradeWizard::switchPage()
{
    QWidget* page = pageOfStep_[std::size_t(pageIndex_)];
    if (stack_->currentWidget() != page)
        stack_->setCurrentWidget(page);

    switch (pageIndex_) {
    case 0:
        backButton_->setEnabled(false);
        nextButton_->setEnabled(true);
        nextButton_->setFocus(Qt::OtherFocusReason);
        break;
    case 1:
        backButton_->setEnabled(true);
        nextButton_->setEnabled(agreementPage_->isAgreed());
        break;
    case 2:
        backButton_->setEnabled(true);
        nextButton_->setEnabled(true);
        modePage_->refreshTexts();
        break;
    case 3:
        setCaption(nextButton_, kNextCaption);
        for (QPushButton* button : {backButton_, static_cast<QPushButton*>(nextButton_), cancelButton_})
            button->setEnabled(true);
        setCloseEnabled(true);
        targetPage_->focusAddress();
        break;
    case 4:
        progressPage_->resetProgress();
        setButtonState(2);
        break;
    case 5:
        for (QPushButton* button : {backButton_, static_cast<QPushButton*>(nextButton_), cancelButton_})
            button->setEnabled(false);
        setCloseEnabled(false);
        break;
    case 6:
        setCaption(backButton_, kRetryCaption);
        backButton_->setEnabled(true);
        // Nothing follows the result: a greyed "Next >", not the confirmation page's "Upgrade".
        setCaption(nextButton_, kNextCaption);
        nextButton_->setEnabled(false);
        setCaption(cancelButton_, kFinishCaptionResult);
        cancelButton_->setEnabled(true);
        cancelButton_->setFocus(Qt::OtherFocusReason);
        setCloseEnabled(true);
        confirmQuit_ = false;
        break;
    case 7:
        backButton_->setEnabled(true);
        // The page fills its list and sets Next by the logins of the checked cameras.
        automatic_->showTargetPage(relaxedAddressMode_);
        break;
    case 8:
        backButton_->setEnabled(true);
        // The page takes the checked cameras over and sets Next to "&Upgrade".
        automatic_->showProgressPage();
        break;
    default:
        break;
    }
    if (pageIndex_ == 4 || pageIndex_ == 5)
        progressRedraw_.start();
    else
        progressRedraw_.stop();
}

void UpgradeWizard::onNext()
{
    if (!nextButton_->isEnabled() || busy_)
        return;
    if (abortRequested_) {
        // "&Abort", once confirmed: the cameras under way finish, no other one starts.
        if (automatic_->abortBatch())
            nextButton_->setEnabled(false);
        return;
    }
    if (finished_) {
        accept();
        return;
    }
    switch (pageIndex_) {
    case 2:
        pageIndex_ = modePage_->selectedMode() == ModePage::kManual ? 3 : 7;
        // The target page enables Next once discovery has ended and the logins are complete.
        if (pageIndex_ == 7)
            nextButton_->setEnabled(table_.stopRequested());
        confirmQuit_ = true;
        break;
    case 3:
        submitTarget();
        return;
    case 4:
        flow_->confirmUpgrade();
        return;
    case 7:
        automatic_->leaveTargetPage();
        pageIndex_ = 8;
        break;
    case 8:
        automatic_->startBatch();
        return;
    case 5:
    case 6:
    case 9:
        return;
    default:
        ++pageIndex_;
        break;
    }
    switchPage();
}

void UpgradeWizard::submitTarget()
{
    if (relaxedAddressMode_ && !targetPage_->checkDuplicateAddress()) {
        setButtonState(5);
        return;
    }
    if (!targetPage_->validateInput())
        return;
    // The flow checks the camera on a worker and shows page 4 when it is accepted.
    flow_->submitTarget(targetPage_->targetAddress(), targetPage_->credentials(), targetPage_->retainSettings(),
                        targetPage_->backupSettings());
}

void UpgradeWizard::onBack()
{
    if (!backButton_->isEnabled() || busy_)
        return;
    switch (pageIndex_) {
    case 3:
        pageIndex_ = 2;
        break;
    case 4:
        flow_->back();
        return;
    case 6:
        restoreCaptions();
        confirmQuit_ = true;
        flow_->back();
        return;
    case 7:
        pageIndex_ = 2;
        setCaption(nextButton_, kNextCaption);
        break;
    case 8:
    case 9:
        pageIndex_ = 7;
        restoreCaptions();
        finished_ = false;
        abortRequested_ = false;
        break;
    default:
        if (pageIndex_ > 0)
            --pageIndex_;
        break;
    }
    switchPage();
}

void UpgradeWizard::onEnter()
{
    if (backButton_->hasFocus())
        onBack();
    else if (cancelButton_->hasFocus())
        onCancel();
    else
        onNext();
}

void UpgradeWizard::onCancel()
{
    if (!cancelButton_->isEnabled() || busy_)
        return;
    if (confirmQuit_) {
        const Message question{texts_(kQuitQuestion), texts_(kInformationCaption), MessageIcon::Question,
                               MessageButtons::YesNo};
        if (prompter_.show(question) != MessageAnswer::Yes)
            return;
    }
    stopDiscovery();
    done(QDialog::Rejected);
}

void UpgradeWizard::reject()
{
    // While the upgrade runs (or a check of the camera does) the window cannot be closed.
    if (!closeEnabled_ || busy_)
        return;
    onCancel();
}

void UpgradeWizard::keyPressEvent(QKeyEvent* event)
{
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (enter && (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
        onEnter();
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void UpgradeWizard::enterRelaxedAddressMode()
{
    if (pageIndex_ != 0)
        return;
    showMessage(kRelaxedModeMessage, resources_.fileDescription());
    relaxedAddressMode_ = true;
}

void UpgradeWizard::setButtonState(int kind)
{
    if (finished_)
        return;
    switch (kind) {
    case 0:
        setCaption(nextButton_, kNextCaption);
        nextButton_->setEnabled(false);
        break;
    case 1:
        setCaption(nextButton_, kNextCaption);
        nextButton_->setEnabled(true);
        break;
    case 2:
        setCaption(nextButton_, kUpgradeCaption);
        nextButton_->setEnabled(true);
        break;
    case 3:
        setCaption(nextButton_, kAbortCaption);
        nextButton_->setEnabled(true);
        backButton_->setEnabled(false);
        cancelButton_->setEnabled(false);
        pageIndex_ = 9;
        setCloseEnabled(false);
        abortRequested_ = true;
        break;
    case 4:
        nextButton_->setEnabled(false);
        setCaption(cancelButton_, kFinishCaptionBatch);
        cancelButton_->setEnabled(true);
        setCloseEnabled(true);
        finished_ = true;
        confirmQuit_ = false;
        break;
    case 5:
        nextButton_->setEnabled(false);
        backButton_->setEnabled(false);
        cancelButton_->setEnabled(true);
        cancelButton_->setFocus(Qt::OtherFocusReason);
        confirmQuit_ = false;
        break;
    default:
        break;
    }
}

FirmwareDescription UpgradeWizard::describeFirmware() const
{
    return FirmwareDescription::of(resources_);
}

void UpgradeWizard::restoreCaptions()
{
    setCaption(nextButton_, kNextCaption);
    setCaption(backButton_, kBackCaption);
    setCaption(cancelButton_, kCancelCaption);
}

void UpgradeWizard::setCaption(QPushButton* button, std::uint16_t text)
{
    button->setText(QString::fromStdString(texts_(text)));
}

void UpgradeWizard::setCloseEnabled(bool enabled)
{
    closeEnabled_ = enabled;
    Qt::WindowFlags flags = windowFlags();
    flags.setFlag(Qt::WindowCloseButtonHint, enabled);
    if (flags == windowFlags())
        return;
    if (QWindow* window = windowHandle()) {
        // Tell the window system without hiding and re-showing the window, as setWindowFlags would.
        overrideWindowFlags(flags);
        window->setFlags(flags);
    } else {
        setWindowFlags(flags);
    }
}

void UpgradeWizard::showMessage(const std::string& text, const std::string& caption)
{
    prompter_.show(Message{text, caption, MessageIcon::None, MessageButtons::Ok});
}

// ---- Timers ----

void UpgradeWizard::followUpgrade()
{
    progressPage_->progressValue().store(flow_->progress().load());
    if (pageIndex_ == 5)
        flow_->followStatus();
}

// ---- What the manual flow reports ----

void UpgradeWizard::onPageShown(int page)
{
    if (page == 3 && pageIndex_ >= 4 && pageIndex_ <= 6)
        restoreCaptions();
    pageIndex_ = page;
    switchPage();
}

void UpgradeWizard::onBusyChanged(bool busy)
{
    if (busy == busy_)
        return;
    busy_ = busy;
    std::array<QWidget*, 3> buttons{backButton_, nextButton_, cancelButton_};
    if (busy) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        for (std::size_t i = 0; i < buttons.size(); ++i) {
            enabledBeforeBusy_[i] = buttons[i]->isEnabled();
            buttons[i]->setEnabled(false);
        }
        enabledBeforeBusy_[3] = closeEnabled_;
        setCloseEnabled(false);
        return;
    }
    QApplication::restoreOverrideCursor();
    for (std::size_t i = 0; i < buttons.size(); ++i)
        buttons[i]->setEnabled(enabledBeforeBusy_[i]);
    setCloseEnabled(enabledBeforeBusy_[3]);
}

} // namespace zka
