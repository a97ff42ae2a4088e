// Firmware versions compared as numbers part by part, in the forms cameras report them ("2.30"),
// the tool writes the versions it carries ("ver3.15") and emergency firmware shows ("unknown").
#include "upgrade/VersionOrder.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace zka {
namespace {

TEST(VersionOrder, NumbersPartByPartAndTheFormsThatCannotBeRead)
{
    struct Case {
        std::string version;
        std::string reference;
        VersionOrder order;
    };
    const std::vector<Case> cases{
        {"ver3.9", "ver3.15", VersionOrder::Older},
        {"3.15", "ver3.15", VersionOrder::Same},
        {"2.30", "ver2.45", VersionOrder::Older},
        {"3.16", "ver3.15", VersionOrder::Newer},
        {"10.0", "9.99", VersionOrder::Newer},
        {"2.30", "2.4", VersionOrder::Newer},
        {"3.09", "3.9", VersionOrder::Same},
        {"3", "3.0", VersionOrder::Same},
        {"3.0.1", "3.0", VersionOrder::Newer},
        {" 2.45\t", "ver2.45", VersionOrder::Same},
        // Parts longer than any integer still compare as numbers.
        {"1.000000000000000000000000000002", "1.2", VersionOrder::Same},
        {"1.99999999999999999999999999999", "1.100000000000000000000000000000", VersionOrder::Older},
        // Never equal when either cannot be read, not even to itself.
        {"unknown", "unknown", VersionOrder::Unreadable},
        {"emergency", "ver2.45", VersionOrder::Unreadable},
        {"", "ver2.45", VersionOrder::Unreadable},
        {"ver", "ver2.45", VersionOrder::Unreadable},
        {"2.45", "", VersionOrder::Unreadable},
        {"2.45b", "2.45b", VersionOrder::Unreadable},
        {"2.30\x1b[5m", "2.45", VersionOrder::Unreadable},
        {"3..1", "3.1", VersionOrder::Unreadable},
        {"3.", "3", VersionOrder::Unreadable},
        {".3", "3", VersionOrder::Unreadable},
        {"-3.1", "3.1", VersionOrder::Unreadable},
        {"Ver3.1", "3.1", VersionOrder::Unreadable},
        {"3 .1", "3.1", VersionOrder::Unreadable},
    };
    const auto reversed = [](VersionOrder order) {
        return order == VersionOrder::Older ? VersionOrder::Newer
               : order == VersionOrder::Newer ? VersionOrder::Older
                                              : order;
    };
    for (const Case& c : cases) {
        EXPECT_EQ(compareVersions(c.version, c.reference), c.order) << c.version << " against " << c.reference;
        EXPECT_EQ(compareVersions(c.reference, c.version), reversed(c.order)) << c.reference << " against " << c.version;
    }
}

} // namespace
} // namespace zka
