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

constexpr std::uint16_t kInformationCaption = 203;
constexpr std::uint16_t kQuitQuestion = 248;

// The buttons' texts, in ButtonCaption's order: Next, Back, Cancel, Retry, Finish after the manual
// result, Upgrade, Abort, Finish after the batch.
constexpr std::array<std::uint16_t, 8> kCaptionTexts{159, 162, 165, 195, 194, 266, 267, 268};

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
    , steps_(frameForSteps())
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
        ManualFlowView::WizardHooks{[this](ManualFlowStep step) { steps_.showManualStep(step); },
                                    [this](bool busy) { onBusyChanged(busy); }});
    flow_ = std::make_unique<ManualFlow>(ManualFlow::Seams{clock_, timers_, dispatcher_, prompter_, texts_},
                                         resources_, *flowView_);
    progressRedraw_.setInterval(kRedrawPeriodMs);
    connect(&progressRedraw_, &QTimer::timeout, this, &UpgradeWizard::followUpgrade);

    startDiscovery(seams);

    setPageHooks();
    steps_.start();
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
    if (steps_.busy())
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
        [this](ButtonState state) { steps_.setButtonState(state); }});
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

    connect(agreementPage_, &AgreementPage::agreedChanged, this,
            [this](bool agreed) { steps_.agreementChanged(agreed); });
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
    retryButton_ = new QPushButton(QStringLiteral("&Retry failed"), this);
    retryButton_->setObjectName(QStringLiteral("retryFailedButton"));
    retryButton_->hide();
    for (QPushButton* button : {backButton_, static_cast<QPushButton*>(nextButton_), retryButton_, cancelButton_}) {
        button->setMinimumWidth(kButtonMinimumWidth);
        // Enter goes to the wizard, which decides by the focus (onEnter); the buttons do not take it.
        button->setAutoDefault(false);
    }
    nextButton_->setDefault(true);

    connect(backButton_, &QPushButton::clicked, this, &UpgradeWizard::onBack);
    connect(nextButton_, &QPushButton::clicked, this, &UpgradeWizard::onNext);
    connect(cancelButton_, &QPushButton::clicked, this, &UpgradeWizard::onCancel);
    connect(retryButton_, &QPushButton::clicked, this, [this] { steps_.retryFailed(); });
    // Queued: the release is reported as a posted command, handled after the key event.
    connect(nextButton_, &KeyReportButton::kKeyReleased, this, &UpgradeWizard::enterRelaxedAddressMode,
            Qt::QueuedConnection);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(emergencyImage_);
    buttons->addStretch(1);
    buttons->addWidget(backButton_);
    buttons->addWidget(nextButton_);
    buttons->addSpacing(8);
    buttons->addWidget(retryButton_);
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

WizardSteps::Frame UpgradeWizard::frameForSteps()
{
    return WizardSteps::Frame{
        [this](WizardPage page) { showPage(page); },
        [this](const WizardButtons& buttons, ButtonFocus focus) { showButtons(buttons, focus); },
        [this] { return agreementPage_->isAgreed(); },
        [this] { return modePage_->selectedMode() == ModePage::kManual; },
        [this] { return table_.stopRequested(); },
        [this] { return automatic_->abortBatch(); },
        [this] { accept(); },
        [this] { return automatic_->batchLeftFailures(); },
        [this] { automatic_->retryFailed(); },
    };
}

