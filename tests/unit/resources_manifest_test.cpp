// The manifest that the build turns into the packaged resources: the stored bytes of each kind
// of line, and faults reported with their line instead of a silently wrong store.
#include "ResourceManifest.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace zka::resgen {
namespace {

std::vector<std::uint8_t> utf16(std::initializer_list<std::uint16_t> units)
{
    std::vector<std::uint8_t> out{0xFF, 0xFE};
    for (const auto unit : units) {
        out.push_back(static_cast<std::uint8_t>(unit & 0xFF));
        out.push_back(static_cast<std::uint8_t>(unit >> 8));
    }
    return out;
}

class ManifestTest : public ::testing::Test {
protected:
    ManifestTest()
    {
        std::filesystem::create_directories(dir);
        std::ofstream(dir / "section.txt", std::ios::binary) << "V. A\nb\r\n\n";
    }
    ~ManifestTest() override { std::filesystem::remove_all(dir); }

    std::vector<ManifestEntry> parse(std::string_view text) { return parseManifest(text, dir, "m.txt"); }

    std::string errorOf(std::string_view text)
    {
        try {
            parse(text);
        } catch (const ManifestError& error) {
            return error.what();
        }
        return "no error";
    }

    const std::filesystem::path dir = std::filesystem::temp_directory_path()
                                      / ("zka-manifest-test-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()));
};

TEST_F(ManifestTest, EachLineKindStoresItsBytes)
{
    const auto entries = parse("# comment\n"
                               "\n"
                               "text 258 tail=5300ff \"S\\t\\\"\"\n"
                               "text 134 nonul \"\xC3\xA9\"\n"
                               "text 150 file=section.txt\n"
                               "copy 362 150\n"
                               "bytes 146 \"A\\r\\nB\\0\\x7f\"\n"
                               "string 124 \"Not found \"\n"
                               "version FileDescription \"Tool\"\n"
                               "version SpecialBuild \"\"\n");
    ASSERT_EQ(entries.size(), 7u);
    EXPECT_EQ(entries[0].bytes, ([] {
                  auto b = utf16({'S', '\t', '"', 0});
                  b.insert(b.end(), {0x53, 0x00, 0xff});
                  return b;
              }()));
    EXPECT_EQ(entries[1].bytes, utf16({0xE9}));
    EXPECT_EQ(entries[2].bytes, utf16({'V', '.', ' ', 'A', '\r', '\n', 'b', '\r', '\n', '\r', '\n', 0}));
    EXPECT_EQ(entries[3].number, 362);
    EXPECT_EQ(entries[3].bytes, entries[2].bytes);
    EXPECT_EQ(entries[4].bytes, (std::vector<std::uint8_t>{'A', '\r', '\n', 'B', 0, 0x7f}));
    EXPECT_EQ(entries[5].kind, ResourceKind::String);
    EXPECT_EQ(std::string(entries[5].bytes.begin(), entries[5].bytes.end()), "Not found ");
    EXPECT_EQ(entries[6].kind, ResourceKind::Version);
    EXPECT_EQ(std::string(entries[6].bytes.begin(), entries[6].bytes.end()), "FileDescription=Tool\nSpecialBuild=\n");
}

TEST_F(ManifestTest, FaultsNameTheirLine)
{
    EXPECT_EQ(errorOf("text 1 \"a\"\ntext 1 \"b\"\n"), "m.txt:2: resource 1 is defined twice");
    EXPECT_EQ(errorOf("text 1 \"a\\q\"\n"), "m.txt:1: unknown escape \\q");
    EXPECT_EQ(errorOf("text 1 \"a\n"), "m.txt:1: missing closing quote");
    EXPECT_EQ(errorOf("copy 2 1\n"), "m.txt:1: copy of 1, which is not defined above");
    EXPECT_EQ(errorOf("text 70000 \"a\"\n"), "m.txt:1: expected a resource number, got \"70000\"");
    EXPECT_EQ(errorOf("text 1 \"\xC3\"\n"), "m.txt:1: text is not well-formed UTF-8");
    EXPECT_EQ(errorOf("text 1 tail=abc \"a\"\n"), "m.txt:1: tail= needs an even, non-zero count of hexadecimal digits");
    EXPECT_EQ(errorOf("label 1 \"a\"\n"), "m.txt:1: unknown keyword \"label\"");
    EXPECT_EQ(errorOf("text 1 file=absent.txt\n").find("cannot read"), 0u);
    // The same number may be used by different kinds.
    EXPECT_EQ(parse("text 134 \"a\"\nstring 134 \"3.15\"\n").size(), 2u);
}

} // namespace
} // namespace zka::resgen
