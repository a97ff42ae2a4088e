#include "camsim/MultipartHeaderCheck.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <string_view>

namespace zka::camsim {

namespace {

bool sameName(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
    });
}

bool digitsOnly(std::string_view text)
{
    return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

constexpr std::string_view kBoundaryPrefix = "---------------------------7d"; // 27 hyphens, then 7d
constexpr std::string_view kContentTypePrefix = "multipart/form-data; boundary=";

struct Expected {
    std::string_view name;
    std::string_view value; // empty: checked separately
};

// The headers the client adds, in the order it must add them.
constexpr std::array<Expected, 7> kAdded = {{
    {"Content-Type", ""},
    {"Accept-Encoding", "gzip, deflate"},
    {"Connection", "Keep-Alive"},
    {"Proxy-Connection", "Keep-Alive"},
    {"Cache-Control", "no-cache"},
    {"Content-Length", ""},
    {"Authorization", ""},
}};

} // namespace

const std::string& MultipartHeaderCheck::acceptedTypes()
{
    static const std::string types = "image/gif, image/x-xbitmap, image/jpeg, image/pjpeg, "
                                     "application/x-shockwave-flash, application/vnd.ms-excel, "
                                     "application/vnd.ms-powerpoint, application/msword, */*";
    return types;
}

MultipartHeaderCheck::MultipartHeaderCheck(const Headers& headers)
{
    check(headers);
}

void MultipartHeaderCheck::fail(std::string problem)
{
    if (problem_.empty())
        problem_ = std::move(problem);
}

void MultipartHeaderCheck::check(const Headers& headers)
{
    const auto count = [&](std::string_view name) {
        return std::count_if(headers.begin(), headers.end(), [&](const auto& h) { return sameName(h.first, name); });
    };
    const auto find = [&](std::string_view name) {
        return std::find_if(headers.begin(), headers.end(), [&](const auto& h) { return sameName(h.first, name); });
    };

    // Read the boundary and the length first: the body check needs them even when something else is wrong.
    if (const auto type = find("Content-Type"); type != headers.end()
        && std::string_view(type->second).substr(0, kContentTypePrefix.size()) == kContentTypePrefix)
        boundary_ = type->second.substr(kContentTypePrefix.size());
    if (const auto length = find("Content-Length"); length != headers.end() && digitsOnly(length->second)
        && length->second.size() < 19) {
        hasContentLength_ = true;
        contentLength_ = std::stoull(length->second);
    }

    std::ptrdiff_t previous = -1;
    std::string_view previousName;
    for (const auto& expected : kAdded) {
        const auto n = count(expected.name);
        if (n == 0) {
            fail("header " + std::string(expected.name) + " is missing");
            continue;
        }
        if (n > 1) {
            fail("header " + std::string(expected.name) + " appears " + std::to_string(n) + " times");
            continue;
        }
        const auto at = find(expected.name);
        const std::ptrdiff_t index = at - headers.begin();
        if (index < previous)
            fail("header " + std::string(expected.name) + " comes before " + std::string(previousName));
        previous = index;
        previousName = expected.name;
        if (!expected.value.empty() && at->second != expected.value)
            fail("header " + std::string(expected.name) + " is \"" + at->second + "\", expected \""
                 + std::string(expected.value) + "\"");
    }

    if (const auto type = find("Content-Type"); type != headers.end()) {
        const std::string_view b = boundary_;
        if (std::string_view(type->second).substr(0, kContentTypePrefix.size()) != kContentTypePrefix
            || b.substr(0, kBoundaryPrefix.size()) != kBoundaryPrefix || !digitsOnly(b.substr(kBoundaryPrefix.size())))
            fail("header Content-Type is \"" + type->second + "\", expected \"" + std::string(kContentTypePrefix)
                 + std::string(kBoundaryPrefix) + "\" followed by decimal digits");
    }
    if (const auto length = find("Content-Length"); length != headers.end() && !hasContentLength_)
        fail("header Content-Length is \"" + length->second + "\", not a decimal number");
    if (const auto auth = find("Authorization"); auth != headers.end() && auth->second.rfind("Basic ", 0) != 0)
        fail("header Authorization is not \"Basic\" followed by a credential");

    const auto agent = find("User-Agent");
    if (count("User-Agent") != 1 || agent->second != "ZKA Upgrade Tool")
        fail("the user agent is not exactly one \"ZKA Upgrade Tool\"");
    const auto accept = find("Accept");
    if (count("Accept") != 1 || accept->second != acceptedTypes())
        fail("the accepted types are not one Accept header \"" + acceptedTypes() + "\"");
    if (count("Host") != 1)
        fail("the Host header is not there exactly once");

    for (const auto& [name, value] : headers) {
        const bool known = sameName(name, "Host") || sameName(name, "User-Agent") || sameName(name, "Accept")
            || std::any_of(kAdded.begin(), kAdded.end(), [&](const Expected& e) { return sameName(name, e.name); });
        if (!known)
            fail("unexpected header " + name + ": " + value);
    }
}

} // namespace zka::camsim
