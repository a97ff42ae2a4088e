// The simulated fleet on real sockets (in the sandbox): discovery datagrams, authorization, the
// inquiries, the firmware upload with its streamed answer and the reboot, the configuration download
// and restore, and a prompt stop while answers are still pending.
#include "camsim/Base64.h"
#include "camsim/Fleet.h"
#include "camsim_support.h"

#include <arpa/inet.h>
#include <curl/curl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <map>
#include <mutex>
#include <set>
#include <thread>

namespace zka::camsim {
namespace {

using namespace std::chrono_literals;

constexpr double kScale = 0.01;
const std::string kAdmin = "YWRtaW46YWRtaW4="; // admin:admin

struct Reply {
    CURLcode code = CURLE_OK;
    long status = 0;
    std::string headers;
    std::string body;
};

// One HTTP exchange with libcurl, headers sent exactly in the given order.
Reply exchange(const std::string& url, const std::vector<std::pair<std::string, std::string>>& headers,
               const std::string* body, long timeoutMs = 5000, std::atomic<bool>* sawEnd = nullptr,
               std::string* live = nullptr, std::mutex* liveMutex = nullptr)
{
    struct Sink {
        Reply* reply;
        std::string* live;
        std::mutex* mutex;
    };
    Reply reply;
    Sink sink{&reply, live, liveMutex};
    CURL* curl = curl_easy_init();
    curl_slist* list = nullptr;
    for (const auto& [name, value] : headers)
        list = curl_slist_append(list, (name + ": " + value).c_str());
    list = curl_slist_append(list, "Expect:");
    curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl, CURLOPT_USERAGENT, "ZKA Upgrade Tool");
    curl_easy_setopt(curl, CURLOPT_HTTPHEADER, list);
    curl_easy_setopt(curl, CURLOPT_TIMEOUT_MS, timeoutMs);
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    if (body != nullptr) {
        curl_easy_setopt(curl, CURLOPT_POSTFIELDS, body->data());
        curl_easy_setopt(curl, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(body->size()));
    }
    curl_easy_setopt(curl, CURLOPT_HEADERDATA, &reply.headers);
    curl_easy_setopt(curl, CURLOPT_HEADERFUNCTION, +[](char* data, size_t, size_t n, void* out) {
        static_cast<std::string*>(out)->append(data, n);
        return n;
    });
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &sink);
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, +[](char* data, size_t, size_t n, void* out) {
        auto* s = static_cast<Sink*>(out);
        s->reply->body.append(data, n);
        if (s->live != nullptr) {
            std::lock_guard lock(*s->mutex);
            s->live->append(data, n);
        }
        return n;
    });
    reply.code = curl_easy_perform(curl);
    curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &reply.status);
    curl_slist_free_all(list);
    curl_easy_cleanup(curl);
    (void)sawEnd;
    return reply;
}

Reply inquire(const std::string& address, const std::string& body, const std::string& credential = kAdmin,
              long timeoutMs = 5000)
{
    return exchange("http://" + address + "/command/inquiry.cgi", {{"Authorization", "Basic " + credential}}, &body,
                    timeoutMs);
}

Reply upload(const std::string& address, const std::string& path, const test::Upload& upload, long timeoutMs = 10000)
{
    return exchange("http://" + address + path, upload.headers, &upload.body, timeoutMs);
}

const std::string& package()
{
    static const std::string bytes = test::firmwarePackage({{"kernel.img", std::string(5000, 'k')}, {"fs.img", "fs"}});
    return bytes;
}

test::Upload firmware(const std::string& credential = kAdmin)
{
    return test::multipartUpload("setting_file", "upgrade.bin", package(), credential);
}

// Waits (in real time) until check() holds; false after the limit.
template <class Check>
bool eventually(Check check, std::chrono::milliseconds limit = 5000ms)
{
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!check()) {
        if (std::chrono::steady_clock::now() > end)
            return false;
        std::this_thread::sleep_for(5ms);
    }
    return true;
}

