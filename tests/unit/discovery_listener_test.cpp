// The discovery listener and a whole discovery run on real sockets, inside the network sandbox:
// the test plays the cameras and answers to the listener's port.

#include "discovery/DiscoverySession.h"
#include "discovery/Enquiry.h"
#include "discovery_responder.h"
#include "runtime/EventLoop.h"
#include "support/ScriptedPrompter.h"

#include <gtest/gtest.h>

#include <netinet/in.h>
#include <sys/socket.h>

#include <atomic>
#include <cerrno>
#include <system_error>
#include <thread>

namespace zka {
namespace {

using namespace std::chrono_literals;
using test::CameraResponder;
using test::Datagram;
using test::standardReply;
using SteadyClock = std::chrono::steady_clock;

const SupportedModels kModels{"ZKA-QM410", "ZKA-QM410E", "ZKA-QM410P"};
const Datagram kEnquiryBytes(kDiscoveryEnquiry.begin(), kDiscoveryEnquiry.end());

bool waitUntil(const std::function<bool()>& condition)
{
    const auto deadline = SteadyClock::now() + 2s;
    while (!condition() && SteadyClock::now() < deadline)
        std::this_thread::sleep_for(1ms);
    return condition();
}

class DiscoveryListenerTest : public ::testing::Test {
protected:
    DiscoveryListenerTest() { table.setSupportedModels(&kModels); }

    // Process ends are recorded instead of happening; the listener's end wakes the loop.
    DiscoveryListener::Environment environment(const Clock& clock, EventLoop* loop = nullptr)
    {
        DiscoveryListener::Environment result{clock, prompter, [this](int status) { exitStatus = status; }};
        if (loop != nullptr)
            result.finished = [loop] { loop->post([] {}); };
        return result;
    }

    // A whole run at scale 0.01 (10 s nominal: 100 ms); returns its real duration.
    SteadyClock::duration runDiscovery(DiscoveryListener::Environment env)
    {
        DiscoverySession session(table, loop, std::move(env));
        const auto started = SteadyClock::now();
        session.start();
        EXPECT_FALSE(session.finished());
        EXPECT_TRUE(loop.runUntil([&] { return session.finished(); }, 100000ms));
        EXPECT_EQ(session.sendCount(), 1);
        EXPECT_EQ(loop.runningTimerCount(), 0u);
        EXPECT_FALSE(table.stopRequested());
        return SteadyClock::now() - started;
    }

