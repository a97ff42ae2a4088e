#pragma once

#include <functional>
#include <map>
#include <string>
#include <vector>

namespace zka::cli {

// A subcommand of zka-upgrade-cli. Each command lives in its own source file and registers itself
// with a static CommandRegistration, so commands are added without touching main.
struct Command {
    std::string name;
    std::string synopsis; // one line for the overview
    std::string help;     // the full text of "zka-upgrade-cli NAME --help"
    std::function<int(const std::vector<std::string>& args)> run;
};

std::map<std::string, Command>& commandRegistry();

struct CommandRegistration {
    explicit CommandRegistration(Command command);
};

} // namespace zka::cli
