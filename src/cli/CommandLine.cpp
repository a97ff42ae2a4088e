#include "cli/CommandLine.h"

#include "runtime/Clock.h"

#include <cstdio>

namespace zka::cli {

CommandLine::CommandLine(std::string command)
    : command_(std::move(command))
    , app_("zka-upgrade-cli " + command_)
{
    // The command's help text is printed before parsing; CLI11's own would differ from it.
    app_.set_help_flag();
    // The program's name for what reads it from the options (the prefix of a warning).
    app_.name("zka-upgrade-cli " + command_);
    app_.option_defaults()->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);
}

void CommandLine::addArguments(std::vector<std::string>& into)
{
    app_.add_option("arguments", into);
}

void CommandLine::addTimeScale()
{
    timeScaleOption_ = app_.add_option("--time-scale", timeScaleText_);
}

bool CommandLine::parse(const std::vector<std::string>& args)
{
    // CLI11 takes the arguments last first.
    std::vector<std::string> reversed(args.rbegin(), args.rend());
    try {
        app_.parse(reversed);
    } catch (const CLI::ParseError& error) {
        usageError(error.what());
        return false;
    }
    return true;
}

double CommandLine::timeScale()
{
    if (timeScaleOption_ == nullptr || timeScaleOption_->count() == 0)
        return 1.0;
    const double scale = parseTimeScale(timeScaleText_.c_str());
    if (scale == 0.0)
        usageError("--time-scale needs a positive number");
    return scale;
}

int CommandLine::usageError(const std::string& error) const
{
    std::fprintf(stderr, "zka-upgrade-cli %s: %s\n", command_.c_str(), error.c_str());
    return kExitUsage;
}

} // namespace zka::cli
