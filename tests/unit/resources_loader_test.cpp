// PackagedResources: the start-up loads of the model list, the package names and the firmware
// packages, on the embedded store and on stores with missing, damaged or different resources.
#include "resources/PackagedResources.h"
#include "resources/Sha256.h"
#include "support/ScriptedPrompter.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace zka {
namespace {

const Message kCannotFind{"Cannot find the upgrade file.", "Error", MessageIcon::Error, MessageButtons::Ok};

std::vector<std::uint8_t> bytes(std::string_view text) { return {text.begin(), text.end()}; }

TEST(PackagedResourcesTest, LoadsTheEmbeddedResources)
{
    test::ScriptedPrompter prompter;
    PackagedResources resources(embeddedResources(), prompter);
    resources.loadAll();

    EXPECT_EQ(prompter.count(), 0u);
    EXPECT_EQ(resources.supportedModels(), (SupportedModels{"ZKA-QM410", "ZKA-QM410E", "ZKA-QM410P"}));
    EXPECT_EQ(resources.principalModel(), "ZKA-QM410");
    EXPECT_EQ(resources.fileDescription(), "Velm ZKA-QM410 firmware upgrade tool");
    EXPECT_EQ(resources.specialBuild(), "");
    EXPECT_EQ(resources.newVersion2x(), "ver2.45");
    EXPECT_EQ(resources.newVersion3x(), "ver3.15");
    for (const auto& name : resources.packageNames())
        EXPECT_EQ(name, "");

    // Only slot 0 is loaded, and it is the store's own memory, not a copy.
    const auto stored = embeddedResources().find(ResourceKind::Bin, 143);
    ASSERT_TRUE(stored);
    EXPECT_EQ(resources.packageData()[0].data(), stored->data());
    EXPECT_EQ(resources.packageSizes()[0], 10'014'720u);
    for (std::size_t slot = 1; slot < PackagedResources::kSlotCount; ++slot) {
        EXPECT_FALSE(resources.isLoaded(slot));
        EXPECT_EQ(resources.packageSizes()[slot], 0u);
    }
    // All names empty: whatever the camera reports, slot 0 is uploaded.
    for (const char* docType : {"", "B", " ", "ZKA"}) {
        resources.selectPackage(docType);
        EXPECT_EQ(resources.packageIndex(), 0u) << docType;
    }
    EXPECT_EQ(resources.selectedPackage().size(), 10'014'720u);
}

TEST(PackagedResourcesTest, NewVersionFollowsTheFourthCharacter)
{
    test::ScriptedPrompter prompter;
    PackagedResources resources(embeddedResources(), prompter);
    resources.loadVersionTexts();
    EXPECT_EQ(resources.chooseNewVersion("ver3.10"), "ver3.15");
    EXPECT_EQ(resources.chooseNewVersion("ver3"), "ver3.15");
    for (const char* current : {"ver2.42", "ver1.28", "unknown", "", "ver", "3.10", "ver 3.1"})
        EXPECT_EQ(resources.chooseNewVersion(current), "ver2.45") << current;
}

// A small store with the texts the loader needs, a model list, package names and a package.
class LoaderTest : public ::testing::Test {
protected:
    LoaderTest()
    {
        for (const std::uint16_t number : {138, 139})
            copy(ResourceKind::Bin, number);
        for (const std::uint16_t number : {119, 123, 124, 134})
            copy(ResourceKind::String, number);
        copy(ResourceKind::Version, 1);
        copy(ResourceKind::Bin, 146);
        copy(ResourceKind::Bin, 353);
        store.put(ResourceKind::Bin, 143, package);
    }

    void copy(ResourceKind kind, std::uint16_t number)
    {
        const auto found = embeddedResources().find(kind, number);
        ASSERT_TRUE(found);
        store.put(kind, number, {found->begin(), found->end()});
    }

    std::unique_ptr<PackagedResources> load()
    {
        auto resources = std::make_unique<PackagedResources>(store, prompter, sha256Hex(package));
        resources->loadAll();
        return resources;
    }