void UpgradeWizard::setPageHooks()
{
    // Next on these pages starts work that moves the wizard on later: the page stays meanwhile.
    const auto staying = [](std::function<void()> work) {
        return [work = std::move(work)] {
            work();
            return false;
        };
    };
    const auto flowBack = [this] { flow_->back(); };
    steps_.setHooks(WizardPage::Mode, {.enter = [this] { modePage_->refreshTexts(); }});
    steps_.setHooks(WizardPage::ManualTarget,
                    {.enter = [this] { targetPage_->focusAddress(); }, .validate = [this] { return submitTarget(); }});
    steps_.setHooks(WizardPage::ManualConfirm, {.enter = [this] { progressPage_->resetProgress(); },
                                                .validate = staying([this] { flow_->confirmUpgrade(); }),
                                                .back = flowBack});
    steps_.setHooks(WizardPage::ManualResult, {.back = flowBack});
    // The page fills its list and sets Next by the logins of the checked cameras; Next takes them over.
    steps_.setHooks(WizardPage::AutomaticTarget, {.enter = [this] { automatic_->showTargetPage(relaxedAddressMode_); },
                                                  .validate = [this] {
                                                      automatic_->leaveTargetPage();
                                                      return true;
                                                  }});
    // The page sets Next to "&Upgrade", which starts the batch.
    steps_.setHooks(WizardPage::AutomaticReady, {.enter = [this] { automatic_->showProgressPage(); },
                                                 .validate = staying([this] { automatic_->startBatch(); })});
}

void UpgradeWizard::showPage(WizardPage page)
{
    QWidget* widget = pageOfStep_[static_cast<std::size_t>(page)];
    if (stack_->currentWidget() != widget)
        stack_->setCurrentWidget(widget);
    if (page == WizardPage::ManualConfirm || page == WizardPage::ManualUpgrade)
        progressRedraw_.start();
    else
        progressRedraw_.stop();
}

void UpgradeWizard::showButtons(const WizardButtons& buttons, ButtonFocus focus)
{
    const std::array<std::pair<QPushButton*, ButtonLook>, 3> looks{
        {{backButton_, buttons.back}, {nextButton_, buttons.next}, {cancelButton_, buttons.cancel}}};
    for (const auto& [button, look] : looks) {
        setCaption(button, kCaptionTexts[static_cast<std::size_t>(look.caption)]);
        button->setEnabled(look.enabled);
    }
    setCloseEnabled(buttons.close);
    retryButton_->setVisible(buttons.retryShown);
    retryButton_->setEnabled(buttons.retryEnabled);
    if (focus == ButtonFocus::Next)
        nextButton_->setFocus(Qt::OtherFocusReason);
    else if (focus == ButtonFocus::Cancel)
        cancelButton_->setFocus(Qt::OtherFocusReason);
}

bool UpgradeWizard::submitTarget()
{
    if (relaxedAddressMode_ && !targetPage_->checkDuplicateAddress()) {
        steps_.setButtonState(ButtonState::DeadEnd);
        return false;
    }
    if (!targetPage_->validateInput())
        return false;
    // The flow checks the camera on a worker and moves to the confirmation when it is accepted.
    flow_->submitTarget(targetPage_->targetAddress(), targetPage_->credentials(), targetPage_->retainSettings(),
                        targetPage_->backupSettings());
    return false;
}

void UpgradeWizard::onNext()
{
    steps_.next();
}

void UpgradeWizard::onBack()
{
    steps_.back();
}

void UpgradeWizard::onEnter()
{
    if (backButton_->hasFocus())
        onBack();
    else if (cancelButton_->hasFocus())
        onCancel();
    else if (retryButton_->hasFocus())
        steps_.retryFailed();
    else
        onNext();
}

void UpgradeWizard::onCancel()
{
    if (!steps_.cancelAllowed())
        return;
    if (steps_.confirmQuit()) {
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
    if (!closeEnabled_ || steps_.busy())
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
    if (steps_.page() != WizardPage::Intro)
        return;
    showMessage(kRelaxedModeMessage, resources_.fileDescription());
    relaxedAddressMode_ = true;
}

FirmwareDescription UpgradeWizard::describeFirmware() const
{
    return FirmwareDescription::of(resources_);
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
    progressPage_->progressValue().store(flow_->progress());
    if (steps_.page() == WizardPage::ManualUpgrade)
        flow_->followStatus();
}

// ---- What the manual flow reports ----

void UpgradeWizard::onBusyChanged(bool busy)
{
    if (busy == steps_.busy())
        return;
    if (busy)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QApplication::restoreOverrideCursor();
    steps_.setBusy(busy);
}

} // namespace zka
