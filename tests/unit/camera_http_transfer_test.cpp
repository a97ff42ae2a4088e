// HttpTransfer against scripted servers on 127.0.0.1: the exact bytes it sends, how it reports each
// way a transfer can end, and how fast it notices a stop or a time-out.
#include "http/HttpTransfer.h"
#include "support/RawHttpServer.h"

#include <gtest/gtest.h>

#include <httplib.h>

#include <condition_variable>
#include <future>
#include <mutex>
#include <new>
#include <optional>
#include <thread>

namespace zka {
namespace {

using namespace std::chrono_literals;
using test::RawHttpServer;

const char* const kOkAnswer = "HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\nok";

void answerOk(RawHttpServer::Connection& c)
{
    c.readRequest();
    c.send(kOkAnswer);
}

CameraEndpoint endpointOf(const RawHttpServer& server)
{
    return splitAddress(server.address());
}

std::chrono::milliseconds realSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
}

TEST(HttpTransferAddress, SplitsAddressTextAndReadsThePort)
{
    EXPECT_EQ(splitAddress("192.168.0.10").host, "192.168.0.10");
    EXPECT_EQ(splitAddress("192.168.0.10").port, "80");
    EXPECT_EQ(portNumber(splitAddress("192.168.0.10")), 80);
    const auto custom = splitAddress("192.168.0.10:8080");
    EXPECT_EQ(custom.host, "192.168.0.10");
    EXPECT_EQ(custom.port, "8080");
    EXPECT_EQ(portNumber(custom), 8080);
    // Only the first ':' splits; the port is the decimal value of at most ten characters.
    EXPECT_EQ(splitAddress("10.0.0.1:81:82").port, "81:82");
    EXPECT_EQ(portNumber(splitAddress("10.0.0.1:81:82")), 81);
    EXPECT_EQ(portNumber(splitAddress("10.0.0.1:0000000080123")), 80);
    EXPECT_EQ(portNumber(splitAddress("10.0.0.1:")), 80);
    EXPECT_EQ(portNumber(splitAddress("10.0.0.1:http")), 0);
}

TEST(HttpTransferWire, SendsExactlyTheRequestHeadersInOrder)
{
    RawHttpServer server(answerOk);
    SystemClock clock;
    const std::string host = "Host: 127.0.0.1:" + std::to_string(server.port()) + "\r\n";

    {
        HttpTransfer t(clock, endpointOf(server), "POST", "/command/inquiry.cgi");
        t.addHeader("Authorization: Basic YWRtaW46YWRtaW4=");
        t.setBody("inq=system");
        std::string answer;
        t.onBody([&](const char* d, std::size_t n) { answer.append(d, n); return true; });
        ASSERT_EQ(t.perform(), TransferStatus::Completed);
        EXPECT_EQ(answer, "ok");
    }
    {
        // The caller's Accept, Content-Type and Content-Length replace curl's; none appears twice.
        HttpTransfer t(clock, endpointOf(server), "POST", "/command/versionup.cgi");
        t.setAccept("image/gif, */*");
        t.addHeader("Content-Type: multipart/form-data; boundary=B");
        t.addHeader("Connection: Keep-Alive");
        t.addHeader("Content-Length: 5");
        t.addHeader("Authorization: Basic eDp5\r\nX-Injected: 1");
        t.setBody("hello");
        ASSERT_EQ(t.perform(), TransferStatus::Completed);
    }
    {
        HttpTransfer t(clock, endpointOf(server), "GET", "/home/l4/zka-qm410.cfg");
        t.addHeader("Authorization: Basic eDp5");
        ASSERT_EQ(t.perform(), TransferStatus::Completed);
    }
    const auto requests = server.requests();
    ASSERT_EQ(requests.size(), 3u);
    EXPECT_EQ(requests[0], "POST /command/inquiry.cgi HTTP/1.1\r\n" + host
                               + "User-Agent: ZKA Upgrade Tool\r\n"
                                 "Authorization: Basic YWRtaW46YWRtaW4=\r\n"
                                 "Content-Length: 10\r\n\r\ninq=system");
    EXPECT_EQ(requests[1], "POST /command/versionup.cgi HTTP/1.1\r\n" + host
                               + "User-Agent: ZKA Upgrade Tool\r\n"
                                 "Accept: image/gif, */*\r\n"
                                 "Content-Type: multipart/form-data; boundary=B\r\n"
                                 "Connection: Keep-Alive\r\n"
                                 "Content-Length: 5\r\n"
                                 "Authorization: Basic eDp5\r\n\r\nhello");
    EXPECT_EQ(requests[2], "GET /home/l4/zka-qm410.cfg HTTP/1.1\r\n" + host
                               + "User-Agent: ZKA Upgrade Tool\r\n"
                                 "Authorization: Basic eDp5\r\n\r\n");
}

TEST(HttpTransferWire, RefusesHostTextsThatAreNotPlainAddresses)
{
    RawHttpServer server(answerOk);
    SystemClock clock;
    for (const std::string host : {"127.0.0.1/x", "user@127.0.0.1", "127.0.0.1?", ""}) {
        HttpTransfer t(clock, {host, std::to_string(server.port())}, "POST", "/");
        EXPECT_EQ(t.perform(), TransferStatus::ConnectFailed) << host;
    }
    for (const std::string port : {"0", "65536", "x"}) {
        HttpTransfer t(clock, {"127.0.0.1", port}, "POST", "/");
        EXPECT_EQ(t.perform(), TransferStatus::ConnectFailed) << port;
    }
    EXPECT_EQ(server.connections(), 0);
}

TEST(HttpTransferStream, StreamsTheBodyInBoundedChunksAndReportsEachStage)
{
    httplib::Server http;
    std::string received;
    std::string contentLength;
    bool extraHeaders = true;
    http.Post("/up", [&](const httplib::Request& request, httplib::Response& response) {
        received = request.body;
        contentLength = request.get_header_value("Content-Length");
        // Past 1 MB curl would ask for "100-continue" unless told not to.
        extraHeaders = request.has_header("Expect") || request.has_header("Content-Type") || request.has_header("Accept");
        response.set_content("done", "text/plain");
    });
    const int port = http.bind_to_any_port("127.0.0.1");
    std::thread serving([&] { http.listen_after_bind(); });

    SystemClock clock;
    std::string payload(1'500'000, '\0');
    for (std::size_t i = 0; i < payload.size(); ++i)
        payload[i] = static_cast<char>('a' + i % 26);
    std::size_t offset = 0;
    std::size_t largest = 0;
    std::vector<std::string> events;
    HttpTransfer t(clock, {"127.0.0.1", std::to_string(port)}, "POST", "/up");
    t.setBodySource(payload.size(), 1460, [&](char* buffer, std::size_t capacity) {
        largest = std::max(largest, capacity);
        const std::size_t n = std::min(capacity, payload.size() - offset);
        std::copy_n(payload.data() + offset, n, buffer);
        offset += n;
        return n;
    });
    t.onRequestSent([&] { events.push_back("sent " + std::to_string(offset)); return true; });
    t.onHeader([&](std::string_view line) { if (events.empty() || events.back() != "header") events.push_back("header"); (void)line; });
    t.onHeadersComplete([&] { events.push_back("complete"); return true; });
    std::string answer;
    t.onBody([&](const char* d, std::size_t n) { answer.append(d, n); return true; });
    const auto status = t.perform();
    http.stop();
    serving.join();

    EXPECT_EQ(status, TransferStatus::Completed);
    EXPECT_LE(largest, 1460u);
    EXPECT_EQ(received, payload);
    EXPECT_EQ(contentLength, "1500000");
    EXPECT_FALSE(extraHeaders);
    EXPECT_EQ(answer, "done");
    EXPECT_EQ(events, (std::vector<std::string>{"sent 1500000", "header", "complete"}));
}

TEST(HttpTransferStream, HandlersEndTheTransferAsCompleted)
{
    RawHttpServer server([](RawHttpServer::Connection& c) {
        c.readRequest();
        c.send("HTTP/1.1 200 OK\r\nContent-Length: 100000\r\n\r\n");
        c.send(std::string(50'000, 'x'));
        c.hold(); // the rest never comes: only ending the transfer ourselves finishes it
    });
    SystemClock clock;
    {
        HttpTransfer t(clock, endpointOf(server), "POST", "/");
        std::size_t got = 0;
        int callsAfterRefusal = 0;
        bool refused = false;
        t.onBody([&](const char*, std::size_t n) {
            callsAfterRefusal += refused ? 1 : 0;
            got += n;
            refused = got >= 1000;
            return !refused;
        });
        EXPECT_EQ(t.perform({}, 5000ms), TransferStatus::Completed);
        EXPECT_GE(got, 1000u);
        EXPECT_EQ(callsAfterRefusal, 0);
    }
    {
        HttpTransfer t(clock, endpointOf(server), "POST", "/");
        bool bodySeen = false;
        t.onHeadersComplete([] { return false; });
        t.onBody([&](const char*, std::size_t) { bodySeen = true; return true; });
        EXPECT_EQ(t.perform({}, 5000ms), TransferStatus::Completed);
        EXPECT_FALSE(bodySeen);
    }
}

TEST(HttpTransferStream, AHandlerThatThrowsEndsTheTransferAsAFailure)
{
    RawHttpServer server(answerOk);
    SystemClock clock;
    HttpTransfer t(clock, endpointOf(server), "POST", "/");
    t.setBody("inq=system");
    int calls = 0;
    t.onBody([&](const char*, std::size_t) -> bool {
        ++calls;
        throw std::bad_alloc();
    });
    EXPECT_EQ(t.perform({}, 5000ms), TransferStatus::ReceiveFailed);
    EXPECT_EQ(calls, 1);
}

TEST(HttpTransferStream, InterimAnswersAreNotTheHeaders)
{
    RawHttpServer server([](RawHttpServer::Connection& c) {
        c.readRequest();
        c.send("HTTP/1.1 100 Continue\r\n\r\nHTTP/1.1 401 Unauthorized\r\nWWW-Authenticate: Basic realm=\"cam\"\r\n"
               "Content-Length: 4\r\n\r\nnope");
    });
    SystemClock clock;
    HttpTransfer t(clock, endpointOf(server), "POST", "/");
    t.setBody("inq=user");
    std::vector<std::string> lines;
    int completions = 0;
    t.onHeader([&](std::string_view line) { lines.emplace_back(line); });
    t.onHeadersComplete([&] { ++completions; return true; });
    EXPECT_EQ(t.perform({}, 5000ms), TransferStatus::Completed);
    EXPECT_EQ(completions, 1);
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[0], "HTTP/1.1 401 Unauthorized\r\n");
    EXPECT_EQ(lines[1], "WWW-Authenticate: Basic realm=\"cam\"\r\n");
    EXPECT_EQ(lines[3], "\r\n");
}

TEST(HttpTransferFailure, ReportsWhereTheExchangeBroke)
{
    SystemClock clock;
    {
        HttpTransfer t(clock, {"127.0.0.1", std::to_string(RawHttpServer::unusedPort())}, "POST", "/");
        t.setBody("inq=system");
        EXPECT_EQ(t.perform({}, 5000ms), TransferStatus::ConnectFailed);
    }
    {
        // The camera takes the request and hangs up without a word.
        RawHttpServer server([](RawHttpServer::Connection& c) { c.readRequest(); });
        HttpTransfer t(clock, endpointOf(server), "POST", "/");
        t.setBody("inq=system");
        EXPECT_EQ(t.perform({}, 5000ms), TransferStatus::ReceiveFailed);
    }
    {
        // Part of the answer, then the connection drops.
        RawHttpServer server([](RawHttpServer::Connection& c) {
            c.readRequest();
            c.send("HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\nModelName=ZKA");
        });
        HttpTransfer t(clock, endpointOf(server), "POST", "/");
        t.setBody("inq=system");
        std::string got;
        t.onBody([&](const char* d, std::size_t n) { got.append(d, n); return true; });
        EXPECT_EQ(t.perform({}, 5000ms), TransferStatus::ReceiveFailed);
        EXPECT_EQ(got, "ModelName=ZKA");
    }
    {
        // The connection is reset while a large body is still going out.
        RawHttpServer server([](RawHttpServer::Connection& c) {
            c.readAtMost(10'000);
            c.reset();
        });
        HttpTransfer t(clock, endpointOf(server), "POST", "/");
        const std::uint64_t length = 20'000'000;
        std::uint64_t given = 0;
        bool sent = false;
        t.setBodySource(length, 1460, [&](char* buffer, std::size_t capacity) {
            std::fill_n(buffer, capacity, 'x');
            given += capacity;
            return capacity;
        });
        t.onRequestSent([&] { sent = true; return true; });
        EXPECT_EQ(t.perform({}, 20000ms), TransferStatus::SendFailed);
        EXPECT_FALSE(sent);
        EXPECT_LT(given, length);
    }
}

TEST(HttpTransferTiming, StopRequestEndsASilentTransferAtOnce)
{
    RawHttpServer server([](RawHttpServer::Connection& c) {
        c.readRequest();
        c.hold();
    });
    SystemClock clock;
    HttpTransfer t(clock, endpointOf(server), "POST", "/");
    t.setBody("inq=system");
    std::stop_source stop;
    std::promise<bool> sent;
    t.onRequestSent([&] { sent.set_value(true); return true; });
    auto result = std::async(std::launch::async, [&] { return t.perform(stop.get_token()); });
    ASSERT_EQ(sent.get_future().wait_for(5s), std::future_status::ready);
    std::this_thread::sleep_for(50ms);
    const auto stopAt = std::chrono::steady_clock::now();
    stop.request_stop();
    ASSERT_EQ(result.wait_for(5s), std::future_status::ready);
    const auto took = realSince(stopAt);
    EXPECT_EQ(result.get(), TransferStatus::Stopped);
    // An idle curl transfer left to itself notices a stop only at its next progress call, about a
    // second later; the bound is loose for sanitizer builds on a busy machine.
    EXPECT_LT(took, 400ms);
}

// A time-out measured in real time must be its nominal length within a quarter.
void expectLasts(std::chrono::milliseconds took, std::chrono::milliseconds expected)
{
    EXPECT_GE(took, expected * 3 / 4);
    EXPECT_LE(took, expected * 5 / 4);
}

// An inquiry to a server that never answers, with a receive time-out, an overall one or both:
// checks how it ends and how much real time that took.
void expectSilenceEnds(const Clock& clock, const RawHttpServer& server, std::optional<Clock::Duration> receive,
                       std::optional<Clock::Duration> overall, TransferStatus status, std::chrono::milliseconds real)
{
    HttpTransfer t(clock, endpointOf(server), "POST", "/");
    t.setBody("inq=system");
    if (receive)
        t.setReceiveTimeout(*receive);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(t.perform({}, overall), status);
    expectLasts(realSince(start), real);
}

TEST(HttpTransferTiming, TimeOutsAreNominalNoticedPromptlyAndNeverUnderASecond)
{
    RawHttpServer server([](RawHttpServer::Connection& c) {
        c.readRequest();
        c.hold();
    });
    // At 0.4 each limit is above a second of real time, so what is measured is the limit itself:
    // 4000 ms nominal of silence after the request, or from the call, last 1600 ms.
    const SystemClock measured(0.4);
    expectSilenceEnds(measured, server, 4000ms, std::nullopt, TransferStatus::ReceiveTimedOut, 1600ms);
    expectSilenceEnds(measured, server, std::nullopt, 4000ms, TransferStatus::Stopped, 1600ms);
    const SystemClock fast(0.01);
    {
        // Limited to the response headers, silence after them is no failure: the overall limit
        // (150000 ms, 1500 ms real) ends the transfer, not the receive time-out.
        RawHttpServer headersOnly([](RawHttpServer::Connection& c) {
            c.readRequest();
            c.send("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n");
            c.hold();
        });
        HttpTransfer t(fast, endpointOf(headersOnly), "POST", "/");
        t.setBody("inq=system");
        t.setReceiveTimeout(3000ms, HttpTransfer::ReceiveScope::UntilHeaders);
        EXPECT_EQ(t.perform({}, 150000ms), TransferStatus::Stopped);
        // Before its headers it is.
        HttpTransfer silent(fast, endpointOf(server), "POST", "/");
        silent.setBody("inq=system");
        silent.setReceiveTimeout(3000ms, HttpTransfer::ReceiveScope::UntilHeaders);
        EXPECT_EQ(silent.perform({}, 150000ms), TransferStatus::ReceiveTimedOut);
    }
    // At 0.01 each of these limits would be 30 ms: a moment of load on the machine, not a camera
    // that failed. Each lasts a second of real time instead.
    expectSilenceEnds(fast, server, 3000ms, std::nullopt, TransferStatus::ReceiveTimedOut, 1000ms);
    expectSilenceEnds(fast, server, std::nullopt, 3000ms, TransferStatus::Stopped, 1000ms);
    {
        // A peer that stops reading: no byte going out for the send time-out is a send failure.
        RawHttpServer deaf([](RawHttpServer::Connection& c) {
            c.readAtMost(1000);
            std::mutex mutex;
            std::condition_variable_any never;
            std::unique_lock lock(mutex);
            never.wait(lock, c.stopToken(), [] { return false; });
        });
        HttpTransfer t(fast, endpointOf(deaf), "POST", "/");
        t.setBodySource(200'000'000, 65536, [](char* buffer, std::size_t capacity) {
            std::fill_n(buffer, capacity, 'x');
            return capacity;
        });
        t.setSendTimeout(3000ms);
        const auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(t.perform({}, 2000000ms), TransferStatus::SendFailed);
        EXPECT_GE(realSince(start), 1000ms);
    }
}

} // namespace
} // namespace zka
