#include "resources/ResourceText.h"

#include "resources/Utf16.h"
#include "runtime/Prompter.h"
#include "runtime/VersionText.h"

namespace zka {

namespace {

constexpr std::uint16_t kNotFoundText = 124;
constexpr std::uint16_t kNotFoundCaption = 123;

std::optional<std::string> stringEntry(const ResourceStore& store, std::uint16_t number)
{
    const auto bytes = store.find(ResourceKind::String, number);
    if (!bytes)
        return std::nullopt;
    return std::string(reinterpret_cast<const char*>(bytes->data()), bytes->size());
}

} // namespace

ResourceText::ResourceText(const ResourceStore& store, Prompter& prompter)
    : store_(store)
    , prompter_(prompter)
{
}

std::string ResourceText::operator()(std::uint16_t number) const
{
    if (auto text = find(number))
        return std::move(*text);
    // The usual wording stands in when a store lacks the string table, so the message is never blank.
    prompter_.show(Message{stringEntry(store_, kNotFoundText).value_or("Not found the upgrade file. "),
                           stringEntry(store_, kNotFoundCaption).value_or("Error"), MessageIcon::Error,
                           MessageButtons::Ok});
    return {};
}

std::optional<std::string> ResourceText::find(std::uint16_t number) const
{
    const auto bytes = store_.find(ResourceKind::Bin, number);
    if (!bytes)
        return std::nullopt;
    return decodeStoredText(*bytes);
}

std::string ResourceText::stringTable(std::uint16_t number) const
{
    return stringEntry(store_, number).value_or(std::string());
}

std::string firmwareVersion2x(const ResourceStore& store)
{
    return stringEntry(store, 119).value_or(std::string());
}

std::string firmwareVersion3x(const ResourceStore& store)
{
    return stringEntry(store, 134).value_or(std::string());
}

std::string packagedVersionText(std::string_view program)
{
    const ResourceStore& store = embeddedResources();
    return versionText(program, firmwareVersion3x(store), firmwareVersion2x(store));
}

} // namespace zka
