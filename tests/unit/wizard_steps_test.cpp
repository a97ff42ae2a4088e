// The wizard's rules where the wizard's own tests would need a whole batch or a camera check held
// open: the ended batch's buttons, "Retry failed" after it, and the buttons held off while a check
// runs.
#include "wizard/WizardSteps.h"

#include <gtest/gtest.h>

namespace zka::test {
namespace {

struct StepsRig {
    WizardButtons shown;
    int finished = 0;
    bool failures = false;
    int retries = 0;
    WizardSteps steps{WizardSteps::Frame{
        [](WizardPage) {},
        [this](const WizardButtons& buttons, ButtonFocus) { shown = buttons; },
        [] { return true; },
        [] { return false; },
        [] { return true; },
        [] { return true; },
        [this] { ++finished; },
        [this] { return failures; },
        [this] { ++retries; },
    }};

    // Through the first pages to the automatic mode's batch, ready to start.
    StepsRig()
    {
        steps.start();
        for (int page = 0; page < 4; ++page)
            steps.next();
    }
};

TEST(WizardStepsTest, AnEndedBatchKeepsItsButtonsAndNextFinishes)
{
    StepsRig rig;
    ASSERT_EQ(rig.steps.page(), WizardPage::AutomaticReady);
    rig.steps.setButtonState(ButtonState::Upgrade);
    rig.steps.setButtonState(ButtonState::Abort);
    EXPECT_EQ(rig.steps.page(), WizardPage::AutomaticRunning);
    EXPECT_FALSE(rig.shown.close);
    rig.steps.setButtonState(ButtonState::BatchEnded);
    // A page that reports late changes nothing once the batch has ended.
    rig.steps.setButtonState(ButtonState::NextOn);
    EXPECT_FALSE(rig.shown.next.enabled);
    EXPECT_EQ(rig.shown.cancel.caption, ButtonCaption::FinishBatch);
    EXPECT_TRUE(rig.shown.cancel.enabled);
    EXPECT_TRUE(rig.shown.close);
    EXPECT_FALSE(rig.steps.confirmQuit());
    rig.steps.back();
    EXPECT_EQ(rig.steps.page(), WizardPage::AutomaticRunning);
    EXPECT_EQ(rig.finished, 0);
}

TEST(WizardStepsTest, RetryFailedOnlyAfterABatchThatLeftFailures)
{
    for (const bool failures : {false, true}) {
        StepsRig rig;
        rig.failures = failures;
        rig.steps.setButtonState(ButtonState::Abort);
        rig.steps.setButtonState(ButtonState::BatchEnded);
        EXPECT_EQ(rig.shown.retryEnabled, failures);
        rig.steps.retryFailed();
        EXPECT_EQ(rig.retries, failures ? 1 : 0);
        // Retried: the batch's page before a start, from which Back leads to the target page.
        EXPECT_EQ(rig.steps.page(), failures ? WizardPage::AutomaticReady : WizardPage::AutomaticRunning);
        rig.steps.back();
        EXPECT_EQ(rig.shown.retryShown, !failures);
    }
}

TEST(WizardStepsTest, ABusyCheckHoldsEveryButtonAndGivesBackTheLatestState)
{
    StepsRig rig;
    rig.steps.setButtonState(ButtonState::Upgrade);
    rig.steps.setBusy(true);
    EXPECT_FALSE(rig.shown.back.enabled || rig.shown.next.enabled || rig.shown.cancel.enabled || rig.shown.close);
    EXPECT_FALSE(rig.steps.cancelAllowed());
    rig.steps.next();
    rig.steps.back();
    EXPECT_EQ(rig.steps.page(), WizardPage::AutomaticReady);
    rig.steps.setBusy(false);
    EXPECT_TRUE(rig.shown.back.enabled && rig.shown.next.enabled && rig.shown.cancel.enabled && rig.shown.close);
    EXPECT_EQ(rig.shown.next.caption, ButtonCaption::Upgrade);
}

} // namespace
} // namespace zka::test
