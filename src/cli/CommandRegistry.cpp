#include "cli/CommandRegistry.h"

namespace zka::cli {

std::map<std::string, Command>& commandRegistry()
{
    static std::map<std::string, Command> registry;
    return registry;
}

CommandRegistration::CommandRegistration(Command command)
{
    auto name = command.name;
    commandRegistry().emplace(std::move(name), std::move(command));
}

} // namespace zka::cli
