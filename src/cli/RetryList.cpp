#include "cli/RetryList.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <array>
#include <cstdint>
#include <optional>

namespace zka::cli {

namespace {

using json = nlohmann::json;

constexpr std::array<std::string_view, 5> kOutcomes{"completed", "skipped", "failed", "not-started", "abandoned"};

RetryList refused(std::string fault)
{
    RetryList list;
    list.fault = std::move(fault);
    return list;
}

// The camera's address and port as an address list line, so that both are checked as a targets
// file's are; nullopt when they are not what a report of ours holds.
std::optional<CameraAddress> addressOf(const json& camera)
{
    const auto address = camera.find("address");
    const auto port = camera.find("port");
    if (address == camera.end() || !address->is_string() || port == camera.end() || !port->is_number_integer())
        return std::nullopt;
    const std::string text = address->get<std::string>();
    const std::int64_t number = port->get<std::int64_t>();
    // The list would read a port it cannot take, "-1", as none: 80.
    if (text.find_first_not_of("0123456789.") != std::string::npos || number < 1 || number > 65535)
        return std::nullopt;
    CameraAddressList line;
    if (!line.readText(text + ":" + std::to_string(number)) || line.entries().size() != 1)
        return std::nullopt;
    return line.entries().front();
}

} // namespace

RetryList RetryList::fromReport(std::string_view reportText)
{
    const json report = json::parse(reportText.begin(), reportText.end(), nullptr, false);
    if (report.is_discarded())
        return refused("not JSON");
    if (!report.is_object() || !report.contains("cameras") || !report["cameras"].is_array()
        || !report.contains("summary") || !report["summary"].is_object())
        return refused("no \"cameras\" and \"summary\"");
    if (report.contains("schemaVersion") && report["schemaVersion"] != 1)
        return refused("a schema version other than 1");
    RetryList list;
    int number = 0;
    for (const json& camera : report["cameras"]) {
        const std::string which = "camera " + std::to_string(++number);
        if (!camera.is_object())
            return refused(which + " is not an object");
        const auto address = addressOf(camera);
        if (!address)
            return refused(which + " has no camera's address and port");
        const auto outcome = camera.find("outcome");
        if (outcome == camera.end() || !outcome->is_string()
            || std::find(kOutcomes.begin(), kOutcomes.end(), outcome->get<std::string>()) == kOutcomes.end())
            return refused(which + " has no known outcome");
        if (*outcome != "completed" && *outcome != "skipped")
            list.cameras.push_back(*address);
    }
    const json leftOut = report["summary"].value("leftOut", json(0));
    list.leftOut = leftOut.is_number_integer() ? leftOut.get<int>() : 0;
    return list;
}

} // namespace zka::cli
