// zka-upgrade-cli report: the batch reports of several segments (one per report) as one fleet table.
#include "cli/CommandLine.h"
#include "cli/CommandRegistry.h"
#include "cli/FleetTable.h"
#include "cli/ReplacedFile.h"
#include "cli/ReportedBatch.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

namespace zka::cli {

namespace {

namespace fs = std::filesystem;

struct ReportSource {
    std::string path;
    std::string label;
    fs::path identity; // the path made absolute and normal, to match --label and to read a file once
};

fs::path identityOf(const std::string& path)
{
    std::error_code error;
    const fs::path canonical = fs::weakly_canonical(path, error);
    return error ? fs::path(path).lexically_normal() : canonical;
}

void addSource(std::vector<ReportSource>& sources, const fs::path& path)
{
    const fs::path identity = identityOf(path.string());
    if (std::none_of(sources.begin(), sources.end(), [&](const ReportSource& s) { return s.identity == identity; }))
        sources.push_back({path.string(), path.stem().string(), identity});
}

// The reports named: files as given, folders for their *.json in name order. Nullopt after the
// fault was printed.
std::optional<std::vector<ReportSource>> gatherSources(const CommandLine& line, const std::vector<std::string>& paths)
{
    std::vector<ReportSource> sources;
    for (const std::string& path : paths) {
        std::error_code error;
        if (!fs::is_directory(path, error)) {
            addSource(sources, path);
            continue;
        }
        std::vector<fs::path> found;
        for (const fs::directory_entry& entry : fs::directory_iterator(path, error)) {
            if (entry.path().extension() == ".json" && !entry.is_directory())
                found.push_back(entry.path());
        }
        if (error) {
            line.usageError(path + ": cannot read the folder: " + error.message());
            return std::nullopt;
        }
        if (found.empty()) {
            line.usageError(path + ": the folder holds no report (*.json)");
            return std::nullopt;
        }
        std::sort(found.begin(), found.end());
        for (const fs::path& file : found)
            addSource(sources, file);
    }
    return sources;
}

// Applies "--label NAME=FILE"; false after the fault was printed.
bool applyLabels(const CommandLine& line, const std::vector<std::string>& labels, std::vector<ReportSource>& sources)
{
    for (const std::string& label : labels) {
        const auto equals = label.find('=');
        if (equals == std::string::npos || equals == 0 || equals + 1 == label.size()) {
            line.usageError("--label takes NAME=FILE, not \"" + label + "\"");
            return false;
        }
        const fs::path identity = identityOf(label.substr(equals + 1));
        const auto source = std::find_if(sources.begin(), sources.end(),
                                         [&](const ReportSource& s) { return s.identity == identity; });
        if (source == sources.end()) {
            line.usageError("--label " + label + ": the file is not one of the reports read");
            return false;
        }
        source->label = label.substr(0, equals);
    }
    return true;
}

int runReport(const std::vector<std::string>& args)
{
    CommandLine line("report");
    std::vector<std::string> paths;
    std::vector<std::string> labels;
    std::string csvPath;
    line.addArguments(paths);
    line.app().add_option("--label", labels)->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
    const CLI::Option* csvOption = line.app().add_option("--csv", csvPath);
    if (!line.parse(args))
        return CommandLine::kExitUsage;
    if (paths.empty())
        return line.usageError("give one or more reports of zka-upgrade-cli batch, or folders of them");
    auto sources = gatherSources(line, paths);
    if (!sources || !applyLabels(line, labels, *sources))
        return CommandLine::kExitUsage;

    FleetTable table;
    for (const ReportSource& source : *sources) {
        const ReportedBatch batch = ReportedBatch::fromFile(source.path);
        if (!batch.fault.empty())
            return line.usageError(source.path + ": not a report of zka-upgrade-cli batch: " + batch.fault);
        table.add(source.label, batch);
    }
    std::fputs(table.text().c_str(), stdout);
    std::fflush(stdout);
    if (csvOption->count() != 0) {
        if (const std::string failure = replaceFile(csvPath, table.csv()); !failure.empty()) {
            std::fprintf(stderr, "zka-upgrade-cli report: cannot write \"%s\": %s\n", csvPath.c_str(), failure.c_str());
            return 1;
        }
    }
    return table.totals().allDone() ? 0 : 1;
}

const CommandRegistration registration{Command{
    "report",
    "one fleet table from the batch reports of several segments",
    "usage: zka-upgrade-cli report REPORT... [--label NAME=FILE]... [--csv FILE]\n"
    "\n"
    "Reads the JSON reports that \"zka-upgrade-cli batch --report\" wrote, one per network segment,\n"
    "and prints one table of their cameras: segment, ID, address, model, version before -> after,\n"
    "outcome and the cause of a failure, then the totals of each segment and of all of them.\n"
    "\n"
    "  REPORT             a report, or a folder whose *.json files are read in name order\n"
    "  --label NAME=FILE  call the segment of the report FILE NAME; without it a segment is called\n"
    "                     by its file's name without \".json\"\n"
    "  --csv FILE         also write the table as CSV to FILE, for a spreadsheet\n"
    "\n"
    "Only reports of schema version 1 are read.\n"
    "\n"
    "Exit status: 0 every camera completed or was skipped; 1 any did not, or the CSV file could not\n"
    "be written; 64 usage error, also a file that cannot be read or is not such a report (named in\n"
    "the message).\n",
    runReport,
}};

} // namespace

} // namespace zka::cli
