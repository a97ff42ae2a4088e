#include "cli/CommandRegistry.h"
#include "resources/ResourceText.h"

#include <cstdio>
#include <string>
#include <vector>

namespace {

void printOverview()
{
    std::printf("usage: zka-upgrade-cli COMMAND [ARGS...]\n\n"
                "Upgrades the firmware of ZKA network cameras from the command line.\n\n"
                "Commands:\n");
    for (const auto& [name, command] : zka::cli::commandRegistry())
        std::printf("  %-10s %s\n", name.c_str(), command.synopsis.c_str());
    std::printf("\n\"zka-upgrade-cli COMMAND --help\" describes one command.\n");
}

} // namespace

int main(int argc, char** argv)
{
    if (argc == 2 && std::string(argv[1]) == "--version")
        return std::fputs(zka::packagedVersionText("zka-upgrade-cli").c_str(), stdout) < 0 ? 1 : 0;
    if (argc < 2 || std::string(argv[1]) == "--help" || std::string(argv[1]) == "help") {
        printOverview();
        return argc < 2 ? 64 : 0;
    }
    const auto& registry = zka::cli::commandRegistry();
    const auto it = registry.find(argv[1]);
    if (it == registry.end()) {
        std::fprintf(stderr, "zka-upgrade-cli: unknown command \"%s\"\n", argv[1]);
        printOverview();
        return 64;
    }
    std::vector<std::string> args(argv + 2, argv + argc);
    for (const auto& arg : args) {
        if (arg == "--help") {
            std::printf("%s", it->second.help.c_str());
            return 0;
        }
    }
    std::fflush(stdout);
    return it->second.run(args);
}
