#pragma once

#include <CLI/CLI.hpp>

#include <string>
#include <vector>

namespace zka::cli {

// The options and arguments of one command, parsed with CLI11. Options may stand before or after
// the arguments ("--name value", "--name=value", a bare "--flag"); "--" ends the options; an option
// given twice keeps its last value. "--help" is answered before a command runs, with the command's
// own text.
class CommandLine final {
public:
    static constexpr int kExitUsage = 64;

    explicit CommandLine(std::string command);
    CommandLine(const CommandLine&) = delete;
    CommandLine& operator=(const CommandLine&) = delete;

    CLI::App& app() { return app_; }
    // Collects the positional arguments into `into`.
    void addArguments(std::vector<std::string>& into);
    // "--time-scale X": every wait lasts X times its nominal length.
    void addTimeScale();

    // Parses; false after a usage error was printed (the command then ends with kExitUsage).
    bool parse(const std::vector<std::string>& args);
    // The time scale given (1 without the option); 0 after a usage error for a value that is not a
    // positive number.
    double timeScale();
    // Prints "zka-upgrade-cli COMMAND: error" on standard error and returns kExitUsage.
    int usageError(const std::string& error) const;
    const std::string& command() const { return command_; }

private:
    std::string command_;
    CLI::App app_;
    std::string timeScaleText_;
    CLI::Option* timeScaleOption_ = nullptr;
};

} // namespace zka::cli
