#include "cli/CliArgs.h"

namespace zka::cli {

std::optional<CliArgs> CliArgs::parse(const std::vector<std::string>& args, const std::set<std::string>& valueOptions,
                                      const std::set<std::string>& flags, std::string& error)
{
    CliArgs result;
    bool optionsEnded = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (optionsEnded || arg.size() < 3 || arg.compare(0, 2, "--") != 0) {
            if (arg == "--") {
                optionsEnded = true;
                continue;
            }
            result.positional_.push_back(arg);
            continue;
        }
        std::string name = arg.substr(2);
        std::optional<std::string> inlineValue;
        if (const auto eq = name.find('='); eq != std::string::npos) {
            inlineValue = name.substr(eq + 1);
            name.erase(eq);
        }
        if (valueOptions.count(name) != 0) {
            if (inlineValue) {
                result.values_[name] = *inlineValue;
            } else if (i + 1 < args.size()) {
                result.values_[name] = args[++i];
            } else {
                error = "option --" + name + " needs a value";
                return std::nullopt;
            }
        } else if (flags.count(name) != 0 || name == "help") {
            if (inlineValue) {
                error = "option --" + name + " takes no value";
                return std::nullopt;
            }
            result.values_[name] = "1";
        } else {
            error = "unknown option --" + name;
            return std::nullopt;
        }
    }
    return result;
}

std::string CliArgs::value(const std::string& name, const std::string& fallback) const
{
    const auto it = values_.find(name);
    return it == values_.end() ? fallback : it->second;
}

} // namespace zka::cli