CameraSpec camera(const std::string& address)
{
    return defaultFleet(1, address).front();
}

class FleetTest : public ::testing::Test {
protected:
    void run(std::vector<CameraSpec> cameras)
    {
        fleet = std::make_unique<Fleet>(std::move(cameras), kScale);
        std::string error;
        ASSERT_TRUE(fleet->start(error)) << error;
    }
    std::unique_ptr<Fleet> fleet;
};

// Sends the enquiry (or other bytes) from a socket of its own; returns (source, datagram) pairs.
std::vector<std::pair<std::string, std::string>> enquire(const std::string& to, const std::string& bytes,
                                                         std::size_t expected, std::chrono::milliseconds limit = 2000ms)
{
    const int s = ::socket(AF_INET, SOCK_DGRAM, 0);
    int on = 1;
    ::setsockopt(s, SOL_SOCKET, SO_BROADCAST, &on, sizeof on);
    int size = 1 << 20;
    ::setsockopt(s, SOL_SOCKET, SO_RCVBUF, &size, sizeof size);
    sockaddr_in target{};
    target.sin_family = AF_INET;
    target.sin_port = htons(2380);
    ::inet_pton(AF_INET, to.c_str(), &target.sin_addr);
    ::sendto(s, bytes.data(), bytes.size(), 0, reinterpret_cast<sockaddr*>(&target), sizeof target);
    std::vector<std::pair<std::string, std::string>> got;
    const auto end = std::chrono::steady_clock::now() + limit;
    while (got.size() < expected && std::chrono::steady_clock::now() < end) {
        pollfd fd{s, POLLIN, 0};
        if (::poll(&fd, 1, 20) <= 0)
            continue;
        char buffer[4096];
        sockaddr_in from{};
        socklen_t length = sizeof from;
        const ssize_t n = ::recvfrom(s, buffer, sizeof buffer, 0, reinterpret_cast<sockaddr*>(&from), &length);
        char text[INET_ADDRSTRLEN];
        ::inet_ntop(AF_INET, &from.sin_addr, text, sizeof text);
        got.emplace_back(std::string(text) + ":" + std::to_string(ntohs(from.sin_port)),
                         std::string(buffer, static_cast<std::size_t>(n)));
    }
    ::close(s);
    return got;
}

const std::string kEnquiry("\x02" "ENQ:allinfo" "\xFF\x03", 14);

TEST_F(FleetTest, DiscoveryRepliesComeFromEachCamerasOwnAddress)
{
    auto plain = camera("127.0.0.2");
    auto twin = camera("127.0.0.3");
    twin.reportedAddress = "127.0.0.2"; // a duplicate address
    auto odd = camera("127.0.0.4");
    odd.oversizedDatagram = true;
    odd.ackNak = true;
    odd.discoveryRepeats = 2;
    auto mute = camera("127.0.0.5");
    mute.answersDiscovery = false;
    run({plain, twin, odd, mute});

    EXPECT_TRUE(enquire("255.255.255.255", kEnquiry + "x", 1, 200ms).empty());
    EXPECT_EQ(fleet->enquiriesReceived(), 0);

    auto got = enquire("255.255.255.255", kEnquiry, 6);
    EXPECT_EQ(fleet->enquiriesReceived(), 1);
    std::multimap<std::string, std::string> bySource(got.begin(), got.end());
    ASSERT_EQ(bySource.size(), 6u);
    EXPECT_EQ(bySource.find("127.0.0.2:2380")->second,
              std::string("\x02MODEL:ZKA-QM410\xFFSERIAL:S0000002\xFFMAC:08:00:46:00:00:02\xFF"
                          "DHCP:OFF\xFF" "DNSAUTO:OFF\xFFIPADR:127.0.0.2\xFFWEBPORT:80\xFFSOFTVERSION:2.30\xFF\x03"));
    EXPECT_NE(bySource.find("127.0.0.3:2380")->second.find("IPADR:127.0.0.2\xFF"), std::string::npos);
    EXPECT_EQ(bySource.count("127.0.0.4:2380"), 4u);
    EXPECT_EQ(bySource.count("127.0.0.5:2380"), 0u);
    EXPECT_EQ(bySource.find("127.0.0.4:2380")->second.size(), 1500u);

    // An enquiry sent to one camera's address is answered by that camera alone.
    got = enquire("127.0.0.3", kEnquiry, 2, 300ms);
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0].first, "127.0.0.3:2380");
}

