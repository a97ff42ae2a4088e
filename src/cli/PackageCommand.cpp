// zka-upgrade-cli package: the firmware package compiled into the program.
#include "cli/CommandLine.h"
#include "cli/CommandRegistry.h"
#include "cli/ConsolePrompter.h"
#include "resources/PackagedResources.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>

namespace zka::cli {

namespace {

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

// Writes the bytes to `path`; on failure returns the reason and removes the partial file.
std::string writePackage(const std::string& path, std::span<const std::uint8_t> bytes)
{
    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "wb"));
    if (!file)
        return std::strerror(errno);
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file.get()) == bytes.size();
    int error = written ? 0 : errno;
    if (std::fflush(file.get()) != 0 && error == 0)
        error = errno;
    if (std::fclose(file.release()) != 0 && error == 0)
        error = errno;
    if (!written || error != 0) {
        std::error_code ignored;
        if (std::filesystem::is_regular_file(path, ignored))
            std::filesystem::remove(path, ignored);
        return error != 0 ? std::strerror(error) : "short write";
    }
    return {};
}

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
        if (const auto failure = writePackage(path, package); !failure.empty()) {
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
    "written (nothing is left behind); 64 on a usage error.\n",
    runPackage,
}};

} // namespace

} // namespace zka::cli
