// The wizard's responsiveness during a large batch: 256 simulated cameras discovered, all checked,
// given one login and upgraded as one batch through the wizard (drawn off screen) at time scale
// 0.01. A zero-interval timer runs beside the batch; the longest gap between two of its ticks is
// the longest time the user-interface thread was kept from its events (ticks of the scheduler and
// of 256 cameras, the list's redraws, the counter, or the system running other work). It must stay
// under 50 ms. Beside it: how much of that gap the thread itself worked, and the longest work
// between two ticks. The batch takes about five minutes. Run inside the network sandbox:
//   scripts/sandbox.sh build/.../bench/wizard_batch_bench [CAMERAS]      (256 by default)
//
// The cameras run in a child process forked before this process starts any thread.
#include "ChildFleet.h"
#include "app/UpgradeWizard.h"
#include "camsim/Fleet.h"
#include "discovery/DiscoverySession.h"
#include "runtime/Clock.h"
#include "runtime/Prompter.h"
#include "ui/dialogs/BatchLoginDialog.h"
#include "ui/pages/AutomaticProgressPage.h"
#include "ui/pages/AutomaticTargetPage.h"
#include "upgrade/BatchScheduler.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QTimer>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <functional>

namespace {

constexpr double kScale = 0.01;
constexpr double kStallLimitMs = 50.0;

// Answers every question with OK (the confirmation before the batch) and prints it.
class AcceptingPrompter final : public zka::Prompter {
public:
    zka::MessageAnswer show(const zka::Message& message) override
    {
        std::printf("    message: %s\n", message.text.c_str());
        return message.buttons == zka::MessageButtons::YesNo ? zka::MessageAnswer::Yes : zka::MessageAnswer::Ok;
    }
};

// Runs the event loop until the condition holds or the real time-out passed.
bool runUntil(const std::function<bool()>& done, int timeoutMs)
{
    QElapsedTimer elapsed;
    elapsed.start();
    while (!done()) {
        if (elapsed.elapsed() > timeoutMs)
            return false;
        QApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    return true;
}

void click(zka::UpgradeWizard& wizard, const char* button)
{
    wizard.findChild<QAbstractButton*>(button)->click();
}

// The user-interface thread's processor time so far, in milliseconds.
double threadCpuMs()
{
    timespec now{};
    ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) * 1e3 + double(now.tv_nsec) / 1e6;
}

// The gaps between the ticks of a zero-interval timer: the longest, the processor time the thread
// spent in the longest ones (a gap in which the thread worked little was the system running
// something else), and a histogram in steps of 0.1 ms for the typical gaps. Fixed storage only: a
// stall of the watch's own must not count.
class StallWatch final {
public:
    StallWatch()
    {
        timer_.setInterval(0);
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            const qint64 now = clock_.nsecsElapsed();
            const double cpu = threadCpuMs();
            const double gap = double(now - last_) / 1e6;
            const double busy = cpu - lastCpu_;
            last_ = now;
            lastCpu_ = cpu;
            if (gap > longest_) {
                longest_ = gap;
                busyInLongest_ = busy;
            }
            longestBusy_ = std::max(longestBusy_, busy);
            ++histogram_[std::min(kBuckets - 1, std::size_t(gap * 10.0))];
            ++count_;
        });
    }
    void start()
    {
        clock_.start();
        last_ = 0;
        lastCpu_ = threadCpuMs();
        timer_.start();
    }
    void stop() { timer_.stop(); }
    double longest() const { return longest_; }
    double busyInLongest() const { return busyInLongest_; }
    double longestBusy() const { return longestBusy_; }
    // The gap that this share of all gaps does not exceed, to 0.1 ms.
    double percentile(double share) const
    {
        const auto wanted = std::uint64_t(share * double(count_));
        std::uint64_t seen = 0;
        for (std::size_t bucket = 0; bucket < kBuckets; ++bucket) {
            seen += histogram_[bucket];
            if (seen > wanted)
                return double(bucket + 1) / 10.0;
        }
        return longest_;
    }
    std::uint64_t count() const { return count_; }

