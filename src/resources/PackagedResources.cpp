#include "resources/PackagedResources.h"

#include "resources/Sha256.h"
#include "runtime/Prompter.h"

#include <limits>

namespace zka {

namespace {

constexpr std::uint16_t kCannotFindText = 138;
constexpr std::uint16_t kCannotFindCaption = 139;

std::string_view asText(std::span<const std::uint8_t> bytes)
{
    return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
}

// The model list: names separated by CR LF, the list ends at the first NUL. The first character of
// an entry is never tested, so an entry is at least one character long and one that begins with CR
// runs on to the next terminator. A NUL or the end of the resource where an entry would begin ends
// the list: there is nothing past the end to read, and no empty name is taken.
SupportedModels splitModelList(std::string_view list)
{
    SupportedModels models;
    std::size_t pos = 0;
    while (models.size() < PackagedResources::kMaxModels && pos < list.size() && list[pos] != '\0') {
        std::size_t end = pos + 1;
        while (end < list.size() && list[end] != '\0' && list[end] != '\r')
            ++end;
        models.emplace_back(list.substr(pos, end - pos));
        if (end >= list.size() || list[end] != '\r')
            break;
        pos = end + 2; // past the CR and the LF that follows it
    }
    return models;
}

// The package names: up to five lines separated by CR LF, from the first character of each line,
// the last ending at a NUL. Missing lines leave empty names; only blanks are trimmed, on the right.
std::array<std::string, PackagedResources::kSlotCount> splitPackageNames(std::string_view text)
{
    std::array<std::string, PackagedResources::kSlotCount> names;
    std::size_t pos = 0;
    for (auto& name : names) {
        if (pos > text.size())
            break;
        std::size_t end = pos;
        while (end < text.size() && text[end] != '\0' && text[end] != '\r')
            ++end;
        name.assign(text.substr(pos, end - pos));
        if (const auto last = name.find_last_not_of(' '); last == std::string::npos)
            name.clear();
        else
            name.erase(last + 1);
        if (end >= text.size() || text[end] != '\r')
            break;
        pos = end + 2;
    }
    return names;
}

// The version block: KEY=VALUE lines.
std::string versionValue(std::string_view block, std::string_view key)
{
    while (!block.empty()) {
        const auto newline = block.find('\n');
        const auto line = block.substr(0, newline);
        if (line.size() > key.size() && line.starts_with(key) && line[key.size()] == '=')
            return std::string(line.substr(key.size() + 1));
        if (newline == std::string_view::npos)
            break;
        block.remove_prefix(newline + 1);
    }
    return {};
}

} // namespace

bool takesVersion3x(std::string_view currentVersionText)
{
    return currentVersionText.size() >= 4 && currentVersionText[3] == '3';
}

PackagedResources::PackagedResources(const ResourceStore& store, Prompter& prompter, std::string expectedPackageSha256)
    : store_(store)
    , prompter_(prompter)
    , texts_(store, prompter)
    , expectedPackageSha256_(std::move(expectedPackageSha256))
{
}

void PackagedResources::loadAll()
{
    loadVersionTexts();
    loadSupportedModels();
    loadPackageNames();
    loadFirmwarePackages();
}

void PackagedResources::loadVersionTexts()
{
    const auto block = store_.find(ResourceKind::Version, 1);
    fileDescription_ = block ? versionValue(asText(*block), "FileDescription") : std::string();
    specialBuild_ = block ? versionValue(asText(*block), "SpecialBuild") : std::string();
    newVersion2x_ = "ver" + firmwareVersion2x(store_) + specialBuild_;
    newVersion3x_ = "ver" + firmwareVersion3x(store_);
}

void PackagedResources::showLoadFailure(const std::string& text, const std::string& caption) const
{
    prompter_.show(Message{text, caption, MessageIcon::Error, MessageButtons::Ok});
}

void PackagedResources::loadSupportedModels()
{
    supportedModels_.clear();
    const auto text = texts_(kCannotFindText);
    const auto caption = texts_(kCannotFindCaption);
    const auto list = store_.find(ResourceKind::Bin, kModelListNumber);
    if (!list) {
        showLoadFailure(text, caption);
        return;
    }
    supportedModels_ = splitModelList(asText(*list));
}

void PackagedResources::loadPackageNames()
{
    const auto text = texts_(kCannotFindText);
    const auto caption = texts_(kCannotFindCaption);
    const auto names = store_.find(ResourceKind::Bin, kPackageNamesNumber);
    if (!names) {
        showLoadFailure(text, caption);
        return;
    }
    packageNames_ = splitPackageNames(asText(*names));
}

void PackagedResources::loadFirmwarePackages()
{
    const auto text = texts_(kCannotFindText);
    const auto caption = texts_(kCannotFindCaption);
    for (std::size_t slot = 0; slot < kSlotCount; ++slot) {
        if (slot != 0 && packageNames_[slot].empty())
            continue;
        const auto package = store_.find(ResourceKind::Bin, static_cast<std::uint16_t>(kFirstPackageNumber + slot));
        // Only slot 0 has a digest recorded at build time; a damaged package counts as a missing one.
        const bool usable = package && !package->empty() && package->size() <= std::numeric_limits<std::uint32_t>::max()
                            && (slot != 0 || sha256Hex(*package) == expectedPackageSha256_);
        if (!usable) {
            showLoadFailure(text, caption);
            return;
        }
        packageData_[slot] = *package;
        packageSizes_[slot] = static_cast<std::uint32_t>(package->size());
    }
}

std::size_t PackagedResources::slotFor(std::string_view docType) const
{
    // A name that matches a slot without a loaded package must not select it: the upload would
    // send nothing. The loaded slot 0 stays the choice then.
    for (std::size_t slot = 0; slot < kSlotCount; ++slot) {
        if (packageNames_[slot] == docType && isLoaded(slot))
            return slot;
    }
    return 0;
}

void PackagedResources::selectPackage(std::string_view docType)
{
    packageIndex_ = slotFor(docType);
}

const std::string& PackagedResources::chooseNewVersion(std::string_view currentVersionText) const
{
    return takesVersion3x(currentVersionText) ? newVersion3x_ : newVersion2x_;
}

std::string PackagedResources::principalModel() const
{
    return supportedModels_.empty() ? std::string() : supportedModels_.front();
}

} // namespace zka
