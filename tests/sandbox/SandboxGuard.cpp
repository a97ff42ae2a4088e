// Linked into every test and benchmark that opens sockets. Those programs broadcast discovery
// enquiries and talk to camera addresses such as 192.168.0.100, so they must only ever run in a
// private network namespace whose sole interface is loopback. Started any other way (by hand, from
// a debugger), the program re-runs itself through the sandbox script before anything else happens,
// so nothing it sends can leave the machine; when that is impossible it refuses to run.

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <ifaddrs.h>
#include <net/if.h>
#include <unistd.h>

#ifndef ZKA_SANDBOX_SCRIPT
#error "ZKA_SANDBOX_SCRIPT must name scripts/sandbox.sh"
#endif

namespace {

// True when every network interface this process can see is a loopback interface.
bool onlyLoopbackVisible()
{
    ifaddrs* list = nullptr;
    if (getifaddrs(&list) != 0)
        return false;
    bool onlyLoopback = true;
    for (const ifaddrs* entry = list; entry != nullptr; entry = entry->ifa_next) {
        if ((entry->ifa_flags & IFF_LOOPBACK) == 0) {
            onlyLoopback = false;
            break;
        }
    }
    freeifaddrs(list);
    return onlyLoopback;
}

// This process's arguments, as the kernel recorded them.
std::vector<std::string> ownArguments()
{
    std::ifstream in("/proc/self/cmdline", std::ios::binary);
    const std::string all{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    std::vector<std::string> arguments;
    std::size_t start = 0;
    while (start < all.size()) {
        const std::size_t end = all.find('\0', start);
        arguments.push_back(all.substr(start, end - start));
        if (end == std::string::npos)
            break;
        start = end + 1;
    }
    return arguments;
}

std::string ownExecutable()
{
    std::vector<char> path(4096);
    const ssize_t length = readlink("/proc/self/exe", path.data(), path.size() - 1);
    return length > 0 ? std::string(path.data(), static_cast<std::size_t>(length)) : std::string();
}

[[noreturn]] void refuse(const char* why)
{
    std::fprintf(stderr,
                 "This program sends discovery broadcasts and camera requests; it runs only inside the "
                 "private network namespace of %s (%s).\n",
                 ZKA_SANDBOX_SCRIPT, why);
    std::_Exit(70);
}

struct SandboxGuard {
    SandboxGuard()
    {
        if (onlyLoopbackVisible())
            return;
        // The sandbox script marks its namespace; being marked and still seeing another interface
        // means the namespace could not be made as it should, so re-running would loop.
        if (const char* mark = std::getenv("ZKA_SANDBOX"); mark != nullptr && std::strcmp(mark, "inside") == 0)
            refuse("a network interface other than loopback is visible inside it");
        const std::string executable = ownExecutable();
        std::vector<std::string> arguments = ownArguments();
        if (executable.empty() || arguments.empty())
            refuse("its own command line could not be read");
        arguments[0] = executable;
        arguments.insert(arguments.begin(), ZKA_SANDBOX_SCRIPT);
        std::vector<char*> argv;
        for (std::string& argument : arguments)
            argv.push_back(argument.data());
        argv.push_back(nullptr);
        execv(ZKA_SANDBOX_SCRIPT, argv.data());
        refuse(std::strerror(errno));
    }
};

const SandboxGuard guard;

} // namespace
