// The cameras a retry takes from an earlier batch report, and the texts that are no report of ours.
#include "cli/RetryList.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <string>
#include <vector>

namespace zka::cli {
namespace {

using nlohmann::json;

json camera(const std::string& address, int port, const std::string& outcome)
{
    return {{"id", 1}, {"address", address}, {"port", port}, {"outcome", outcome}, {"finalCode", 0}};
}

json report(json cameras)
{
    return {{"schemaVersion", 1}, {"cameras", std::move(cameras)}, {"summary", {{"completed", 0}}}};
}

TEST(RetryList, TakesEveryCameraThatDidNotCompleteOrWasSkippedInReportOrder)
{
    json earlier = report({camera("10.0.0.1", 80, "completed"), camera("10.0.0.2", 80, "failed"),
                           camera("10.0.0.3", 8080, "not-started"), camera("10.0.0.4", 80, "skipped"),
                           camera("10.0.0.5", 80, "abandoned")});
    earlier["summary"]["leftOut"] = 3;
    const RetryList list = RetryList::fromReport(earlier.dump());
    EXPECT_EQ(list.fault, "");
    EXPECT_EQ(list.cameras, (std::vector<CameraAddress>{{{10, 0, 0, 2}, 80}, {{10, 0, 0, 3}, 8080}, {{10, 0, 0, 5}, 80}}));
    EXPECT_EQ(list.leftOut, 3);

    // A report written before the schema version had its key is read as version 1.
    earlier.erase("schemaVersion");
    EXPECT_EQ(RetryList::fromReport(earlier.dump()).cameras.size(), 3u);
    const RetryList done = RetryList::fromReport(report({camera("10.0.0.1", 80, "completed")}).dump());
    EXPECT_EQ(done.fault, "");
    EXPECT_TRUE(done.cameras.empty());
}

TEST(RetryList, ATextThatIsNoReportOfOursIsRefusedWithNoCamera)
{
    const auto withCamera = [](json fields) {
        json entry = camera("10.0.0.2", 80, "failed");
        entry.update(fields);
        return report({camera("10.0.0.1", 80, "failed"), entry}).dump();
    };
    const std::vector<std::pair<std::string, std::string>> cases{
        {"", "not JSON"},
        {"{\"cameras\": [", "not JSON"},
        {"Upgrade log:\n", "not JSON"},
        {"[]", "no \"cameras\" and \"summary\""},
        {"{\"cameras\": []}", "no \"cameras\" and \"summary\""},
        {"{\"cameras\": {}, \"summary\": {}}", "no \"cameras\" and \"summary\""},
        {"{\"schemaVersion\": 2, \"cameras\": [], \"summary\": {}}", "a schema version other than 1"},
        {"{\"schemaVersion\": \"1\", \"cameras\": [], \"summary\": {}}", "a schema version other than 1"},
        {report({json(3)}).dump(), "camera 1 is not an object"},
        {withCamera({{"address", "10.0.0.300"}}), "camera 2 has no camera's address and port"},
        {withCamera({{"address", "camera.example"}}), "camera 2 has no camera's address and port"},
        {withCamera({{"address", "10.0.0.2\n10.0.0.3"}}), "camera 2 has no camera's address and port"},
        {withCamera({{"address", "10.0.0.2:8080"}}), "camera 2 has no camera's address and port"},
        {withCamera({{"address", nullptr}}), "camera 2 has no camera's address and port"},
        {withCamera({{"port", -1}}), "camera 2 has no camera's address and port"},
        {withCamera({{"port", 0}}), "camera 2 has no camera's address and port"},
        {withCamera({{"port", 81}}), "camera 2 has no camera's address and port"},
        {withCamera({{"port", 65536}}), "camera 2 has no camera's address and port"},
        {withCamera({{"port", "80"}}), "camera 2 has no camera's address and port"},
        {withCamera({{"outcome", "done"}}), "camera 2 has no known outcome"},
        {withCamera({{"outcome", nullptr}}), "camera 2 has no known outcome"},
    };
    for (const auto& [text, fault] : cases) {
        const RetryList list = RetryList::fromReport(text);
        EXPECT_EQ(list.fault, fault) << text;
        EXPECT_TRUE(list.cameras.empty()) << text;
    }
}

} // namespace
} // namespace zka::cli
