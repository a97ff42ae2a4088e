// zka-upgrade-cli package: the firmware package compiled into the program.
#include "cli/CommandLine.h"
#include "cli/CommandRegistry.h"
#include "cli/ConsolePrompter.h"
#include "cli/ReplacedFile.h"
#include "resources/PackagedResources.h"

#include <cstdio>
#include <string>
#include <string_view>

namespace zka::cli {

namespace {

int runPackage(const std::vector<std::string>& args)
{
    CommandLine line("package");
    std::vector<std::string> positional;
    std::string extractPath;
    line.addArguments(positional);
    const CLI::Option* extract = line.app().add_option("--extract", extractPath);
    if (!line.parse(args))
        return CommandLine::kExitUsage;
    if (!positional.empty())
        return line.usageError("unexpected argument");

    ConsolePrompter prompter;
    PackagedResources resources(embeddedResources(), prompter);
    resources.loadPackageNames();
    resources.loadFirmwarePackages();
    if (!resources.isLoaded(0)) {
        std::fprintf(stderr, "zka-upgrade-cli package: the firmware package is missing or damaged\n");
        return 1;
    }
    const auto package = resources.packageData()[0];

    if (extract->count() != 0) {
        const std::string& path = extractPath;
        const std::string_view bytes(reinterpret_cast<const char*>(package.data()), package.size());
        // A failure leaves whatever was at the path before as it was.
        if (const auto failure = replaceFile(path, bytes); !failure.empty()) {
            std::fprintf(stderr, "zka-upgrade-cli package: cannot write %s: %s\n", path.c_str(), failure.c_str());
            return 1;
        }
        std::printf("wrote %zu bytes to %s\n", package.size(), path.c_str());
        return 0;
    }
    // Loading verified the package against the digest recorded at build time, so that is its digest.
    std::printf("size %zu\nsha256 %s\n", package.size(), std::string(builtPackageSha256()).c_str());
    return 0;
}

const CommandRegistration registration{Command{
    "package",
    "show or extract the firmware package the program carries",
    "usage: zka-upgrade-cli package [--extract FILE]\n\n"
    "Loads the firmware package compiled into the program and checks its SHA-256.\n"
    "Without options, prints its size and SHA-256:\n"
    "  size 10014720\n"
    "  sha256 <64 hexadecimal digits>\n"
    "--extract FILE  writes the package bytes (a tar archive) to FILE instead.\n\n"
    "Exit status: 0 on success; 1 when the package is missing or damaged or FILE cannot be\n"
    "written (FILE is then left as it was); 64 on a usage error.\n",
    runPackage,
}};

} // namespace

} // namespace zka::cli
