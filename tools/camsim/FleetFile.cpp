#include "camsim/FleetFile.h"

#include "camsim/CameraDefaults.h"
#include "camsim/Fleet.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <map>
#include <sstream>
#include <utility>

namespace zka::camsim {

namespace {

std::string trim(const std::string& text)
{
    const auto first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos)
        return {};
    return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

bool unescape(const std::string& value, std::string& out, std::string& problem)
{
    out.clear();
    for (std::size_t i = 0; i < value.size(); ++i) {
        if (value[i] != '\\') {
            out += value[i];
            continue;
        }
        if (++i == value.size())
            return problem = "a lone backslash ends the value", false;
        switch (value[i]) {
        case 'n': out += '\n'; break;
        case 'r': out += '\r'; break;
        case 't': out += '\t'; break;
        case '\\': out += '\\'; break;
        case 'x': {
            const std::string digits = value.substr(i + 1, 2);
            char* end = nullptr;
            const long byte = std::strtol(digits.c_str(), &end, 16);
            if (digits.size() != 2 || *end != '\0')
                return problem = "\\x needs two hexadecimal digits", false;
            out += static_cast<char>(byte);
            i += 2;
            break;
        }
        default:
            return problem = std::string("unknown escape \\") + value[i], false;
        }
    }
    return true;
}

bool toBool(const std::string& value, bool& out, std::string& problem)
{
    if (value == "true" || value == "false") {
        out = value == "true";
        return true;
    }
    return problem = "expected true or false, not \"" + value + "\"", false;
}

bool toInt(const std::string& value, int low, int high, int& out, std::string& problem)
{
    char* end = nullptr;
    errno = 0;
    const long number = std::strtol(value.c_str(), &end, 10);
    if (value.empty() || *end != '\0' || errno != 0 || number < low || number > high)
        return problem = "expected a whole number from " + std::to_string(low) + " to " + std::to_string(high)
                   + ", not \"" + value + "\"",
               false;
    out = static_cast<int>(number);
    return true;
}

bool toSeconds(const std::string& value, double& out, std::string& problem)
{
    char* end = nullptr;
    const double number = std::strtod(value.c_str(), &end);
    if (value.empty() || *end != '\0' || !std::isfinite(number) || number < 0 || number > 1e6)
        return problem = "expected a number of seconds, not \"" + value + "\"", false;
    out = number;
    return true;
}

bool toAfterUpgrade(const std::string& value, AfterUpgrade& out, std::string& problem)
{
    static const std::map<std::string, AfterUpgrade> kNames = {
        {"NewVersion", AfterUpgrade::NewVersion},     {"OldVersion", AfterUpgrade::OldVersion},
        {"NeverBack", AfterUpgrade::NeverBack},       {"RefuseConnections", AfterUpgrade::RefuseConnections},
        {"HangInquiries", AfterUpgrade::HangInquiries}, {"Immediate", AfterUpgrade::Immediate},
    };
    const auto found = kNames.find(value);
    if (found == kNames.end())
        return problem = "expected NewVersion, OldVersion, NeverBack, RefuseConnections, HangInquiries or "
                         "Immediate, not \"" + value + "\"",
               false;
    out = found->second;
    return true;
}

using Setter = std::function<bool(CameraSpec&, const std::string&, std::string&)>;

Setter text(std::string CameraSpec::*field)
{
    return [field](CameraSpec& c, const std::string& v, std::string& p) { return unescape(v, c.*field, p); };
}

Setter flag(bool CameraSpec::*field)
{
    return [field](CameraSpec& c, const std::string& v, std::string& p) { return toBool(v, c.*field, p); };
}

Setter number(int CameraSpec::*field, int low, int high)
{
    return [=](CameraSpec& c, const std::string& v, std::string& p) { return toInt(v, low, high, c.*field, p); };
}

Setter seconds(double CameraSpec::*field)
{
    return [field](CameraSpec& c, const std::string& v, std::string& p) { return toSeconds(v, c.*field, p); };
}

const std::map<std::string, Setter>& setters()
{
    static const std::map<std::string, Setter> kSetters = {
        {"reportedAddress", text(&CameraSpec::reportedAddress)},
        {"webPort", number(&CameraSpec::webPort, 1, 65535)},
        {"model", text(&CameraSpec::model)},
        {"serial", text(&CameraSpec::serial)},
        {"mac", text(&CameraSpec::mac)},
        {"softVersion", text(&CameraSpec::softVersion)},
        {"newVersion", text(&CameraSpec::newVersion)},
        {"docType", text(&CameraSpec::docType)},
        {"panTilt", flag(&CameraSpec::panTilt)},
        {"dhcp", flag(&CameraSpec::dhcp)},
        {"dnsAuto", flag(&CameraSpec::dnsAuto)},
        {"adminUser", text(&CameraSpec::adminUser)},
        {"adminPassword", text(&CameraSpec::adminPassword)},
        {"userName", text(&CameraSpec::userName)},
        {"userPassword", text(&CameraSpec::userPassword)},
        {"answersDiscovery", flag(&CameraSpec::answersDiscovery)},
        {"reportsWebPort", flag(&CameraSpec::reportsWebPort)},
        {"oversizedDatagram", flag(&CameraSpec::oversizedDatagram)},
        {"zeroBeforeModel", flag(&CameraSpec::zeroBeforeModel)},
        {"ackNak", flag(&CameraSpec::ackNak)},
        {"discoveryRepeats", number(&CameraSpec::discoveryRepeats, 0, 100)},
        {"systemInquiryOpen", flag(&CameraSpec::systemInquiryOpen)},
        {"notACamera", flag(&CameraSpec::notACamera)},
        {"slowAnswerSeconds", seconds(&CameraSpec::slowAnswerSeconds)},
        {"userInquirySeconds", seconds(&CameraSpec::userInquirySeconds)},
        {"oversizedInquiry", flag(&CameraSpec::oversizedInquiry)},
        {"htmlInsteadOfConfig", flag(&CameraSpec::htmlInsteadOfConfig)},
        {"emptyConfig", flag(&CameraSpec::emptyConfig)},
        {"silentConfig", flag(&CameraSpec::silentConfig)},
        {"configTrickleMs", number(&CameraSpec::configTrickleMs, 0, 3600000)},
        {"configuration", text(&CameraSpec::configuration)},
        {"restoreRefusals", number(&CameraSpec::restoreRefusals, 0, 1000)},
        {"silentAfterRestore", flag(&CameraSpec::silentAfterRestore)},
        {"upgradeSteps", number(&CameraSpec::upgradeSteps, 0, 10000)},
        {"stepSeconds", seconds(&CameraSpec::stepSeconds)},
        {"rebootSeconds", seconds(&CameraSpec::rebootSeconds)},
        {"dropDuringUpload", flag(&CameraSpec::dropDuringUpload)},
        {"stallDuringUpload", flag(&CameraSpec::stallDuringUpload)},
        {"uploadBytesPerSecond", number(&CameraSpec::uploadBytesPerSecond, 0, 1 << 30)},
        {"dropAfterUpload", flag(&CameraSpec::dropAfterUpload)},
        {"answerNeverEnds", flag(&CameraSpec::answerNeverEnds)},
        {"afterUpgrade", [](CameraSpec& c, const std::string& v, std::string& p) {
             return toAfterUpgrade(v, c.afterUpgrade, p);
         }},
    };
    return kSetters;
}

} // namespace

bool FleetFile::set(CameraSpec& camera, const std::string& key, const std::string& value, std::string& problem)
{
    if (key == "address")
        return problem = "the address is given in the section header, [camera A.B.C.D]", false;
    const auto setter = setters().find(key);
    if (setter == setters().end())
        return problem = "unknown key \"" + key + "\"", false;
    return setter->second(camera, value, problem);
}

bool FleetFile::parse(const std::string& text, const std::string& name, std::vector<CameraSpec>& cameras,
                      std::string& error)
{
    std::vector<std::pair<std::string, std::string>> defaults;
    std::vector<CameraSpec> parsed;
    std::vector<int> sectionLines;
    enum class Section { None, Defaults, Camera } section = Section::None;
    std::istringstream lines(text);
    std::string line;
    int number = 0;
    const auto fail = [&](const std::string& problem) {
        error = name + ":" + std::to_string(number) + ": " + problem;
        return false;
    };
    while (std::getline(lines, line)) {
        ++number;
        const std::string content = trim(line);
        if (content.empty() || content[0] == '#')
            continue;
        if (content.front() == '[') {
            if (content.back() != ']')
                return fail("a section header ends with ]");
            const std::string header = trim(content.substr(1, content.size() - 2));
            if (header == "defaults") {
                section = Section::Defaults;
                continue;
            }
            if (header.rfind("camera ", 0) != 0)
                return fail("expected [defaults] or [camera A.B.C.D], not " + content);
            const std::string address = trim(header.substr(7));
            if (!CameraDefaults::parseAddress(address))
                return fail("\"" + address + "\" is not a dotted IPv4 address");
            CameraSpec camera = CameraDefaults::cameraAt(address);
            for (const auto& [key, value] : defaults) {
                std::string problem;
                set(camera, key, value, problem); // checked when the defaults were read
            }
            parsed.push_back(std::move(camera));
            sectionLines.push_back(number);
            section = Section::Camera;
            continue;
        }
        const auto equals = content.find('=');
        if (equals == std::string::npos)
            return fail("expected key = value, a section header or a # comment");
        const std::string key = trim(content.substr(0, equals));
        const std::string value = trim(content.substr(equals + 1));
        std::string problem;
        if (section == Section::None)
            return fail("key = value before any [defaults] or [camera A.B.C.D] section");
        if (section == Section::Defaults) {
            CameraSpec scratch;
            if (!set(scratch, key, value, problem))
                return fail(problem);
            defaults.emplace_back(key, value);
        } else if (!set(parsed.back(), key, value, problem)) {
            return fail(problem);
        }
    }
    for (std::size_t i = 0; i < parsed.size(); ++i) {
        for (std::size_t j = 0; j < i; ++j) {
            if (parsed[i].address == parsed[j].address && parsed[i].webPort == parsed[j].webPort) {
                number = sectionLines[i];
                return fail("camera " + parsed[i].address + ":" + std::to_string(parsed[i].webPort)
                            + " is already defined at line " + std::to_string(sectionLines[j]));
            }
        }
    }
    cameras.insert(cameras.end(), parsed.begin(), parsed.end());
    return true;
}

bool loadFleetFile(const std::string& path, std::vector<CameraSpec>& cameras, std::string& error)
{
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        error = path + ": cannot be read";
        return false;
    }
    std::ostringstream text;
    text << file.rdbuf();
    return FleetFile::parse(text.str(), path, cameras, error);
}

} // namespace zka::camsim
