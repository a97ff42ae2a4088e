#include "cli/LoginsFile.h"

#include "cli/SecretFile.h"

#include <sstream>

namespace zka::cli {

bool LoginsFile::read(const std::string& path, std::string& error)
{
    logins_.clear();
    const auto file = SecretFile::read(path, "logins file", kMaxFileBytes, error);
    if (!file)
        return false;
    readableByOthers_ = file->readableByOthers;

    std::istringstream lines(file->text);
    std::string line;
    for (int number = 1; std::getline(lines, line); ++number) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (!readLine(line, error)) {
            error = path + ":" + std::to_string(number) + ": " + error;
            return false;
        }
    }
    return true;
}

bool LoginsFile::readLine(const std::string& line, std::string& error)
{
    std::istringstream fields(line);
    std::string address;
    LoginOptions login;
    std::string extra;
    if (!(fields >> address) || address.front() == '#')
        return true;
    if (!(fields >> login.user >> login.password) || (fields >> extra))
        return error = "expected ADDRESS[:PORT] NAME PASSWORD", false;
    CameraAddressList parsed;
    if (address.find(',') != std::string::npos || !parsed.readText(address) || parsed.entries().size() != 1)
        return error = "\"" + address + "\" is not an address with an optional port of 80 or 1024 to 65535", false;
    if (login.user.size() > LoginOptions::kMaxLength || login.password.size() > LoginOptions::kMaxLength)
        return error = "names and passwords hold at most 16 characters", false;
    const CameraAddress& camera = parsed.entries().front();
    if (find(camera) != nullptr)
        return error = "a second login for " + address, false;
    logins_.emplace_back(camera, std::move(login));
    return true;
}

const LoginOptions* LoginsFile::find(const CameraAddress& camera) const
{
    for (const auto& [address, login] : logins_) {
        if (address == camera)
            return &login;
    }
    return nullptr;
}

} // namespace zka::cli
