#include "cli/LoginOptions.h"

#include "cli/SecretFile.h"

#include <CLI/CLI.hpp>

#include <cstdlib>

namespace zka::cli {

void LoginOptions::Arguments::addTo(CLI::App& app)
{
    program = app.get_name();
    userOption = app.add_option("--user", user);
    passwordFileOption = app.add_option("--password-file", passwordFile);
}

bool LoginOptions::Arguments::userGiven() const
{
    return userOption != nullptr && userOption->count() != 0;
}

std::optional<LoginOptions> LoginOptions::read(const Arguments& args, std::string& error, std::size_t maxLength)
{
    LoginOptions login;
    login.user = args.user;
    if (login.user.empty()) {
        error = "--user NAME is required";
        return std::nullopt;
    }
    if (args.passwordFileOption != nullptr && args.passwordFileOption->count() != 0) {
        const std::string& path = args.passwordFile;
        const auto file = SecretFile::read(path, "password file", kMaxPasswordFileBytes, error);
        if (!file)
            return std::nullopt;
        login.password = file->text.substr(0, file->text.find('\n'));
        if (!login.password.empty() && login.password.back() == '\r')
            login.password.pop_back();
        if (file->readableByOthers)
            warnReadableByOthers(args.program, "password file", path);
    } else if (const char* fromEnvironment = std::getenv(kPasswordVariable)) {
        login.password = fromEnvironment;
    } else {
        error = std::string("give the password with --password-file FILE or in ") + kPasswordVariable;
        return std::nullopt;
    }
    if (login.password.empty()) {
        error = "the password is empty";
        return std::nullopt;
    }
    if (login.user.size() > maxLength || login.password.size() > maxLength) {
        error = "administrator names and passwords hold at most " + std::to_string(maxLength) + " characters";
        return std::nullopt;
    }
    return login;
}

} // namespace zka::cli
