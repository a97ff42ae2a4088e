// Figures of the firmware upload, against simulated cameras in a child process (so that their
// memory is not counted):
//  (a) time of upload + readAnswer divided by the time of a plain
//      "curl --data-binary @body" upload of the same bytes with the same headers to the same kind of
//      camera, run side by side, median of RUNS (default 9) each (target: at most 1.05);
//  (b) peak resident memory while two uploads run at once, minus the resident memory before them
//      (target: at most 1 MB: the package is sent from the one read-only copy, never copied).
// Run inside the network sandbox.

#include "camera/CameraClient.h"
#include "http/MultipartBody.h"
#include "http/MultipartPost.h"
#include "camsim/Fleet.h"
#include "resources/ResourceStore.h"

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

using namespace std::chrono_literals;

namespace {

constexpr const char* kCredential = "YWRtaW46YWRtaW4="; // admin:admin

std::string cameraAddress(int index)
{
    return "127.0.0." + std::to_string(2 + index);
}

double seconds(std::chrono::steady_clock::duration span)
{
    return std::chrono::duration<double>(span).count();
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// "VmRSS" or "VmHWM" of this process, in kB.
long statusKilobytes(const char* field)
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind(field, 0) == 0)
            return std::strtol(line.c_str() + std::string(field).size() + 1, nullptr, 10);
    }
    return -1;
}

// The cameras live in a child process until the parent closes the pipe.
pid_t startCameras(int count, int& keepAlive)
{
    int ready[2];
    int alive[2];
    if (::pipe(ready) != 0 || ::pipe(alive) != 0)
        return -1;
    const pid_t child = ::fork();
    if (child != 0) {
        ::close(ready[1]);
        ::close(alive[0]);
        char answer = 0;
        const bool started = ::read(ready[0], &answer, 1) == 1 && answer == 'y';
        ::close(ready[0]);
        keepAlive = alive[1];
        return started ? child : -1;
    }
    ::close(ready[0]);
    ::close(alive[1]);
    std::vector<zka::camsim::CameraSpec> cameras;
    for (int i = 0; i < count; ++i) {
        zka::camsim::CameraSpec sim;
        sim.address = cameraAddress(i);
        sim.serial = "S" + std::to_string(1000 + i);
        sim.stepSeconds = 0;
        sim.rebootSeconds = 0;
        sim.afterUpgrade = zka::camsim::AfterUpgrade::Immediate;
        cameras.push_back(sim);
    }
    zka::camsim::Fleet fleet(cameras, 1.0);
    std::string error;
    const bool started = fleet.start(error);
    if (!started)
        std::fprintf(stderr, "upload_bench: the cameras did not start: %s\n", error.c_str());
    const char answer = started ? 'y' : 'n';
    (void)!::write(ready[1], &answer, 1);
    char ignored = 0;
    while (::read(alive[0], &ignored, 1) > 0) {
    }
    fleet.stop();
    std::_Exit(0);
}

struct Host {
    zka::SystemClock clock{1.0};
};

// One upload as the procedure makes it: the body, then the camera's answer to its end.
bool uploadOnce(Host& host, const std::string& address, std::span<const std::uint8_t> package)
{
    zka::CameraClient client(host.clock, address, kCredential);
    std::atomic<int> row{0};
    const zka::ProgressTargets progress{nullptr, &row};
    if (client.upload(package, true, [&progress] { progress.add(1); }).outcome != zka::UploadOutcome::Sent
        || !client.awaitAnswer())
        return false;
    std::atomic<int> step{0};
    zka::UploadAnswerParser parser(step);
    const zka::AnswerOutcome answer = client.readAnswer(parser, progress);
    client.closeUpload();
    return answer != zka::AnswerOutcome::Failed && row.load() == 9380;
}

