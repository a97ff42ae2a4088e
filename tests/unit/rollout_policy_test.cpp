// The rules of a staged rollout without a camera: the failure limit's arithmetic, the canary's
// gate, which halt comes first, the versions a batch skips, and the end of a maintenance window.
#include "upgrade/RolloutPolicy.h"

#include <gtest/gtest.h>

#include <ctime>
#include <string>
#include <vector>

namespace zka {
namespace {

using namespace std::chrono_literals;

TEST(RolloutPolicy, TheFailureLimitInCamerasAndInPercentOfThoseStarted)
{
    struct Case {
        std::string limit;
        BatchTally tally; // completed, failed, under way
        bool reached;
    };
    const std::vector<Case> cases{
        {"2", {0, 1, 5}, false},
        {"2", {0, 2, 0}, true},
        {"2", {7, 3, 0}, true},
        // A share is judged once four cameras have ended, of every camera started so far.
        {"10%", {0, 3, 5}, false},
        {"10%", {3, 1, 6}, true},   // 1 of 10
        {"10%", {4, 1, 6}, false},  // 1 of 11
        {"25%", {3, 1, 0}, true},   // 1 of 4
        {"50%", {2, 2, 1}, false},  // 2 of 5
        {"100%", {0, 4, 0}, true},
        {"100%", {0, 4, 1}, false},
    };
    for (const Case& c : cases) {
        const auto limit = FailureLimit::parse(c.limit);
        ASSERT_TRUE(limit) << c.limit;
        EXPECT_EQ(limit->reached(c.tally), c.reached)
            << c.limit << " with " << c.tally.completed << " completed, " << c.tally.failed << " failed, "
            << c.tally.underWay << " under way";
    }
    for (const std::string refused : {"", "0", "0%", "101%", "%", "-1", "+2", "2.5%", "ten", "2 ", "99999999999"})
        EXPECT_FALSE(FailureLimit::parse(refused)) << refused;
}

TEST(RolloutPolicy, TheCanaryGoesAloneAndItsFailureHaltsBeforeAnyOtherRule)
{
    const auto now = std::chrono::system_clock::now();
    RolloutPolicy policy;
    EXPECT_TRUE(policy.mayBegin({0, 0, 15}));
    EXPECT_EQ(policy.haltFor({0, 5, 0}, now), BatchHalt::None);

    policy.canary = 2;
    policy.maxFailures = FailureLimit::parse("1");
    policy.stopAt = now - 1min;
    EXPECT_TRUE(policy.mayBegin({0, 0, 1}));
    EXPECT_FALSE(policy.mayBegin({0, 0, 2}));
    EXPECT_FALSE(policy.mayBegin({1, 0, 1}));
    EXPECT_TRUE(policy.mayBegin({2, 0, 1}));
    EXPECT_EQ(policy.haltFor({1, 1, 0}, now), BatchHalt::Canary);
    EXPECT_EQ(policy.haltFor({2, 1, 0}, now), BatchHalt::FailureLimit);
    EXPECT_EQ(policy.haltFor({2, 0, 0}, now), BatchHalt::WindowEnded);
    policy.stopAt = now + 1min;
    EXPECT_EQ(policy.haltFor({2, 0, 0}, now), BatchHalt::None);
}

TEST(RolloutPolicy, OnlyTheVersionsTheRuleNamesAreSkipped)
{
    const VersionRule none;
    const VersionRule both{true, true};
    const VersionRule forced{false, true};
    EXPECT_EQ(none.judge("2.45", "ver2.45"), SkipReason::None);
    EXPECT_EQ(both.judge("2.45", "ver2.45"), SkipReason::UpToDate);
    EXPECT_EQ(both.judge("2.50", "ver2.45"), SkipReason::Newer);
    EXPECT_EQ(both.judge("3.9", "ver3.15"), SkipReason::None);
    // Emergency firmware reports no version: it is always upgraded.
    EXPECT_EQ(both.judge("unknown", "ver2.45"), SkipReason::None);
    EXPECT_EQ(forced.judge("2.45", "ver2.45"), SkipReason::None);
    EXPECT_EQ(forced.judge("2.50", "ver2.45"), SkipReason::Newer);
}

TEST(RolloutPolicy, AWindowEndsAtTheNextTimeTheLocalClockShowsIt)
{
    const auto now = std::chrono::system_clock::now();
    const auto localOf = [](std::chrono::system_clock::time_point when) {
        const std::time_t seconds = std::chrono::system_clock::to_time_t(when);
        std::tm local{};
        localtime_r(&seconds, &local);
        return local;
    };
    for (const auto& [text, hours, minutes] : {std::tuple{"06:00", 6, 0}, std::tuple{"23:59", 23, 59},
                                              std::tuple{"0:05", 0, 5}}) {
        const auto end = nextLocalTime(text, now);
        ASSERT_TRUE(end) << text;
        EXPECT_GT(*end, now) << text;
        EXPECT_LE(*end - now, 25h) << text; // a day, and an hour for a change to summer time
        const std::tm local = localOf(*end);
        EXPECT_EQ(local.tm_hour, hours) << text;
        EXPECT_EQ(local.tm_min, minutes) << text;
    }
    for (const std::string refused : {"24:00", "6", "06:60", "06:5", "006:00", ":30", "6:00pm", ""})
        EXPECT_FALSE(nextLocalTime(refused, now)) << refused;
}

} // namespace
} // namespace zka
