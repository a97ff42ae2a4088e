#include "cli/ReportedBatch.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <array>
#include <cstdint>
#include <fstream>
#include <optional>

namespace zka::cli {

namespace {

using json = nlohmann::json;

constexpr std::array<std::string_view, 5> kOutcomes{"completed", "skipped", "failed", "not-started", "abandoned"};

ReportedBatch refused(std::string fault)
{
    ReportedBatch batch;
    batch.fault = std::move(fault);
    return batch;
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

// A text of the report; empty for null or anything that is not a string.
std::string textOf(const json& camera, const char* key)
{
    const auto value = camera.find(key);
    return value != camera.end() && value->is_string() ? value->get<std::string>() : std::string();
}

} // namespace

ReportedBatch ReportedBatch::fromText(std::string_view reportText)
{
    const json report = json::parse(reportText.begin(), reportText.end(), nullptr, false);
    if (report.is_discarded())
        return refused("not JSON");
    if (!report.is_object() || !report.contains("cameras") || !report["cameras"].is_array()
        || !report.contains("summary") || !report["summary"].is_object())
        return refused("no \"cameras\" and \"summary\"");
    if (report.contains("schemaVersion") && report["schemaVersion"] != 1)
        return refused("a schema version other than 1");
    ReportedBatch batch;
    int number = 0;
    for (const json& camera : report["cameras"]) {
        const std::string which = "camera " + std::to_string(++number);
        if (!camera.is_object())
            return refused(which + " is not an object");
        const auto address = addressOf(camera);
        if (!address)
            return refused(which + " has no camera's address and port");
        const std::string outcome = textOf(camera, "outcome");
        if (std::find(kOutcomes.begin(), kOutcomes.end(), outcome) == kOutcomes.end())
            return refused(which + " has no known outcome");
        const json id = camera.value("id", json(number));
        batch.cameras.push_back({id.is_number_integer() ? id.get<int>() : number, *address, textOf(camera, "model"),
                                 textOf(camera, "versionBefore"), textOf(camera, "versionAfter"), outcome,
                                 textOf(camera, "detail")});
    }
    const json leftOut = report["summary"].value("leftOut", json(0));
    batch.leftOut = leftOut.is_number_integer() ? std::max(0, leftOut.get<int>()) : 0;
    return batch;
}

ReportedBatch ReportedBatch::fromFile(const std::string& path)
{
    // A report of 256 cameras is a few hundred kilobytes: anything far larger is not one.
    constexpr std::size_t kLargest = 16 << 20;
    std::ifstream in(path, std::ios::binary);
    std::string text;
    std::array<char, 65536> buffer;
    while (in && text.size() <= kLargest) {
        in.read(buffer.data(), buffer.size());
        text.append(buffer.data(), static_cast<std::size_t>(in.gcount()));
    }
    if (!in.is_open() || in.bad()) {
        ReportedBatch unread = refused("cannot be read");
        unread.readable = false;
        return unread;
    }
    if (text.size() > kLargest)
        return refused("far too large");
    return fromText(text);
}

} // namespace zka::cli