TEST_F(FleetTest, MoreThan256CamerasAnswerDiscoveryAndHttp)
{
    run(defaultFleet(300));
    const auto got = enquire("255.255.255.255", kEnquiry, 300, 5000ms);
    std::set<std::string> sources;
    for (const auto& [source, bytes] : got)
        sources.insert(source);
    EXPECT_EQ(sources.size(), 300u);
    EXPECT_EQ(sources.count("127.0.1.47:2380"), 1u);
    const Reply last = inquire("127.0.1.47", "inq=system");
    EXPECT_EQ(last.status, 200);
    EXPECT_EQ(last.body.rfind("ModelName=ZKA-QM410&Serial=S0000303&SoftVersion=2.30&DocType=&", 0), 0u);
}

TEST_F(FleetTest, InquiriesAnswerValidLoginsAndRefuseOthers)
{
    auto main = camera("127.0.0.2");
    main.adminUser = "root";
    main.adminPassword = "pw";
    main.userName = "viewer";
    main.userPassword = "look";
    main.panTilt = true;
    main.docType = "B";
    auto emergency = camera("127.0.0.3");
    emergency.softVersion = "emergency";
    emergency.oversizedInquiry = true;
    run({main, emergency});

    const std::string root = Base64::encode("root:pw");
    const Reply refused = inquire("127.0.0.2", "inq=system", kAdmin);
    EXPECT_EQ(refused.status, 401);
    EXPECT_NE(refused.headers.find("WWW-Authenticate: Basic realm=\"ZKA\"\r\n"), std::string::npos);
    EXPECT_NE(refused.body.find("<HTML>"), std::string::npos);

    EXPECT_EQ(inquire("127.0.0.2", "inq=system", root).body.rfind(
                  "ModelName=ZKA-QM410&Serial=S0000002&SoftVersion=2.30&DocType=B&PanTiltFunc=1", 0),
              0u);
    // The administrator's credential, for the administrator and for any other valid login alike.
    ASSERT_EQ(root, "cm9vdDpwdw==");
    const std::string expected = "Administrator=cm9vdDpwdw%3D%3D&";
    EXPECT_EQ(inquire("127.0.0.2", "inq=user", root).body.rfind(expected, 0), 0u);
    EXPECT_EQ(inquire("127.0.0.2", "inq=user", Base64::encode("viewer:look")).body.rfind(expected, 0), 0u);
    EXPECT_EQ(inquire("127.0.0.2", "inq=network", root).body.rfind("MacAddress=08:00:46:00:00:02&", 0), 0u);
    EXPECT_EQ(inquire("127.0.0.2", "inq=nothing", root).status, 400);

    const Reply big = inquire("127.0.0.3", "inq=system");
    EXPECT_GT(big.body.size(), 5120u);
    EXPECT_EQ(big.body.rfind("ModelName=ZKA-QM410&Serial=S0000003&SoftVersion=emergency&", 0), 0u);

    const auto recorded = fleet->requests("127.0.0.2");
    ASSERT_EQ(recorded.size(), 6u);
    EXPECT_FALSE(recorded[0].authorized);
    EXPECT_TRUE(recorded[1].authorized);
    EXPECT_TRUE(recorded[3].authorized);
    EXPECT_EQ(recorded[1].method, "POST");
    EXPECT_EQ(recorded[1].path, "/command/inquiry.cgi");
    EXPECT_EQ(recorded[1].body, "inq=system");
    ASSERT_GE(recorded[1].headers.size(), 3u);
    EXPECT_EQ(recorded[1].headers[0].first, "Host");
    EXPECT_EQ(recorded[1].headers[1], std::make_pair(std::string("User-Agent"), std::string("ZKA Upgrade Tool")));
}

