// zka-upgrade-cli inquire: one inquiry to a camera, as the wizard makes it, with the reply printed.

#include "camera/CameraContext.h"
#include "http/Credential.h"
#include "http/HttpTransfer.h"
#include "cli/CliArgs.h"
#include "cli/CommandRegistry.h"
#include "cli/ConsolePrompter.h"
#include "cli/LoginOptions.h"
#include "resources/ResourceText.h"
#include "runtime/EventLoop.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <string>
#include <vector>

namespace zka::cli {

namespace {

constexpr Clock::Duration kInquiryTimeout{20000};

// Exit statuses besides 0 (a reply came) and 64 (usage).
constexpr int kExitRefused = 2;
constexpr int kExitNoReply = 3;
constexpr int kExitUsage = 64;

// An inquiry posts no navigation; the command has no pages to move.
class NoNavigation final : public HostEvents {
public:
    void postNavigate(int, int) override {}
};

int usageError(const std::string& error)
{
    std::fprintf(stderr, "zka-upgrade-cli inquire: %s\n", error.c_str());
    return kExitUsage;
}

// A host name or dotted address, optionally followed by ":" and a port of 1 to 65535.
bool isCameraAddress(const std::string& text)
{
    const CameraEndpoint endpoint = splitAddress(text);
    const bool hostOk = !endpoint.host.empty() && std::all_of(endpoint.host.begin(), endpoint.host.end(), [](char c) {
        return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '.' || c == '-';
    });
    const bool portDigits = !endpoint.port.empty() && endpoint.port.size() <= 5
                            && std::all_of(endpoint.port.begin(), endpoint.port.end(),
                                           [](char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; });
    const long port = portNumber(endpoint);
    return hostOk && portDigits && port >= 1 && port <= 65535;
}

int runInquire(const std::vector<std::string>& args)
{
    std::string error;
    const auto parsed = CliArgs::parse(args, {LoginOptions::kUserOption, LoginOptions::kPasswordFileOption, "time-scale"}, {},
                                       error);
    if (!parsed)
        return usageError(error);
    const auto& positional = parsed->positional();
    if (positional.size() != 2)
        return usageError("expected ADDRESS[:PORT] and one of system, user, network");
    const std::string& address = positional[0];
    const std::string& kind = positional[1];
    if (!isCameraAddress(address))
        return usageError("\"" + address + "\" is not an address with an optional port of 1 to 65535");
    if (kind != "system" && kind != "user" && kind != "network")
        return usageError("the inquiry is one of system, user, network, not \"" + kind + "\"");
    double timeScale = 1.0;
    if (parsed->has("time-scale")) {
        timeScale = parseTimeScale(parsed->value("time-scale").c_str());
        if (timeScale == 0.0)
            return usageError("--time-scale needs a positive number");
    }
    // The login is bounded here only by what the credential field holds.
    const auto login = LoginOptions::read(*parsed, error, kMaxLoginBytes);
    if (!login)
        return usageError(error);
    const auto credential = makeCredential(login->user, login->password);
    if (!credential) {
        return usageError("the login is too long: \"name:password\" may hold at most " + std::to_string(kMaxLoginBytes)
                          + " bytes");
    }

    SystemClock clock(timeScale);
    EventLoop loop(clock);
    NoNavigation events;
    ConsolePrompter prompter;
    const ResourceText texts(embeddedResources(), prompter);
    const SupportedModels noModels;
    CameraContext context(CameraHost{clock, loop, events, prompter, texts}, address, *credential, noModels);
    const std::string reply = context.runQuery("inq=" + kind, kInquiryTimeout);
    if (reply.empty()) {
        std::fprintf(stderr, "zka-upgrade-cli inquire: no reply from %s\n", address.c_str());
        return kExitNoReply;
    }
    std::printf("%s\n", reply.c_str());
    return reply == "401 Unauthorized" ? kExitRefused : 0;
}

const CommandRegistration kRegistration{Command{
    "inquire",
    "ask a camera about itself (system, user or network inquiry)",
    "usage: zka-upgrade-cli inquire ADDRESS[:PORT] system|user|network --user NAME\n"
    "                               [--password-file FILE] [--time-scale X]\n"
    "\n"
    "Sends one inquiry to the camera's command interface (POST /command/inquiry.cgi with the body\n"
    "\"inq=system\", \"inq=user\" or \"inq=network\"), authorized with HTTP Basic authorization, and\n"
    "prints the camera's reply as it came (at most 5120 bytes).\n"
    "\n"
    "  ADDRESS[:PORT]        the camera's address; the port is 80 when left out\n"
    "  --user NAME           the camera's administrator name\n"
    "  --password-file FILE  read the password from the first line of FILE; without this option\n"
    "                        the password comes from the environment variable ZKA_PASSWORD.\n"
    "                        A password is never taken from the command line.\n"
    "  --time-scale X        run the 20000 ms time-out X times as fast (default 1)\n"
    "\n"
    "\"name:password\" may hold at most 57 bytes. Options may stand before or after the arguments.\n"
    "\n"
    "Exit status: 0 a reply came; 2 the camera refused the login (\"401 Unauthorized\" is printed);\n"
    "3 no reply (camera unreachable or silent for 20000 ms); 64 usage error.\n",
    runInquire,
}};

} // namespace

} // namespace zka::cli