    SystemClock clock{0.01};
    EventLoop loop{clock};
    test::ScriptedPrompter prompter;
    DiscoveryTable table;
    std::atomic<int> exitStatus{-1};
};

TEST_F(DiscoveryListenerTest, ARunSendsTwoEnquiriesFiveSecondsApartAndStopsAfterTen)
{
    CameraResponder cameras({standardReply("08:00:46:00:00:02"), standardReply("08:00:46:00:00:03", "S", "2", "ZKA-QM999"),
                             test::cameraReply({{"ACK:", "x"}}), standardReply("08:00:46:00:00:04")});
    ASSERT_TRUE(cameras.ready());
    const auto elapsed = runDiscovery(environment(clock, &loop));

    const auto enquiries = cameras.enquiries();
    ASSERT_EQ(enquiries.size(), 2u);
    EXPECT_EQ(enquiries[0].second, kEnquiryBytes);
    EXPECT_EQ(enquiries[1].second, kEnquiryBytes);
    // 50 ms apart at this scale; the bounds are loose because the responder timestamps receipt on a
    // busy machine. The upper bounds only catch a run that does not end on its own.
    EXPECT_GE(enquiries[1].first - enquiries[0].first, 25ms);
    EXPECT_LT(enquiries[1].first - enquiries[0].first, 1000ms);
    EXPECT_GE(elapsed, 95ms);
    EXPECT_LT(elapsed, 600ms);
    // Both supported cameras answered twice; each holds one slot, in the order they answered.
    ASSERT_EQ(table.count(), 2);
    EXPECT_EQ(table.record(0).macText(), "08:00:46:00:00:02");
    EXPECT_EQ(table.record(1).macText(), "08:00:46:00:00:04");
    EXPECT_EQ(exitStatus, -1);
    EXPECT_EQ(prompter.count(), 0u);
}

TEST_F(DiscoveryListenerTest, WithoutCamerasDiscoveryFinishesEmptyAfterTenSeconds)
{
    const auto elapsed = runDiscovery(environment(clock, &loop));
    EXPECT_GE(elapsed, 95ms);
    EXPECT_LT(elapsed, 600ms);
    EXPECT_EQ(table.count(), 0);
    EXPECT_EQ(exitStatus, -1);
}

TEST_F(DiscoveryListenerTest, OversizedDatagramsAreDroppedAndTheListenerGoesOn)
{
    DiscoveryListener listener(environment(clock));
    listener.startDiscovery(table);
    ASSERT_TRUE(table.listenerRunning());
    CameraResponder camera;
    ASSERT_TRUE(camera.ready());
    // Valid replies padded to 2000 bytes, to one byte over the limit, and to exactly the limit.
    auto padded = [](Datagram datagram, std::size_t size) {
        datagram.resize(size, 'x');
        return datagram;
    };
    camera.sendTo(listener.localPort(), padded(standardReply("OVER-2000"), 2000));
    camera.sendTo(listener.localPort(), padded(standardReply("OVER-1073"), 1073));
    camera.sendTo(listener.localPort(), padded(standardReply("EXACT-1072"), 1072));
    camera.sendTo(listener.localPort(), standardReply("LATER"));
    ASSERT_TRUE(waitUntil([&] { return table.count() >= 2; }));
    EXPECT_EQ(table.record(0).macText(), "EXACT-1072");
    EXPECT_EQ(table.record(1).macText(), "LATER");
    EXPECT_TRUE(table.listenerRunning());
    EXPECT_EQ(exitStatus, -1);
    EXPECT_EQ(prompter.count(), 0u);
    listener.stop();
    EXPECT_FALSE(table.listenerRunning());
    EXPECT_FALSE(table.stopRequested());
}

TEST_F(DiscoveryListenerTest, CancelStopsTheListenerWithinMillisecondsAndLeavesNoThread)
{
    const SystemClock realTime{1.0};
    EventLoop realLoop(realTime);
    // A sanitizer's runtime starts a helper thread of its own along with the first thread of the
    // process: let that happen before counting.
    std::thread([] {}).join();
    const int threadsBefore = test::processThreadCount();
    {
        DiscoverySession session(table, realLoop, environment(realTime));
        session.start();
        EXPECT_EQ(test::settledThreadCount(threadsBefore + 1), threadsBefore + 1);
        realLoop.runUntil([] { return false; }, 50ms);
        ASSERT_FALSE(session.finished());

        const auto cancelled = SteadyClock::now();
        session.cancel();
        EXPECT_LT(SteadyClock::now() - cancelled, 400ms) << "a stop is due within one receive time-out";
        EXPECT_TRUE(session.finished());
        EXPECT_EQ(realLoop.runningTimerCount(), 0u);
        EXPECT_FALSE(table.stopRequested());
        EXPECT_EQ(test::settledThreadCount(threadsBefore), threadsBefore);
    }
    // Destroying a session whose listener still runs stops it the same way.
    {
        DiscoverySession session(table, realLoop, environment(realTime));
        session.start();
    }
    EXPECT_FALSE(table.listenerRunning());
    EXPECT_EQ(test::settledThreadCount(threadsBefore), threadsBefore);
}

TEST_F(DiscoveryListenerTest, AFailedEnquiryIsReportedAndDiscoveryGoesOn)
{
    // Port 0 is refused by the system before anything is sent.
    auto failing = environment(clock, &loop);
    failing.destinationAddress = "127.0.0.1";
    failing.destinationPort = 0;
    testing::internal::CaptureStdout();
    {
        DiscoveryListener listener(failing);
        listener.startDiscovery(table);
        EXPECT_EQ(listener.sendEnquiry(kDiscoveryEnquiry.data(), kDiscoveryEnquiry.size()), -1);
        // The socket stays open: replies still arrive and are stored.
        CameraResponder camera;
        camera.sendTo(listener.localPort(), standardReply("AFTER-FAILURE"));
        EXPECT_TRUE(waitUntil([&] { return table.count() == 1; }));
    }
    // A whole run with failing enquiries still lasts its 10 s and ends normally.
    EXPECT_GE(runDiscovery(failing), 95ms);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Error : sendto\nError : sendto\nError : sendto\n");
    EXPECT_EQ(exitStatus, -1);
    EXPECT_EQ(prompter.count(), 0u);
}

// System calls that fail on demand; everything else is the real call.
class FailingCalls final : public SocketCalls {
public:
    enum class Failure { None, Socket, ReceiveTimeoutOption, Bind, Receive, Close, Thread };
    explicit FailingCalls(Failure failure) : failure_(failure) {}

