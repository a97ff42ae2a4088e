#pragma once

#include "resources/ResourceStore.h"
#include "resources/ResourceText.h"
#include "resources/SupportedModels.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace zka {

class Prompter;

// The SHA-256 (lowercase hex) of the firmware package compiled into this executable, recorded when
// the package was generated.
std::string_view builtPackageSha256();

// What the wizard loads from the packaged resources at start-up and keeps for the whole run: the
// supported model list, the version block, the new-version texts, the package names and the
// firmware packages. Toolkit-free; the wizard and the command line own one each.
//
// The package bytes are not copied: packageData() views the store, which is read-only memory that
// lives as long as the store (for embeddedResources(), the whole process).
class PackagedResources final {
public:
    static constexpr std::size_t kMaxModels = 10;
    static constexpr std::size_t kSlotCount = 5;
    // The package of slot i is BIN resource kFirstPackageNumber + i.
    static constexpr std::uint16_t kFirstPackageNumber = 143;
    static constexpr std::uint16_t kModelListNumber = 146;
    static constexpr std::uint16_t kPackageNamesNumber = 353;

    // Borrows the store and the prompter; both must outlive this object. The package of slot 0 is
    // accepted only when its SHA-256 equals expectedPackageSha256 (lowercase hex).
    PackagedResources(const ResourceStore& store, Prompter& prompter,
                      std::string expectedPackageSha256 = std::string(builtPackageSha256()));
    PackagedResources(const PackagedResources&) = delete;
    PackagedResources& operator=(const PackagedResources&) = delete;

    // The start-up sequence: version texts, model list, package names, firmware packages.
    void loadAll();

    // Reads the version block (FileDescription, SpecialBuild) and builds the two new-version texts.
    void loadVersionTexts();
    // BIN 146, at most ten names. A missing list shows "Cannot find the upgrade file." and leaves it empty.
    void loadSupportedModels();
    // BIN 353, five names right-trimmed of blanks. A missing resource shows the same message.
    void loadPackageNames();
    // Slot i from BIN 143+i; slots other than 0 are loaded only when they have a name. A missing or
    // damaged package shows the same message, and that slot and every later one stay unloaded.
    void loadFirmwarePackages();

    // Sets packageIndex() to the slot whose name equals the document type (0 when none does).
    void selectPackage(std::string_view docType);
    // The slot selectPackage would choose for this document type.
    std::size_t slotFor(std::string_view docType) const;

    // newVersion3x() when the fourth character of the camera's current version text ("ver3.10") is
    // the digit 3, else newVersion2x().
    const std::string& chooseNewVersion(std::string_view currentVersionText) const;

    // The first model of the list; empty when the list is empty.
    std::string principalModel() const;

    const SupportedModels& supportedModels() const { return supportedModels_; }
    const std::string& fileDescription() const { return fileDescription_; }
    const std::string& specialBuild() const { return specialBuild_; }
    const std::string& newVersion2x() const { return newVersion2x_; }
    const std::string& newVersion3x() const { return newVersion3x_; }
    const std::array<std::string, kSlotCount>& packageNames() const { return packageNames_; }
    // Empty spans for slots that are not loaded.
    const std::array<std::span<const std::uint8_t>, kSlotCount>& packageData() const { return packageData_; }
    const std::array<std::uint32_t, kSlotCount>& packageSizes() const { return packageSizes_; }
    std::size_t packageIndex() const { return packageIndex_; }
    // The package of packageIndex(): what the manual mode uploads.
    std::span<const std::uint8_t> selectedPackage() const { return packageData_[packageIndex_]; }
    bool isLoaded(std::size_t slot) const { return slot < kSlotCount && !packageData_[slot].empty(); }

    const ResourceText& texts() const { return texts_; }

private:
    void showLoadFailure(const std::string& text, const std::string& caption) const;

    const ResourceStore& store_;
    Prompter& prompter_;
    ResourceText texts_;
    std::string expectedPackageSha256_;

    SupportedModels supportedModels_;
    std::string fileDescription_;
    std::string specialBuild_;
    std::string newVersion2x_;
    std::string newVersion3x_;
    std::array<std::string, kSlotCount> packageNames_;
    std::array<std::span<const std::uint8_t>, kSlotCount> packageData_;
    std::array<std::uint32_t, kSlotCount> packageSizes_{};
    std::size_t packageIndex_ = 0;
};

// The new-version rule on its own: does this current version text ("ver" + version) take the 3.x firmware?
bool takesVersion3x(std::string_view currentVersionText);

} // namespace zka