TEST_F(FleetTest, AnOpenSystemInquiryAndAnAddressThatIsNoCamera)
{
    auto open = camera("127.0.0.2");
    open.systemInquiryOpen = true;
    auto other = camera("127.0.0.3");
    other.notACamera = true;
    run({open, other});

    // The empty login of an address probe ("Basic :"): only "inq=system" is answered.
    const Reply system = inquire("127.0.0.2", "inq=system", ":");
    EXPECT_EQ(system.status, 200);
    EXPECT_EQ(system.body.rfind("ModelName=ZKA-QM410&Serial=S0000002&", 0), 0u);
    EXPECT_EQ(inquire("127.0.0.2", "inq=user", ":").status, 401);
    EXPECT_EQ(inquire("127.0.0.2", "inq=network", ":").status, 401);
    EXPECT_EQ(inquire("127.0.0.2", "inq=network").status, 200);
    EXPECT_FALSE(fleet->requests("127.0.0.2").at(0).authorized);

    // Some other device: a page with success for any request and any login; silent to discovery.
    for (const std::string& credential : {std::string(":"), kAdmin}) {
        const Reply page = inquire("127.0.0.3", "inq=system", credential);
        EXPECT_EQ(page.status, 200);
        EXPECT_EQ(page.headers.find("WWW-Authenticate"), std::string::npos);
        EXPECT_EQ(page.body.rfind("<HTML>", 0), 0u);
        EXPECT_EQ(page.body.find("ModelName="), std::string::npos);
    }
    EXPECT_EQ(exchange("http://127.0.0.3/index.html", {}, nullptr).status, 200);
    EXPECT_EQ(fleet->requests("127.0.0.3").size(), 3u);
    const auto got = enquire("255.255.255.255", kEnquiry, 2, 300ms);
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0].first, "127.0.0.2:2380");
}

TEST_F(FleetTest, GoodUploadIsAnsweredStepByStepThenTheCameraRebootsIntoTheNewVersion)
{
    auto two = camera("127.0.0.2");
    two.upgradeSteps = 6;
    two.stepSeconds = 1;
    two.rebootSeconds = 60;
    auto three = camera("127.0.0.3");
    three.softVersion = "3.10";
    three.afterUpgrade = AfterUpgrade::Immediate;
    three.upgradeSteps = 2;
    run({two, three});

    const Reply answer = upload("127.0.0.2", "/command/versionup.cgi", firmware());
    ASSERT_EQ(answer.code, CURLE_OK);
    EXPECT_EQ(answer.status, 200);
    EXPECT_NE(answer.headers.find("Content-Type: multipart/x-mixed-replace;boundary=velmboundary\r\n"), std::string::npos);
    const std::string part = "--velmboundary\r\nContent-Type: text/plain\r\n\r\n";
    EXPECT_EQ(answer.body.rfind(part + "(0) Number of steps: 6\r\n" + part, 0), 0u);
    std::size_t at = 0;
    for (int k = 1; k <= 6; ++k) {
        at = answer.body.find(part + "(" + std::to_string(k) + ") ", at);
        EXPECT_NE(at, std::string::npos) << "step " << k;
    }
    EXPECT_NE(answer.body.find(part + "(-1) "), std::string::npos);
    EXPECT_NE(answer.body.find(part + "Verifying"), std::string::npos);
    EXPECT_EQ(answer.body.substr(answer.body.size() - 18), "--velmboundary--\r\n");

    const auto recorded = fleet->requests("127.0.0.2");
    ASSERT_EQ(recorded.size(), 1u);
    const auto& request = recorded[0];
    EXPECT_EQ(request.uploadVerdict, "ok");
    EXPECT_EQ(request.bodyLength, firmware().body.size());
    EXPECT_TRUE(request.body.empty());
    EXPECT_EQ(request.uploadHead, firmware().body.substr(0, 162));
    EXPECT_EQ(request.uploadTail, "\r\n" + firmware().boundary + "--\r\n\r\n");

    // Rebooting: refused for 60 nominal seconds, then back with the new version.
    EXPECT_EQ(inquire("127.0.0.2", "inq=system").code, CURLE_COULDNT_CONNECT);
    EXPECT_TRUE(eventually([&] { return inquire("127.0.0.2", "inq=system").status == 200; }));
    EXPECT_NE(inquire("127.0.0.2", "inq=system").body.find("&SoftVersion=2.45&"), std::string::npos);
    EXPECT_EQ(fleet->reportedVersion("127.0.0.2"), "2.45");
    EXPECT_NE(enquire("127.0.0.2", kEnquiry, 1)[0].second.find("SOFTVERSION:2.45\xFF"), std::string::npos);

    // A 3.x camera without reboot answers with 3.15 as soon as its answer has ended.
    EXPECT_EQ(upload("127.0.0.3", "/command/versionup.cgi", firmware()).status, 200);
    EXPECT_TRUE(eventually([&] { return inquire("127.0.0.3", "inq=system").body.find("SoftVersion=3.15&") != std::string::npos; }));
}