private:
    static constexpr std::size_t kBuckets = 1000;
    QTimer timer_;
    QElapsedTimer clock_;
    qint64 last_ = 0;
    double lastCpu_ = 0.0;
    double longest_ = 0.0;
    double busyInLongest_ = 0.0;
    double longestBusy_ = 0.0;
    std::uint64_t count_ = 0;
    std::array<std::uint64_t, kBuckets> histogram_{};
};

} // namespace

int main(int argc, char** argv)
{
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    const int count = argc > 1 ? std::clamp(std::atoi(argv[1]), 1, 256) : 256;
    zka::bench::ChildFleet fleet = zka::bench::ChildFleet::fork(zka::camsim::defaultFleet(count), kScale);
    if (!fleet.waitReady())
        return std::fprintf(stderr, "wizard_batch_bench: the fleet did not start\n"), 1;

    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    zka::SystemClock clock(kScale);
    AcceptingPrompter prompter;
    zka::UpgradeWizard wizard(zka::UpgradeWizard::Seams{clock, &prompter, &prompter});
    wizard.show();

    // Discovery (10 s nominal), then the automatic mode's pages.
    if (!runUntil([&] { return wizard.discovery().finished(); }, 60000))
        return std::fprintf(stderr, "wizard_batch_bench: discovery did not end\n"), 1;
    wizard.onNext();
    click(wizard, "agree");
    wizard.onNext();
    click(wizard, "automaticMode");
    wizard.onNext();
    auto* targetPage = wizard.findChild<zka::AutomaticTargetPage*>();
    if (!runUntil([&] { return !targetPage->discoveryWait(); }, 60000))
        return std::fprintf(stderr, "wizard_batch_bench: the target page kept waiting\n"), 1;
    const int found = targetPage->targetList().rowCount();

    targetPage->setDialogRunner([](QDialog& dialog) {
        dialog.findChild<QLineEdit*>(QStringLiteral("adminName"))->setText(QStringLiteral("admin"));
        dialog.findChild<QLineEdit*>(QStringLiteral("adminPassword"))->setText(QStringLiteral("admin"));
        dialog.accept();
        return int(QDialog::Accepted);
    });
    targetPage->onSelectAll();
    targetPage->onAccessSetting();
    wizard.onNext();
    auto* progressPage = wizard.findChild<zka::AutomaticProgressPage*>();
    const zka::BatchScheduler& batch = progressPage->scheduler();
    bool logShown = false;
    progressPage->setDialogRunner([&logShown](QDialog& dialog) {
        logShown = true;
        dialog.reject();
        return int(QDialog::Rejected);
    });

    StallWatch watch;
    QElapsedTimer wall;
    wall.start();
    watch.start();
    wizard.onNext(); // "&Upgrade"; the confirmation is answered with OK
    const bool ended = runUntil([&] { return logShown; }, 3600 * 1000);
    watch.stop();
    const double seconds = double(wall.elapsed()) / 1000.0;

    int completed = 0;
    for (std::size_t row = 0; row < batch.rowCount(); ++row)
        completed += batch.row(row).finalStatus == 9 ? 1 : 0;
    const double longest = watch.longest();
    const bool ok = ended && found == count && completed == count && longest < kStallLimitMs;
    std::printf("%d cameras through the wizard at time scale %.2f (%d found by discovery, %d completed)\n", count,
                kScale, found, completed);
    std::printf("    wall time of the batch                    %8.2f s\n", seconds);
    std::printf("    gaps between ticks of an idle timer        %llu, half of them under %.1f ms, 99.99 %% under %.1f ms\n",
                static_cast<unsigned long long>(watch.count()), watch.percentile(0.5), watch.percentile(0.9999));
    std::printf("    longest stall of the user-interface thread %7.1f ms  (limit %.0f ms; %.1f ms of it working)%s\n",
                longest, kStallLimitMs, watch.busyInLongest(), ok ? "" : "  FAILED");
    std::printf("    longest work between two idle ticks        %7.1f ms\n", watch.longestBusy());
    fleet.stop();
    return ok ? 0 : 1;
}
