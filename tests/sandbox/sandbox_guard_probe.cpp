// Started outside the sandbox by its test, this program must find itself inside it: the guard
// linked into it re-runs it through the sandbox script before main. It sends nothing; it only
// lists the network interfaces it can see.

#include <cstdio>

#include <ifaddrs.h>
#include <net/if.h>

int main()
{
    ifaddrs* list = nullptr;
    if (getifaddrs(&list) != 0) {
        std::perror("getifaddrs");
        return 2;
    }
    int others = 0;
    for (const ifaddrs* entry = list; entry != nullptr; entry = entry->ifa_next) {
        if ((entry->ifa_flags & IFF_LOOPBACK) == 0) {
            std::printf("visible: %s\n", entry->ifa_name);
            ++others;
        }
    }
    freeifaddrs(list);
    std::printf(others == 0 ? "loopback only\n" : "not in the sandbox\n");
    return others == 0 ? 0 : 1;
}