TEST_F(FleetTest, BadUploadsAreRefusedAndChangeNothing)
{
    auto two = camera("127.0.0.2");
    two.adminPassword = "secret";
    auto drop = camera("127.0.0.3");
    drop.dropDuringUpload = true;
    run({two, drop});
    const std::string login = Base64::encode("admin:secret");

    auto hyphens = firmware(login);
    hyphens.body.insert(2, "--");
    hyphens.headers[5].second = std::to_string(hyphens.body.size());
    EXPECT_EQ(upload("127.0.0.2", "/command/versionup.cgi", hyphens).status, 400);

    std::string corrupt = package();
    corrupt[corrupt.find("kkkk")] = 'x';
    EXPECT_EQ(upload("127.0.0.2", "/command/versionup.cgi",
                     test::multipartUpload("setting_file", "upgrade.bin", corrupt, login)).status, 400);

    auto wrongLength = firmware(login);
    wrongLength.body += "\r\n";
    wrongLength.headers[5].second = std::to_string(wrongLength.body.size());
    EXPECT_EQ(upload("127.0.0.2", "/command/versionup.cgi", wrongLength).status, 400);

    const Reply unauthorized = upload("127.0.0.2", "/command/versionup.cgi", firmware(kAdmin));
    EXPECT_EQ(unauthorized.status, 401);

    const auto recorded = fleet->requests("127.0.0.2");
    ASSERT_EQ(recorded.size(), 4u);
    EXPECT_EQ(recorded[0].uploadVerdict.rfind("the head differs at byte 29", 0), 0u);
    EXPECT_EQ(recorded[1].uploadVerdict, "package: member kernel.img does not match its SHA-256 checksum");
    EXPECT_EQ(recorded[2].uploadVerdict.rfind("the tail differs", 0), 0u);
    EXPECT_EQ(recorded[3].uploadVerdict, "ok");
    EXPECT_FALSE(recorded[3].authorized);
    EXPECT_EQ(fleet->reportedVersion("127.0.0.2"), "2.30");

    const Reply dropped = upload("127.0.0.3", "/command/versionup.cgi", firmware());
    EXPECT_NE(dropped.code, CURLE_OK);
    EXPECT_EQ(dropped.status, 0); // no answer at all
    const auto drops = fleet->requests("127.0.0.3");
    ASSERT_EQ(drops.size(), 1u);
    EXPECT_EQ(drops[0].uploadVerdict.rfind("dropped by the camera after ", 0), 0u);
    EXPECT_GE(drops[0].bodyLength, firmware().body.size() / 2);
    EXPECT_LT(drops[0].bodyLength, firmware().body.size());
    EXPECT_EQ(inquire("127.0.0.3", "inq=system").body.find("SoftVersion=2.30&") != std::string::npos, true);
}

