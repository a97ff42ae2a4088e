#pragma once

#include <cstddef>
#include <optional>
#include <string>

namespace CLI {
class App;
class Option;
} // namespace CLI

namespace zka::cli {

// The camera login of a command: "--user NAME" and the password from "--password-file FILE" (its
// first line) or, without that option, from the environment variable ZKA_PASSWORD. The password is
// never taken from the command line, where other users of the machine could read it. A password
// file that others may read is used, with a warning on standard error.
struct LoginOptions {
    std::string user;
    std::string password;

    static constexpr const char* kPasswordVariable = "ZKA_PASSWORD";
    // Administrator names and passwords hold at most 16 characters.
    static constexpr std::size_t kMaxLength = 16;
    // A password file is read up to this size; a longer one is refused.
    static constexpr std::size_t kMaxPasswordFileBytes = 4096;

    // The two options as a command line gives them.
    struct Arguments {
        std::string user;
        std::string passwordFile;
        std::string program; // "zka-upgrade-cli COMMAND", the prefix of a warning
        const CLI::Option* userOption = nullptr;
        const CLI::Option* passwordFileOption = nullptr;

        void addTo(CLI::App& app);
        bool userGiven() const;
    };

    // Nullopt with a reason when the user or the password is missing, empty, too long or unreadable.
    // maxLength bounds each of them in bytes (commands that talk to a camera without the wizard's
    // limit pass a larger one).
    static std::optional<LoginOptions> read(const Arguments& args, std::string& error, std::size_t maxLength = kMaxLength);

    // "name:password", the text whose Base64 encoding is the Basic credential.
    std::string credentialPlain() const { return user + ":" + password; }
};

} // namespace zka::cli