    MemoryResourceStore store;
    test::ScriptedPrompter prompter;
    const std::vector<std::uint8_t> package = bytes("a small firmware package");
};

TEST_F(LoaderTest, ModelListSplitNeverTestsAnEntrysFirstCharacter)
{
    struct Case {
        std::string list;
        SupportedModels models;
    };
    const Case cases[] = {
        {std::string("A\r\nB\r\nC\0\r\n", 10), {"A", "B", "C"}},
        // Eleven lines: the eleventh is ignored.
        {"M0\r\nM1\r\nM2\r\nM3\r\nM4\r\nM5\r\nM6\r\nM7\r\nM8\r\nM9\r\nM10", {"M0", "M1", "M2", "M3", "M4", "M5", "M6", "M7", "M8", "M9"}},
        // Trailing blanks are part of the name.
        {"ZKA-QM410 \r\nB", {"ZKA-QM410 ", "B"}},
        // The first character of an entry is never tested, so a line that begins with CR joins the next.
        {"A\r\n\r\nB", {"A", "\r\nB"}},
        // The list ends at the first NUL, at the end of the resource, or at a final CR LF.
        {std::string("A\0B", 3), {"A"}},
        {"A\r\n", {"A"}},
        {"A\r", {"A"}},
        {std::string("\0A\r\nB", 5), {}},
        {"", {}},
    };
    for (const auto& c : cases) {
        store.put(ResourceKind::Bin, 146, bytes(c.list));
        const auto resources = load();
        EXPECT_EQ(resources->supportedModels(), c.models) << c.list;
        EXPECT_EQ(resources->principalModel(), c.models.empty() ? "" : c.models.front());
    }
    EXPECT_EQ(prompter.count(), 0u);
}

TEST_F(LoaderTest, MissingModelListIsReportedAndLeavesTheListEmpty)
{
    store.remove(ResourceKind::Bin, 146);
    const auto resources = load();
    EXPECT_TRUE(resources->supportedModels().empty());
    EXPECT_EQ(resources->principalModel(), "");
    ASSERT_EQ(prompter.count(), 1u);
    EXPECT_EQ(prompter.messages()[0], kCannotFind);
    EXPECT_TRUE(resources->isLoaded(0));
}

TEST_F(LoaderTest, PackageNamesAreRightTrimmedOfBlanksOnly)
{
    store.put(ResourceKind::Bin, 353, bytes(std::string(" \r\n a b  \r\n\tX\r\n\r\n", 16)));
    EXPECT_EQ(load()->packageNames(), (std::array<std::string, 5>{"", " a b", "\tX", "", ""}));

    // Fewer lines than slots leave the rest empty.
    store.put(ResourceKind::Bin, 353, bytes("only"));
    EXPECT_EQ(load()->packageNames(), (std::array<std::string, 5>{"only", "", "", "", ""}));

    store.remove(ResourceKind::Bin, 353);
    prompter.clear();
    const auto resources = load();
    EXPECT_EQ(resources->packageNames(), (std::array<std::string, 5>{}));
    ASSERT_EQ(prompter.count(), 1u);
    EXPECT_EQ(prompter.messages()[0], kCannotFind);
    EXPECT_TRUE(resources->isLoaded(0));
    EXPECT_FALSE(resources->isLoaded(1));
}

TEST_F(LoaderTest, NamedSlotsLoadUntilOneFails)
{
    // Slot 1 (BIN 144) exists; slot 2 (BIN 145) is missing, which stops the loading before slot 4.
    store.put(ResourceKind::Bin, 353, bytes(std::string("base\r\nB\r\nC\r\n\r\nE\0", 17)));
    store.put(ResourceKind::Bin, 144, bytes("package B"));
    store.put(ResourceKind::Bin, 147, bytes("package E"));
    auto resources = load();
    ASSERT_EQ(prompter.count(), 1u);
    EXPECT_EQ(prompter.messages()[0], kCannotFind);
    EXPECT_TRUE(resources->isLoaded(0));
    EXPECT_TRUE(resources->isLoaded(1));
    EXPECT_EQ(resources->packageSizes()[1], 9u);
    EXPECT_FALSE(resources->isLoaded(2));
    EXPECT_FALSE(resources->isLoaded(4));

    resources->selectPackage("B");
    EXPECT_EQ(resources->packageIndex(), 1u);
    EXPECT_EQ(std::string(resources->selectedPackage().begin(), resources->selectedPackage().end()), "package B");
    // A name whose package did not load never selects its empty slot.
    resources->selectPackage("C");
    EXPECT_EQ(resources->packageIndex(), 0u);
    resources->selectPackage("b");
    EXPECT_EQ(resources->packageIndex(), 0u);
    EXPECT_EQ(resources->slotFor("B"), 1u);
}

TEST_F(LoaderTest, DamagedOrMissingPackageIsReportedAndNotLoaded)
{
    auto damaged = package;
    damaged[5] ^= 0x01;
    const std::vector<std::vector<std::uint8_t>> variants{damaged, {package.begin(), package.end() - 1}, {}};
    for (const auto& variant : variants) {
        store.put(ResourceKind::Bin, 143, variant);
        prompter.clear();
        const auto resources = load();
        ASSERT_EQ(prompter.count(), 1u);
        EXPECT_EQ(prompter.messages()[0], kCannotFind);
        EXPECT_FALSE(resources->isLoaded(0));
        EXPECT_EQ(resources->packageSizes()[0], 0u);
        EXPECT_TRUE(resources->selectedPackage().empty());
    }

    store.remove(ResourceKind::Bin, 143);
    prompter.clear();
    EXPECT_FALSE(load()->isLoaded(0));
    ASSERT_EQ(prompter.count(), 1u);
    EXPECT_EQ(prompter.messages()[0], kCannotFind);

    // The digest recorded at build time belongs to the embedded package, not to this one.
    store.put(ResourceKind::Bin, 143, package);
    prompter.clear();
    PackagedResources resources(store, prompter);
    resources.loadFirmwarePackages();
    EXPECT_FALSE(resources.isLoaded(0));
    EXPECT_EQ(prompter.count(), 1u);
}

TEST_F(LoaderTest, VersionBlockAndMissingTexts)
{
    store.put(ResourceKind::Version, 1, bytes("FileDescription=Tool\nSpecialBuild=SB1\n"));
    {
        const auto resources = load();
        EXPECT_EQ(resources->fileDescription(), "Tool");
        EXPECT_EQ(resources->specialBuild(), "SB1");
        EXPECT_EQ(resources->newVersion2x(), "ver2.45SB1");
        EXPECT_EQ(resources->newVersion3x(), "ver3.15");
        EXPECT_EQ(resources->chooseNewVersion("ver2.10"), "ver2.45SB1");
    }

    // Without text 138 every load first reports the missing text, as each fetches it.
    store.remove(ResourceKind::Bin, 138);
    prompter.clear();
    const auto resources = load();
    EXPECT_EQ(prompter.count(), 3u);
    for (const auto& message : prompter.messages())
        EXPECT_EQ(message, (Message{"Not found the upgrade file. ", "Error", MessageIcon::Error, MessageButtons::Ok}));
    EXPECT_TRUE(resources->isLoaded(0));
}

} // namespace
} // namespace zka
