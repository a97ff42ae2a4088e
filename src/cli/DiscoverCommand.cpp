// zka-upgrade-cli discover: one discovery run, exactly as the wizard makes it at start-up, then the
// table of supported cameras that answered.

#include "cli/CliArgs.h"
#include "cli/CommandRegistry.h"
#include "cli/ConsolePrompter.h"
#include "discovery/DiscoverySession.h"
#include "resources/PackagedResources.h"
#include "runtime/EventLoop.h"

#include <cstdio>
#include <string>
#include <vector>

namespace zka::cli {

namespace {

// Discovery ends after 10 s on its own; this only bounds a run whose listener never acknowledges.
constexpr Clock::Duration kRunLimit{20000};

std::string addressColumn(const CameraRecord& record)
{
    return record.dhcp != 0 ? std::string("DHCP") : record.addressText();
}

int usageError(const std::string& error)
{
    std::fprintf(stderr, "zka-upgrade-cli discover: %s\n", error.c_str());
    return 64;
}

int runDiscover(const std::vector<std::string>& args)
{
    std::string error;
    const auto parsed = CliArgs::parse(args, {"time-scale"}, {}, error);
    if (!parsed)
        return usageError(error);
    if (!parsed->positional().empty())
        return usageError("unexpected argument \"" + parsed->positional().front() + "\"");
    double timeScale = 1.0;
    if (parsed->has("time-scale")) {
        timeScale = parseTimeScale(parsed->value("time-scale").c_str());
        if (timeScale == 0.0)
            return usageError("--time-scale needs a positive number");
    }

    SystemClock clock(timeScale);
    ConsolePrompter prompter;
    PackagedResources resources(embeddedResources(), prompter);
    resources.loadSupportedModels();

    DiscoveryTable table;
    table.setSupportedModels(&resources.supportedModels());
    EventLoop loop(clock);
    DiscoveryListener::Environment environment{clock, prompter};
    // The listener's end wakes the loop, which then sees the run finished.
    environment.finished = [&loop] { loop.post([] {}); };
    DiscoverySession session(table, loop, std::move(environment));
    loop.setTimerHandler([&session](TimerId id) { session.onTimer(id); });
    session.start();
    loop.runUntil([&session] { return session.finished(); }, kRunLimit);
    session.cancel();

    for (const CameraRecord& record : table.snapshot()) {
        std::printf("%s\t%s\t%s\t%s\t%s\n", std::string(record.macText()).c_str(), addressColumn(record).c_str(),
                    std::string(record.modelText()).c_str(), std::string(record.serialText()).c_str(),
                    std::string(record.softVersionText()).c_str());
    }
    std::fflush(stdout);
    return 0;
}

const CommandRegistration registration{Command{
    "discover",
    "find the supported cameras of the local network segment",
    "usage: zka-upgrade-cli discover [--time-scale X]\n"
    "\n"
    "Broadcasts the discovery enquiry on UDP port 2380, repeats it 5 s later, collects the\n"
    "replies for 10 s and prints one line per supported camera, in the order they were found:\n"
    "\n"
    "  MAC <TAB> ADDRESS <TAB> MODEL <TAB> SERIAL <TAB> VERSION\n"
    "\n"
    "ADDRESS is \"DHCP\" for a camera that obtains its address by DHCP, else a.b.c.d, followed\n"
    "by \":PORT\" when its web port is not 80.\n"
    "\n"
    "Options:\n"
    "  --time-scale X   run every wait X times as long (e.g. 0.01 for tests; default 1)\n"
    "\n"
    "Fatal socket failures print \"Error : ...\" and end with status 1 to 5.\n",
    runDiscover,
}};

} // namespace

} // namespace zka::cli
