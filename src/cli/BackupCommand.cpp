// zka-upgrade-cli backup: saves a camera's configuration file on this workstation, exactly as the
// wizard does before an upgrade with "Retain the current settings".

#include "camera/ConfigBackup.h"
#include "http/Credential.h"
#include "http/HttpTransfer.h"
#include "cli/CommandLine.h"
#include "cli/CommandRegistry.h"
#include "cli/ConsolePrompter.h"
#include "cli/LoginOptions.h"
#include "resources/PackagedResources.h"
#include "runtime/Clock.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <string>
#include <vector>

namespace zka::cli {

namespace {

constexpr int kExitFailed = 1;

bool isCameraAddress(const std::string& text)
{
    const CameraEndpoint endpoint = splitAddress(text);
    const auto isHostChar = [](char c) { return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '.' || c == '-'; };
    const auto isDigit = [](char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; };
    const long port = portNumber(endpoint);
    return !endpoint.host.empty() && std::all_of(endpoint.host.begin(), endpoint.host.end(), isHostChar)
           && !endpoint.port.empty() && endpoint.port.size() <= 5
           && std::all_of(endpoint.port.begin(), endpoint.port.end(), isDigit) && port >= 1 && port <= 65535;
}

int runBackup(const std::vector<std::string>& args)
{
    CommandLine line("backup");
    std::vector<std::string> positional;
    std::string serial;
    LoginOptions::Arguments loginArguments;
    line.addArguments(positional);
    line.app().add_option("--serial", serial);
    loginArguments.addTo(line.app());
    if (!line.parse(args))
        return CommandLine::kExitUsage;
    if (positional.size() != 1)
        return line.usageError("expected one ADDRESS[:PORT]");
    const std::string& address = positional[0];
    if (!isCameraAddress(address))
        return line.usageError("\"" + address + "\" is not an address with an optional port of 1 to 65535");
    if (serial.empty())
        return line.usageError("--serial S is needed: it names the backup file");
    std::string error;
    const auto login = LoginOptions::read(loginArguments, error);
    if (!login)
        return line.usageError(error);
    const auto credential = makeCredential(login->user, login->password);
    if (!credential)
        return line.usageError("the login is too long");

    ConsolePrompter prompter;
    PackagedResources resources(embeddedResources(), prompter);
    resources.loadSupportedModels();
    const std::string principal = resources.principalModel();
    if (principal.empty()) {
        std::fprintf(stderr, "zka-upgrade-cli backup: the packaged model list is missing\n");
        return kExitFailed;
    }

    const SystemClock clock;
    ConfigBackup backup(clock, address, ConfigBackup::cameraFilePath(principal), *credential, clock.wallTime(),
                        principal, serial, false);
    if (!backup.saveFromCamera()) {
        const std::string reason = backup.errorText().empty() ? "the configuration could not be saved" : backup.errorText();
        std::fprintf(stderr, "zka-upgrade-cli backup: %s\n", reason.c_str());
        return kExitFailed;
    }
    std::printf("%s\n", backup.localPath().c_str());
    return 0;
}

const CommandRegistration kRegistration{Command{
    "backup",
    "save a camera's configuration file on this workstation",
    "usage: zka-upgrade-cli backup ADDRESS[:PORT] --serial S --user NAME [--password-file FILE]\n"
    "\n"
    "Downloads the camera's configuration file (GET /home/l4/<model>.cfg, HTTP Basic authorization) and\n"
    "saves it as the wizard does before an upgrade, then prints the path of the saved file:\n"
    "  ROOT/VELM/ZKA FirmwareUpgrade/Configurations/<yymmddHHMM>/<model>.<serial>.cfg\n"
    "An existing file is never replaced: when that name is taken, the camera's address (then a\n"
    "number) is added to it.\n"
    "ROOT is $ProgramFiles when set and not empty, else $XDG_DATA_HOME, else ~/.local/share; it must\n"
    "exist. The folders below it are made readable by you only, and so is the file.\n"
    "\n"
    "  ADDRESS[:PORT]        the camera's address; the port is 80 when left out\n"
    "  --serial S            the camera's serial number, which names the file (characters other than\n"
    "                        letters, digits, \"-\" and \"_\" become \"_\")\n"
    "  --user NAME           the camera's administrator name\n"
    "  --password-file FILE  read the password from the first line of FILE; without this option\n"
    "                        the password comes from the environment variable ZKA_PASSWORD.\n"
    "                        A password is never taken from the command line.\n"
    "\n"
    "Exit status: 0 saved (the path is printed); 1 not saved (the reason is printed: camera\n"
    "unreachable, login refused, an HTML page instead of the configuration, a folder or the file\n"
    "could not be written); 64 usage error.\n",
    runBackup,
}};

} // namespace

} // namespace zka::cli
