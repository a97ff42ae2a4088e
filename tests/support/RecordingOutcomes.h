#pragma once

#include "upgrade/UpgradeJob.h"

#include <mutex>
#include <vector>

namespace zka::test {

// The outcomes an upgrade job told, in order. Safe from any thread.
class RecordingOutcomes final {
public:
    void listenTo(UpgradeJob& job)
    {
        UpgradeJob::Events events;
        events.outcome = [this](UpgradeJob::Outcome outcome) {
            std::lock_guard lock(mutex_);
            told_.push_back(outcome);
        };
        job.setEvents(std::move(events));
    }
    std::vector<UpgradeJob::Outcome> told() const
    {
        std::lock_guard lock(mutex_);
        return told_;
    }

private:
    mutable std::mutex mutex_;
    std::vector<UpgradeJob::Outcome> told_;
};

} // namespace zka::test