TEST_F(FleetTest, AfterUpgradeFaults)
{
    auto old = camera("127.0.0.2");
    old.afterUpgrade = AfterUpgrade::OldVersion;
    auto refuse = camera("127.0.0.3");
    refuse.afterUpgrade = AfterUpgrade::RefuseConnections;
    auto hang = camera("127.0.0.4");
    hang.afterUpgrade = AfterUpgrade::HangInquiries;
    auto emergency = camera("127.0.0.5");
    emergency.softVersion = "emergency";
    auto silentFlash = camera("127.0.0.6");
    silentFlash.dropAfterUpload = true;
    std::vector<CameraSpec> cameras{old, refuse, hang, emergency, silentFlash};
    for (auto& c : cameras) {
        c.upgradeSteps = 3;
        c.rebootSeconds = 10;
    }
    run(cameras);

    for (const char* address : {"127.0.0.2", "127.0.0.3", "127.0.0.4"})
        EXPECT_EQ(upload(address, "/command/versionup.cgi", firmware()).status, 200) << address;
    // The emergency camera's client sends the body and leaves without reading any answer.
    {
        const auto up = firmware();
        std::string request = "POST /command/versionup.cgi HTTP/1.1\r\nHost: 127.0.0.5\r\nUser-Agent: ZKA Upgrade Tool\r\n";
        for (const auto& [name, value] : up.headers)
            request += name + ": " + value + "\r\n";
        request += "\r\n" + up.body;
        const int s = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in to{};
        to.sin_family = AF_INET;
        to.sin_port = htons(80);
        ::inet_pton(AF_INET, "127.0.0.5", &to.sin_addr);
        ASSERT_EQ(::connect(s, reinterpret_cast<sockaddr*>(&to), sizeof to), 0);
        ASSERT_EQ(::send(s, request.data(), request.size(), MSG_NOSIGNAL), static_cast<ssize_t>(request.size()));
        ::close(s);
    }

    EXPECT_TRUE(eventually([&] { return inquire("127.0.0.2", "inq=system").status == 200; }));
    EXPECT_NE(inquire("127.0.0.2", "inq=system").body.find("SoftVersion=2.30&"), std::string::npos);
    EXPECT_TRUE(eventually([&] { return inquire("127.0.0.5", "inq=system").status == 200
                                     && fleet->reportedVersion("127.0.0.5") == "2.45"; }));
    EXPECT_NE(inquire("127.0.0.5", "inq=system").body.find("SoftVersion=2.45&"), std::string::npos);
    EXPECT_EQ(fleet->requests("127.0.0.5").at(0).uploadVerdict, "ok");

    // Takes the whole package, closes without an answer, and flashes all the same.
    EXPECT_EQ(upload("127.0.0.6", "/command/versionup.cgi", firmware()).code, CURLE_GOT_NOTHING);
    EXPECT_EQ(fleet->requests("127.0.0.6").at(0).uploadVerdict, "ok");
    EXPECT_TRUE(eventually([&] { return inquire("127.0.0.6", "inq=system").body.find("SoftVersion=2.45&") != std::string::npos; }));

    // Back from the reboot, the hanging camera accepts the connection and never answers.
    EXPECT_TRUE(eventually([&] { return inquire("127.0.0.4", "inq=system", kAdmin, 200).code == CURLE_OPERATION_TIMEDOUT; }));
    EXPECT_EQ(inquire("127.0.0.3", "inq=system").code, CURLE_COULDNT_CONNECT);
}

