// Inquiries through a CameraClient against scripted servers on 127.0.0.1, for what the simulated
// cameras do not do: answers that break off or lie about their status, and every way of giving up on
// a query, which must hand control back at once and join its thread.
#include "camera/CameraClient.h"
#include "camera/CameraIdentity.h"
#include "http/QueryRequest.h"
#include "camera_http_host.h"
#include "support/RawHttpServer.h"

#include <gtest/gtest.h>

#include <functional>
#include <future>

namespace zka {
namespace {

using namespace std::chrono_literals;
using test::CameraTestHost;
using test::RawHttpServer;

const char* const kCredential = "YWRtaW46YWRtaW4=";
const char* const kSystemReply = "ModelName=ZKA-QM410&Serial=S1&SoftVersion=2.30&DocType=";

std::string okAnswer(const std::string& body)
{
    return "HTTP/1.1 200 OK\r\nContent-Type: text/plain\r\nContent-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
}

std::chrono::milliseconds realSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
}

// Scheduling noise allowed on a shared machine on top of what is measured.
constexpr auto kSlack = 400ms; // loose: sanitizer builds on a busy machine

bool waitUntil(const std::function<bool()>& done)
{
    const auto deadline = std::chrono::steady_clock::now() + 5s;
    while (!done() && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(1ms);
    return done();
}

void silent(RawHttpServer::Connection& c)
{
    c.readRequest();
    c.hold();
}

class QueryTest : public ::testing::Test {
protected:
    std::unique_ptr<CameraClient> clientFor(const std::string& address)
    {
        return std::make_unique<CameraClient>(env.clock, address, kCredential);
    }

    CameraTestHost env{0.01};
};

TEST_F(QueryTest, RefusedLoginReadsAs401WhateverTheBody)
{
    RawHttpServer server([](RawHttpServer::Connection& c) {
        c.readRequest();
        c.send("HTTP/1.1 200 OK\r\nwww-authenticate: Basic realm=\"cam\"\r\nContent-Length: 25\r\n\r\nModelName=ZKA-QM410&X=123");
    });
    auto client = clientFor(server.address());
    EXPECT_EQ(client->query("inq=user", 20000ms).text, "401 Unauthorized");
}

TEST_F(QueryTest, BrokenReplyKeepsWhatCame)
{
    RawHttpServer broken([](RawHttpServer::Connection& c) {
        c.readRequest();
        c.send("HTTP/1.1 200 OK\r\nContent-Length: 500\r\n\r\nModelName=ZKA-QM410&Soft");
    });
    QueryRequest request = makeQueryRequest(broken.address(), kCredential, "inq=system");
    queryThread(request, env.clock, std::stop_token{});
    EXPECT_EQ(request.result, QueryFailed);
    EXPECT_EQ(request.reply, "ModelName=ZKA-QM410&Soft");
}

TEST_F(QueryTest, UnreachableCameraGivesAnEmptyReplyAtOnce)
{
    auto client = clientFor("127.0.0.1:" + std::to_string(RawHttpServer::unusedPort()));
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(client->query("inq=system", 6000000ms).text, "");
    EXPECT_LT(realSince(start), 1000ms);

    QueryRequest request = makeQueryRequest("127.0.0.1:" + std::to_string(RawHttpServer::unusedPort()), kCredential, "inq=system");
    queryThread(request, env.clock, std::stop_token{});
    EXPECT_EQ(request.result, QueryFailed);
    request = makeQueryRequest("127.0.0.1:99999", kCredential, "inq=system");
    queryThread(request, env.clock, std::stop_token{});
    EXPECT_EQ(request.result, QueryNotOpened);
}

TEST_F(QueryTest, StopsEndASynchronousQueryEarly)
{
    RawHttpServer server(silent);
    auto client = clientFor(server.address());
    {
        std::stop_source caller;
        auto reply = std::async(std::launch::async, [&] { return client->query("inq=system", 6000000ms, caller.get_token()).text; });
        ASSERT_TRUE(waitUntil([&] { return server.requests().size() == 1; }));
        caller.request_stop();
        ASSERT_EQ(reply.wait_for(kSlack), std::future_status::ready);
        EXPECT_EQ(reply.get(), "");
    }
    {
        auto reply = std::async(std::launch::async, [&] { return client->query("inq=system", 6000000ms).text; });
        ASSERT_TRUE(waitUntil([&] { return server.requests().size() == 2; }));
        const auto start = std::chrono::steady_clock::now();
        client->abandonQueries();
        EXPECT_LT(realSince(start), kSlack);
        ASSERT_EQ(reply.wait_for(kSlack), std::future_status::ready);
        EXPECT_EQ(reply.get(), "");
    }
}

TEST_F(QueryTest, PolledQueryIsReportedOnlyWhenFinished)
{
    std::promise<void> release;
    auto released = release.get_future().share();
    RawHttpServer server([released](RawHttpServer::Connection& c) {
        c.readRequest();
        released.wait_for(5s);
        c.send(okAnswer("MacAddress=08:00:46:00:00:02"));
    });
    auto client = clientFor(server.address());
    EXPECT_FALSE(client->queryStarted());
    EXPECT_FALSE(client->queryFinished());
    const auto before = env.clock.now();
    client->startQuery("inq=network");
    EXPECT_TRUE(client->queryStarted());
    EXPECT_GE(client->queryStartTime(), before);
    EXPECT_LE(client->queryStartTime(), env.clock.now());
    std::this_thread::sleep_for(30ms);
    EXPECT_FALSE(client->queryFinished());
    EXPECT_EQ(client->polledReply().text, "");
    release.set_value();
    ASSERT_TRUE(waitUntil([&] { return client->queryFinished(); }));
    const std::string mac = CameraIdentity::fromSystemReply(client->polledReply().text, {}).mac;
    EXPECT_FALSE(mac.empty());
    EXPECT_EQ(mac, "08-00-46-00-00-02");
    ASSERT_EQ(server.requests().size(), 1u);
    EXPECT_NE(server.requests()[0].find("\r\n\r\ninq=network"), std::string::npos);
}

TEST_F(QueryTest, RestartingAPolledQueryStopsTheOneStillRunning)
{
    std::atomic<int> served{0};
    RawHttpServer server([&](RawHttpServer::Connection& c) {
        c.readRequest();
        if (served++ == 0)
            c.hold(); // the first query never gets an answer
        else
            c.send(okAnswer(kSystemReply));
    });
    auto client = clientFor(server.address());
    client->startQuery("inq=system");
    ASSERT_TRUE(waitUntil([&] { return server.requests().size() == 1; }));
    const auto start = std::chrono::steady_clock::now();
    client->startQuery("inq=system");
    EXPECT_LT(realSince(start), kSlack);
    ASSERT_TRUE(waitUntil([&] { return client->queryFinished(); }));
    EXPECT_EQ(client->polledReply().text, kSystemReply);
}

TEST_F(QueryTest, DestroyingAClientWithQueriesInFlightIsQuick)
{
    // Connections are served one after the other: each held one ends when its client leaves.
    RawHttpServer polled(silent);
    RawHttpServer synchronous(silent);
    auto client = clientFor(polled.address());
    client->startQuery("inq=network");
    auto other = clientFor(synchronous.address());
    auto syncReply = std::async(std::launch::async, [&] { return other->query("inq=system", 6000000ms).text; });
    ASSERT_TRUE(waitUntil([&] { return polled.requests().size() == 1 && synchronous.requests().size() == 1; }));

    // A polled query is cut off by the destructor.
    auto start = std::chrono::steady_clock::now();
    client.reset();
    EXPECT_LT(realSince(start), kSlack);

    // A synchronous caller must have returned before its client goes: abandon, then destroy.
    start = std::chrono::steady_clock::now();
    other->abandonQueries();
    EXPECT_EQ(syncReply.get(), "");
    other.reset();
    EXPECT_LT(realSince(start), kSlack);
}

} // namespace
} // namespace zka
