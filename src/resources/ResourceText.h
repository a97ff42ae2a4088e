#pragma once

#include "resources/ResourceStore.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace zka {

class Prompter;

// Fetches user-interface texts by number. Texts are stored as UTF-16LE with a byte-order mark and end
// at the first NUL (or at the end of the resource); they come back by value as UTF-8.
class ResourceText final {
public:
    ResourceText(const ResourceStore& store, Prompter& prompter);

    // The text of BIN resource `number`. A missing resource shows "Not found the upgrade file. " /
    // "Error" / error icon and yields an empty text.
    std::string operator()(std::uint16_t number) const;
    // The same without a message: nullopt when missing.
    std::optional<std::string> find(std::uint16_t number) const;
    // An entry of the string table (103 to 134); empty when missing.
    std::string stringTable(std::uint16_t number) const;

    const ResourceStore& store() const { return store_; }

private:
    const ResourceStore& store_;
    Prompter& prompter_;
};

// The firmware versions that the package installs: string-table entries 119 and 134.
std::string firmwareVersion2x(const ResourceStore& store);
std::string firmwareVersion3x(const ResourceStore& store);

// What --version prints for a program that carries the packaged firmware (versionText() with the
// firmware versions compiled into this executable).
std::string packagedVersionText(std::string_view program);

} // namespace zka
