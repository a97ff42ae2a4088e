// Feeds arbitrary bytes to the camera address list parser, as a file or the clipboard would, and
// checks what it promises: an accepted text yields at most 256 entries with usable ports, which
// read back the same when written out again; a refused one yields none and names its fault.
#include "upgrade/CameraAddressList.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace {

void require(bool condition)
{
    if (!condition)
        __builtin_trap();
}

bool usablePort(int port)
{
    return port == 80 || (port >= 1024 && port <= 65535);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    zka::CameraAddressList list;
    const bool accepted = list.readText(std::string_view(reinterpret_cast<const char*>(data), size));
    if (!accepted) {
        const auto number = list.fault().textNumber;
        require(list.entries().empty());
        require(number == 305 || number == 306 || number == 307);
        require(list.fault().errorLine.rfind("Line", 0) == 0);
        require(list.fault().lineNumber > 0 && !list.fault().reason.empty());
        return 0;
    }
    require(list.fault().textNumber == 0);
    require(list.entries().size() <= zka::CameraAddressList::kMaxEntries);
    require(list.leftOut() == 0 || list.entries().size() == zka::CameraAddressList::kMaxEntries);
    std::string written;
    for (const auto& entry : list.entries()) {
        require(usablePort(entry.port));
        written += entry.text() + "\r\n";
    }
    zka::CameraAddressList again;
    require(again.readText(written));
    require(again.entries() == list.entries());
    return 0;
}
