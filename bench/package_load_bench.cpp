// Prints how long the wizard's start-up load of the packaged resources takes: the version texts,
// the model list, the package names and the firmware package with its SHA-256 check (target:
// under 100 ms). The first run also pays for paging the package in from the executable.
#include "resources/PackagedResources.h"
#include "runtime/Prompter.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

namespace {

// Counts the messages a load shows; a successful load shows none.
class CountingPrompter final : public zka::Prompter {
public:
    zka::MessageAnswer show(const zka::Message& message) override
    {
        ++count;
        std::fprintf(stderr, "message: %s / %s\n", message.caption.c_str(), message.text.c_str());
        return zka::MessageAnswer::Ok;
    }
    int count = 0;
};

// Resident memory of one kind from /proc/self/status ("RssAnon" or "RssFile"), in KiB.
long residentKiB(const std::string& kind)
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.starts_with(kind + ":"))
            return std::atol(line.c_str() + kind.size() + 1);
    }
    return -1;
}

} // namespace

int main(int argc, char** argv)
{
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 10;
    CountingPrompter prompter;
    std::vector<double> millis;
    std::size_t packageSize = 0;
    const long anonymousBefore = residentKiB("RssAnon");
    const long fileBefore = residentKiB("RssFile");
    for (int i = 0; i < runs; ++i) {
        const auto start = std::chrono::steady_clock::now();
        zka::PackagedResources resources(zka::embeddedResources(), prompter);
        resources.loadAll();
        const auto end = std::chrono::steady_clock::now();
        millis.push_back(std::chrono::duration<double, std::milli>(end - start).count());
        packageSize = resources.packageSizes()[0];
        if (!resources.isLoaded(0)) {
            std::fprintf(stderr, "the firmware package did not load\n");
            return 1;
        }
    }
    const double first = millis.front();
    std::sort(millis.begin(), millis.end());
    const double median = millis[millis.size() / 2];
    std::printf("package load + SHA-256 check: %zu bytes, %d runs\n", packageSize, runs);
    std::printf("  first run   %8.2f ms\n", first);
    std::printf("  median      %8.2f ms  (target < 100 ms)\n", median);
    std::printf("  fastest     %8.2f ms\n", millis.front());
    std::printf("  slowest     %8.2f ms\n", millis.back());
    std::printf("  throughput  %8.0f MB/s (median)\n", packageSize / 1e6 / (median / 1e3));
    // The package is read in place: the executable's own pages grow, private memory does not.
    std::printf("  resident growth: private %ld KiB, mapped from the executable %ld KiB\n",
                residentKiB("RssAnon") - anonymousBefore, residentKiB("RssFile") - fileBefore);
    std::printf("  messages    %d\n", prompter.count);
    return prompter.count == 0 ? 0 : 1;
}
