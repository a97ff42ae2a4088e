#pragma once

#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace zka::cli {

// Options and positional arguments of one command. Options may stand before or after the
// positional arguments: "--name value", "--name=value" or a bare "--flag".
class CliArgs {
public:
    // valueOptions take a value, flags do not; any other "--word" is an error. "--help" is always a flag.
    static std::optional<CliArgs> parse(const std::vector<std::string>& args, const std::set<std::string>& valueOptions,
                                        const std::set<std::string>& flags, std::string& error);

    const std::vector<std::string>& positional() const { return positional_; }
    bool has(const std::string& name) const { return values_.count(name) != 0; }
    std::string value(const std::string& name, const std::string& fallback = {}) const;

private:
    std::vector<std::string> positional_;
    std::map<std::string, std::string> values_;
};

} // namespace zka::cli