bool curlOnce(const std::string& address, const std::string& bodyFile, const std::string& boundary,
              std::uint64_t length)
{
    const std::string command =
        std::string("curl -s -S -o /dev/null -A 'ZKA Upgrade Tool' -H 'Accept: ") + zka::MultipartPost::kAccept + "'"
        + " -H 'Content-Type: multipart/form-data; boundary=" + boundary + "'"
        + " -H 'Accept-Encoding: gzip, deflate' -H 'Connection: Keep-Alive' -H 'Proxy-Connection: Keep-Alive'"
        + " -H 'Cache-Control: no-cache' -H 'Content-Length: " + std::to_string(length) + "'"
        + " -H 'Authorization: Basic " + kCredential + "' -H 'Expect:' --data-binary @" + bodyFile + " http://" + address
        + "/command/versionup.cgi";
    return std::system(command.c_str()) == 0;
}

} // namespace

int main(int argc, char** argv)
{
    const int runs = argc > 1 ? std::atoi(argv[1]) : 9;
    if (runs < 1 || runs > 50) {
        std::fprintf(stderr, "usage: upload_bench [RUNS (1 to 50)]\n");
        return 64;
    }
    const auto found = zka::embeddedResources().find(zka::ResourceKind::Bin, 143);
    if (!found || found->empty()) {
        std::fprintf(stderr, "upload_bench: no firmware package in this build\n");
        return 1;
    }
    const std::span<const std::uint8_t> package = *found;

    const int cameraCount = 2 * runs + 2;
    int keepAlive = -1;
    const pid_t cameras = startCameras(cameraCount, keepAlive);
    if (cameras <= 0)
        return 1;

    // The same bytes for curl: head, package, tail around one boundary.
    const zka::MultipartBody body(zka::MultipartBody::boundaryAt(std::chrono::system_clock::now()), "setting_file",
                                  "upgrade.bin", package.size());
    char pattern[] = "/tmp/zka-upload-bench-XXXXXX";
    const int fd = ::mkstemp(pattern);
    const std::string bodyFile = pattern;
    {
        std::ofstream out(bodyFile, std::ios::binary);
        out << body.head();
        out.write(reinterpret_cast<const char*>(package.data()), static_cast<std::streamsize>(package.size()));
        out << body.tail();
    }
    ::close(fd);

    Host host;
    std::vector<double> ours;
    std::vector<double> plain;
    bool ok = true;
    for (int run = 0; run < runs && ok; ++run) {
        auto start = std::chrono::steady_clock::now();
        ok = uploadOnce(host, cameraAddress(2 * run), package);
        ours.push_back(seconds(std::chrono::steady_clock::now() - start));
        start = std::chrono::steady_clock::now();
        ok = ok && curlOnce(cameraAddress(2 * run + 1), bodyFile, body.boundary(), body.contentLength());
        plain.push_back(seconds(std::chrono::steady_clock::now() - start));
    }
    ::unlink(bodyFile.c_str());
    if (!ok) {
        std::fprintf(stderr, "upload_bench: an upload failed\n");
        ::close(keepAlive);
        ::waitpid(cameras, nullptr, 0);
        return 1;
    }

    // Memory: the package is already resident (read by the runs above); reset the peak, then two
    // uploads at once.
    std::this_thread::sleep_for(200ms);
    {
        std::ofstream clear("/proc/self/clear_refs");
        clear << "5";
    }
    const long before = statusKilobytes("VmRSS");
    bool both = true;
    {
        std::atomic<bool> first{false};
        std::atomic<bool> second{false};
        std::jthread a([&] { first = uploadOnce(host, cameraAddress(2 * runs), package); });
        std::jthread b([&] { second = uploadOnce(host, cameraAddress(2 * runs + 1), package); });
        a.join();
        b.join();
        both = first && second;
    }
    const long peak = statusKilobytes("VmHWM");

    ::close(keepAlive);
    ::waitpid(cameras, nullptr, 0);

    std::printf("package: %zu bytes, %d runs each\n", package.size(), runs);
    std::printf("upload + answer: median %.3f s\n", median(ours));
    std::printf("curl --data-binary:      median %.3f s\n", median(plain));
    std::printf("(a) time ratio: %.3f (target <= 1.05)\n", median(ours) / median(plain));
    std::printf("(b) two uploads at once: %s, resident before %ld kB, peak %ld kB, added %ld kB (target <= 1024 kB)\n",
                both ? "ok" : "FAILED", before, peak, peak - before);
    return both ? 0 : 1;
}
