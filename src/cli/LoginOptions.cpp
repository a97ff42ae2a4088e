#include "cli/LoginOptions.h"

#include <CLI/CLI.hpp>

#include <cstdlib>
#include <fstream>

namespace zka::cli {

namespace {

bool readFirstLine(const std::string& path, std::string& line)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    std::getline(in, line);
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    return !in.bad();
}

} // namespace

void LoginOptions::Arguments::addTo(CLI::App& app)
{
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
        if (!readFirstLine(path, login.password)) {
            error = "cannot read the password file \"" + path + "\"";
            return std::nullopt;
        }
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