    int openSocket(int domain, int type, int protocol) override
    {
        return failure_ == Failure::Socket ? fail(EMFILE) : SocketCalls::openSocket(domain, type, protocol);
    }
    int setOption(int fd, int level, int name, const void* value, socklen_t length) override
    {
        if (failure_ == Failure::ReceiveTimeoutOption && name == SO_RCVTIMEO)
            return fail(ENOPROTOOPT);
        return SocketCalls::setOption(fd, level, name, value, length);
    }
    int bindTo(int fd, const sockaddr* address, socklen_t length) override
    {
        return failure_ == Failure::Bind ? fail(EADDRINUSE) : SocketCalls::bindTo(fd, address, length);
    }
    ssize_t receive(int fd, void* buffer, std::size_t length, int flags) override
    {
        return failure_ == Failure::Receive ? fail(ENOMEM) : SocketCalls::receive(fd, buffer, length, flags);
    }
    int closeSocket(int fd) override
    {
        const int result = SocketCalls::closeSocket(fd); // the descriptor is released all the same
        return failure_ == Failure::Close ? fail(EIO) : result;
    }
    std::jthread startThread(std::function<void(std::stop_token)> body) override
    {
        if (failure_ == Failure::Thread)
            throw std::system_error(std::make_error_code(std::errc::resource_unavailable_try_again));
        return SocketCalls::startThread(std::move(body));
    }

private:
    static int fail(int error)
    {
        errno = error;
        return -1;
    }
    Failure failure_;
};

TEST_F(DiscoveryListenerTest, SocketFailuresEndTheProcessWithTheirStatusAndLine)
{
    using Failure = FailingCalls::Failure;
    struct Case {
        Failure failure;
        int status;
        std::string lines;
        bool networkNg;
    };
    const std::vector<Case> cases{
        {Failure::Socket, 1, "Error : Create Socket\n", false},
        {Failure::ReceiveTimeoutOption, 2, "Error : Set Socket Option\n", false},
        {Failure::Bind, 3, "Error : Bind\n", false},
        {Failure::Receive, 4, "Error : recvfrom\n", true},
        {Failure::Close, 5, "Error : Close Socket\n", false},
    };
    for (const auto& item : cases) {
        FailingCalls calls(item.failure);
        auto env = environment(clock);
        env.calls = &calls;
        exitStatus = -1;
        prompter.clear();
        testing::internal::CaptureStdout();
        {
            DiscoveryListener listener(env);
            listener.startDiscovery(table);
            // A failed receive comes once the listener runs; a failed close once it stops, here.
            if (item.failure == Failure::Receive) {
                EXPECT_TRUE(waitUntil([&] { return exitStatus.load() == 4; }));
            }
        }
        EXPECT_EQ(testing::internal::GetCapturedStdout(), item.lines) << item.status;
        EXPECT_EQ(exitStatus.load(), item.status);
        EXPECT_FALSE(table.listenerRunning()) << item.status;
        const std::vector<Message> networkNg{{"Network NG", "Information", MessageIcon::Error, MessageButtons::Ok}};
        EXPECT_EQ(prompter.messages(), item.networkNg ? networkNg : std::vector<Message>{}) << item.status;
    }
}

TEST_F(DiscoveryListenerTest, NoListenerThreadMeansDiscoveryHasFinishedAndStopReturns)
{
    FailingCalls calls(FailingCalls::Failure::Thread);
    auto env = environment(clock);
    env.calls = &calls;
    testing::internal::CaptureStdout();
    {
        DiscoverySession session(table, loop, env);
        session.start();
        EXPECT_TRUE(session.finished());
        EXPECT_FALSE(table.listenerRunning());
        // Nothing is left to stop: cancelling (and the destructor after it) returns at once.
        const auto cancelled = SteadyClock::now();
        session.cancel();
        EXPECT_LT(SteadyClock::now() - cancelled, 100ms);
    }
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Error : Create Thread\nError : sendto\n");
    EXPECT_EQ(exitStatus.load(), -1);
    EXPECT_EQ(table.count(), 0);
}

} // namespace
} // namespace zka
