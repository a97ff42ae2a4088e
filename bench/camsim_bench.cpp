// Prints figures of the camera simulator: the in-memory check of a firmware-sized upload, a 10 MB
// upload over HTTP with its streamed answer, and a fleet of 300 cameras (start, discovery, threads,
// stop). Run it inside the sandbox: scripts/sandbox.sh build/default/bench/camsim_bench
#include "camsim/Fleet.h"
#include "camsim/MultipartBodyCheck.h"
#include "camsim/PackageCheck.h"
#include "camsim_support.h"

#include <arpa/inet.h>
#include <curl/curl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <set>
#include <string>

namespace {

using Clock = std::chrono::steady_clock;

double msSince(Clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

std::string statusField(const char* key)
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind(key, 0) == 0)
            return line.substr(line.find(':') + 1);
    return "?";
}

std::string package()
{
    std::vector<std::pair<std::string, std::string>> members;
    for (int i = 0; i < 9; ++i) {
        std::string image(1110000, '\0');
        for (std::size_t k = 0; k < image.size(); ++k)
            image[k] = static_cast<char>((k * 2654435761u + i) >> 13);
        members.emplace_back("image" + std::to_string(i) + ".bin", std::move(image));
    }
    return zka::camsim::test::firmwarePackage(members);
}

void checkInMemory(const std::string& file)
{
    const auto upload = zka::camsim::test::multipartUpload("setting_file", "upgrade.bin", file, "YWRtaW46YWRtaW4=");
    const auto start = Clock::now();
    zka::camsim::PackageCheck packageCheck;
    zka::camsim::MultipartBodyCheck body(upload.boundary, "setting_file", "upgrade.bin", upload.body.size(),
                                         [&](std::string_view piece) { packageCheck.feed(piece); });
    for (std::size_t at = 0; at < upload.body.size(); at += 1460)
        body.feed(std::string_view(upload.body).substr(at, 1460));
    const std::string verdict = body.finish() + packageCheck.finish();
    const double ms = msSince(start);
    std::printf("check of a %zu-byte upload in 1460-byte pieces: %.1f ms (%.0f MB/s), verdict %s\n",
                upload.body.size(), ms, upload.body.size() / ms / 1000.0, verdict.empty() ? "ok" : verdict.c_str());
}

void uploadOverHttp(const std::string& file)
{
    auto setup = zka::camsim::defaultFleet(1).front();
    setup.upgradeSteps = 40;
    setup.stepSeconds = 0.25;
    zka::camsim::Fleet fleet({setup}, 0.01);
    std::string error;
    if (!fleet.start(error)) {
        std::printf("cannot start: %s\n", error.c_str());
        return;
    }
    const auto upload = zka::camsim::test::multipartUpload("setting_file", "upgrade.bin", file, "YWRtaW46YWRtaW4=");
    CURL* curl = curl_easy_init();
    curl_slist* headers = nullptr;
    for (const auto& [name, value] : upload.headers)
        headers = curl_slist_append(headers, (name + ": " + value).c_str());
    headers = curl_slist_append(headers, "Expect:");
    std::string answer;
    curl_easy_setopt(curl, CURLOPT_URL, "http://127.0.0.2/command/versionup.cgi");
    curl_easy_setopt(curl, CURLOPT_USERAGENT, "ZKA Upgrade Tool");
    curl_easy_setopt(curl, CURLOPT_HTTPHEADER, headers);
    curl_easy_setopt(curl, CURLOPT_POSTFIELDS, upload.body.data());
    curl_easy_setopt(curl, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(upload.body.size()));
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &answer);
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, +[](char* data, size_t, size_t n, void* out) {
        static_cast<std::string*>(out)->append(data, n);
        return n;
    });
    const auto start = Clock::now();
    const CURLcode code = curl_easy_perform(curl);
    double uploadSeconds = 0;
    curl_easy_getinfo(curl, CURLINFO_PRETRANSFER_TIME, &uploadSeconds);
    const double ms = msSince(start);
    curl_slist_free_all(headers);
    curl_easy_cleanup(curl);
    const auto recorded = fleet.requests("127.0.0.2");
    std::printf("HTTP upload of %zu bytes and its answer (40 steps of 2.5 ms): %.1f ms, curl %d, verdict %s, "
                "answer %zu bytes\n",
                upload.body.size(), ms, static_cast<int>(code),
                recorded.empty() ? "-" : recorded[0].uploadVerdict.c_str(), answer.size());
    std::printf("resident memory after the upload: %s\n", statusField("VmRSS").c_str());
}

void largeFleet()
{
    const auto threadsBefore = statusField("Threads");
    auto start = Clock::now();
    zka::camsim::Fleet fleet(zka::camsim::defaultFleet(300), 0.01);
    std::string error;
    if (!fleet.start(error)) {
        std::printf("cannot start: %s\n", error.c_str());
        return;
    }
    std::printf("300 cameras: start %.1f ms, threads %s -> %s\n", msSince(start), threadsBefore.c_str(),
                statusField("Threads").c_str());

    const int s = ::socket(AF_INET, SOCK_DGRAM, 0);
    int on = 1;
    ::setsockopt(s, SOL_SOCKET, SO_BROADCAST, &on, sizeof on);
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(2380);
    to.sin_addr.s_addr = htonl(INADDR_BROADCAST);
    const std::string enquiry("\x02" "ENQ:allinfo" "\xFF\x03", 14);
    start = Clock::now();
    ::sendto(s, enquiry.data(), enquiry.size(), 0, reinterpret_cast<sockaddr*>(&to), sizeof to);
    std::set<std::string> sources;
    while (sources.size() < 300 && msSince(start) < 5000) {
        pollfd fd{s, POLLIN, 0};
        if (::poll(&fd, 1, 50) <= 0)
            continue;
        char buffer[2048];
        sockaddr_in from{};
        socklen_t length = sizeof from;
        ::recvfrom(s, buffer, sizeof buffer, 0, reinterpret_cast<sockaddr*>(&from), &length);
        sources.insert(inet_ntoa(from.sin_addr));
    }
    std::printf("300 cameras: %zu discovery replies (default receive buffer) in %.1f ms\n", sources.size(), msSince(start));
    ::close(s);

    start = Clock::now();
    fleet.stop();
    std::printf("300 cameras: stop %.1f ms\n", msSince(start));
}

} // namespace

int main()
{
    curl_global_init(CURL_GLOBAL_DEFAULT);
    const std::string file = package();
    checkInMemory(file);
    uploadOverHttp(file);
    largeFleet();
    curl_global_cleanup();
    return 0;
}
