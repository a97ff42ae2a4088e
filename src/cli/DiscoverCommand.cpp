// zka-upgrade-cli discover: one discovery run, exactly as the wizard makes it at start-up, then the
// table of supported cameras that answered.

#include "cli/CommandLine.h"
#include "cli/CommandRegistry.h"
#include "cli/ConsolePrompter.h"
#include "cli/DiscoveryRun.h"
#include "cli/TerminalText.h"
#include "resources/PackagedResources.h"
#include "runtime/EventLoop.h"

#include <cstdio>
#include <string>
#include <vector>

namespace zka::cli {

namespace {

std::string addressColumn(const CameraRecord& record)
{
    return record.dhcp != 0 ? std::string("DHCP") : record.addressText();
}

int runDiscover(const std::vector<std::string>& args)
{
    CommandLine line("discover");
    std::vector<std::string> positional;
    line.addArguments(positional);
    line.addTimeScale();
    if (!line.parse(args))
        return CommandLine::kExitUsage;
    if (!positional.empty())
        return line.usageError("unexpected argument \"" + positional.front() + "\"");
    const double timeScale = line.timeScale();
    if (timeScale == 0.0)
        return CommandLine::kExitUsage;

    SystemClock clock(timeScale);
    ConsolePrompter prompter;
    PackagedResources resources(embeddedResources(), prompter);
    resources.loadSupportedModels();
    EventLoop loop(clock);
    // Every field is the camera's text, shown and never obeyed; a tab in one would shift the columns.
    for (const CameraRecord& record : runDiscovery(loop, clock, prompter, resources.supportedModels())) {
        std::printf("%s\t%s\t%s\t%s\t%s\n", escapeControls(record.macText()).c_str(), addressColumn(record).c_str(),
                    escapeControls(record.modelText()).c_str(), escapeControls(record.serialText()).c_str(),
                    escapeControls(record.softVersionText()).c_str());
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
    "by \":PORT\" when its web port is not 80. Control characters in the cameras' texts (tabs\n"
    "included) are shown as \\xHH.\n"
    "\n"
    "Options:\n"
    "  --time-scale X   run every wait X times as long (e.g. 0.01 for tests; default 1)\n"
    "\n"
    "Fatal socket failures print \"Error : ...\" and end with status 1 to 5.\n",
    runDiscover,
}};

} // namespace

} // namespace zka::cli
