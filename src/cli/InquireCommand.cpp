// zka-upgrade-cli inquire: one inquiry to a camera, as the wizard makes it, with the reply printed.

#include "camera/CameraClient.h"
#include "http/Credential.h"
#include "http/HttpTransfer.h"
#include "cli/CommandLine.h"
#include "cli/CommandRegistry.h"
#include "cli/LoginOptions.h"
#include "cli/TerminalText.h"

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
    CommandLine line("inquire");
    std::vector<std::string> positional;
    LoginOptions::Arguments loginArguments;
    line.addArguments(positional);
    loginArguments.addTo(line.app());
    line.addTimeScale();
    if (!line.parse(args))
        return CommandLine::kExitUsage;
    if (positional.size() != 2)
        return line.usageError("expected ADDRESS[:PORT] and one of system, user, network");
    const std::string& address = positional[0];
    const std::string& kind = positional[1];
    if (!isCameraAddress(address))
        return line.usageError("\"" + address + "\" is not an address with an optional port of 1 to 65535");
    if (kind != "system" && kind != "user" && kind != "network")
        return line.usageError("the inquiry is one of system, user, network, not \"" + kind + "\"");
    const double timeScale = line.timeScale();
    if (timeScale == 0.0)
        return CommandLine::kExitUsage;
    // The login is bounded here only by what the credential field holds.
    std::string error;
    const auto login = LoginOptions::read(loginArguments, error, kMaxLoginBytes);
    if (!login)
        return line.usageError(error);
    const auto credential = makeCredential(login->user, login->password);
    if (!credential) {
        return line.usageError("the login is too long: \"name:password\" may hold at most "
                               + std::to_string(kMaxLoginBytes) + " bytes");
    }

    SystemClock clock(timeScale);
    CameraClient client(clock, address, *credential);
    const std::string reply = client.query("inq=" + kind, kInquiryTimeout).text;
    if (reply.empty()) {
        std::fprintf(stderr, "zka-upgrade-cli inquire: no reply from %s\n", address.c_str());
        return kExitNoReply;
    }
    // The reply is the camera's text: on a terminal its control characters are shown, not obeyed.
    const std::string shown = standardOutputIsTerminal() ? escapeControls(reply, "\t\r\n") : reply;
    std::fwrite(shown.data(), 1, shown.size(), stdout);
    std::fputc('\n', stdout);
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
    "prints the camera's reply as it came (at most 5120 bytes). On a terminal, control characters\n"
    "other than tabs and line ends are shown as \\xHH.\n"
    "\n"
    "  ADDRESS[:PORT]        the camera's address; the port is 80 when left out\n"
    "  --user NAME           the camera's administrator name\n"
    "  --password-file FILE  read the password from the first line of FILE; without this option\n"
    "                        the password comes from the environment variable ZKA_PASSWORD.\n"
    "                        A password is never taken from the command line.\n"
    "  --time-scale X        make the 20000 ms time-out last X times as long (default 1)\n"
    "\n"
    "\"name:password\" may hold at most 57 bytes. Options may stand before or after the arguments.\n"
    "\n"
    "Exit status: 0 a reply came; 2 the camera refused the login (\"401 Unauthorized\" is printed);\n"
    "3 no reply (camera unreachable or silent for 20000 ms); 64 usage error.\n",
    runInquire,
}};

} // namespace

} // namespace zka::cli