TEST_F(FleetTest, ConfigurationIsServedAndRestoredOnlyWithTheFactoryLogin)
{
    auto cam = camera("127.0.0.2");
    cam.adminPassword = "secret";
    cam.restoreRefusals = 2;
    cam.silentAfterRestore = true;
    auto html = camera("127.0.0.3");
    html.htmlInsteadOfConfig = true;
    run({cam, html});
    const std::string login = Base64::encode("admin:secret");

    const Reply saved = exchange("http://127.0.0.2/home/l4/zka-qm410.cfg", {{"Authorization", "Basic " + login}}, nullptr);
    EXPECT_EQ(saved.status, 200);
    EXPECT_GT(saved.body.size(), 1460u);
    EXPECT_EQ(saved.body, fleet->cameras()[0].configuration);
    EXPECT_EQ(exchange("http://127.0.0.2/home/l4/zka-qm410.cfg", {}, nullptr).status, 401);
    EXPECT_EQ(exchange("http://127.0.0.3/home/l4/zka-qm410.cfg", {{"Authorization", "Basic " + kAdmin}}, nullptr)
                  .body.rfind("<HTML>", 0), 0u);

    const std::string restored = "[system]\r\nrestored=1\r\n";
    EXPECT_EQ(upload("127.0.0.2", "/command/all-configuration.cgi",
                     test::multipartUpload("Restore", "temp.cfg", restored, login)).status, 401);
    for (int refusal = 0; refusal < 2; ++refusal) {
        const Reply closed = upload("127.0.0.2", "/command/all-configuration-preset.cgi",
                                    test::multipartUpload("Restore", "temp.cfg", restored, kAdmin));
        EXPECT_EQ(closed.code, CURLE_GOT_NOTHING) << refusal;
    }
    const Reply accepted = upload("127.0.0.2", "/command/all-configuration.cgi",
                                  test::multipartUpload("Restore", "temp.cfg", restored, kAdmin));
    EXPECT_EQ(accepted.status, 200);
    EXPECT_EQ(fleet->configuration("127.0.0.2"), restored);

    const auto recorded = fleet->requests("127.0.0.2");
    ASSERT_EQ(recorded.size(), 6u);
    EXPECT_FALSE(recorded[2].authorized);
    EXPECT_EQ(recorded[3].path, "/command/all-configuration-preset.cgi");
    EXPECT_EQ(recorded[5].path, "/command/all-configuration.cgi");
    EXPECT_EQ(recorded[5].uploadVerdict, "ok");
    EXPECT_EQ(recorded[5].payload, restored);
    EXPECT_TRUE(recorded[5].authorized);

    // Silent from now on: the connection is accepted and never answered.
    EXPECT_EQ(inquire("127.0.0.2", "inq=system", login, 300).code, CURLE_OPERATION_TIMEDOUT);
}

TEST_F(FleetTest, StopIsPromptWithANeverEndingAnswerAndAHangingRequestInProgress)
{
    auto endless = camera("127.0.0.2");
    endless.answerNeverEnds = true;
    endless.upgradeSteps = 3;
    auto slow = camera("127.0.0.3");
    slow.slowAnswerSeconds = 100000;
    run({endless, slow});

    std::mutex mutex;
    std::string live;
    std::jthread client([&] {
        const auto up = firmware();
        exchange("http://127.0.0.2/command/versionup.cgi", up.headers, &up.body, 60000, nullptr, &live, &mutex);
    });
    std::jthread waiting([] { inquire("127.0.0.3", "inq=system", kAdmin, 60000); });
    ASSERT_TRUE(eventually([&] {
        std::lock_guard lock(mutex);
        return live.find("(3) ") != std::string::npos;
    }));
    ASSERT_TRUE(eventually([&] { return fleet->requests("127.0.0.3").size() == 1; }));

    const auto before = std::chrono::steady_clock::now();
    fleet->stop();
    EXPECT_LT(std::chrono::steady_clock::now() - before, 2s);
    std::lock_guard lock(mutex);
    EXPECT_EQ(live.find("--velmboundary--"), std::string::npos);
}

} // namespace
} // namespace zka::camsim
