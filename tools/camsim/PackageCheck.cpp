#include "camsim/PackageCheck.h"

#include <openssl/evp.h>

#include <algorithm>
#include <cctype>

namespace zka::camsim {

namespace {

constexpr std::size_t kBlock = 512;
constexpr std::string_view kListName = "SHA256SUMS";
constexpr std::uint64_t kMaxListSize = 1u << 20;

// A numeric header field: octal digits, optionally led by blanks and ended by a NUL or a blank.
bool octal(std::string_view field, std::uint64_t& value)
{
    value = 0;
    std::size_t i = 0;
    while (i < field.size() && field[i] == ' ')
        ++i;
    bool digits = false;
    for (; i < field.size() && field[i] >= '0' && field[i] <= '7'; ++i) {
        value = value * 8 + static_cast<unsigned>(field[i] - '0');
        digits = true;
    }
    for (; i < field.size(); ++i)
        if (field[i] != '\0' && field[i] != ' ')
            return false;
    return digits;
}

std::string text(std::string_view field)
{
    return std::string(field.substr(0, std::min(field.find('\0'), field.size())));
}

std::string hex(const unsigned char* digest, unsigned length)
{
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string out;
    for (unsigned i = 0; i < length; ++i) {
        out += kDigits[digest[i] >> 4];
        out += kDigits[digest[i] & 15];
    }
    return out;
}

} // namespace

struct PackageCheck::Hash {
    EVP_MD_CTX* context = EVP_MD_CTX_new();
    ~Hash() { EVP_MD_CTX_free(context); }
    void reset() { EVP_DigestInit_ex(context, EVP_sha256(), nullptr); }
    void update(std::string_view bytes) { EVP_DigestUpdate(context, bytes.data(), bytes.size()); }
    std::string digest()
    {
        unsigned char out[EVP_MAX_MD_SIZE];
        unsigned length = 0;
        EVP_DigestFinal_ex(context, out, &length);
        return hex(out, length);
    }
};

PackageCheck::PackageCheck()
    : hash_(std::make_unique<Hash>())
{
}

PackageCheck::~PackageCheck() = default;

void PackageCheck::fail(std::string problem)
{
    if (problem_.empty())
        problem_ = "package: " + std::move(problem);
}

void PackageCheck::feed(std::string_view bytes)
{
    while (!bytes.empty() && problem_.empty()) {
        switch (state_) {
        case State::Header: {
            const std::size_t take = std::min(bytes.size(), kBlock - block_.size());
            block_.append(bytes.substr(0, take));
            bytes.remove_prefix(take);
            offset_ += take;
            if (block_.size() == kBlock) {
                headerBlock();
                block_.clear();
            }
            break;
        }
        case State::Data: {
            const auto take = static_cast<std::size_t>(std::min<std::uint64_t>(bytes.size(), left_));
            memberData(bytes.substr(0, take));
            bytes.remove_prefix(take);
            offset_ += take;
            left_ -= take;
            if (left_ == 0)
                memberEnd();
            break;
        }
        case State::Padding: {
            const auto take = static_cast<std::size_t>(std::min<std::uint64_t>(bytes.size(), padding_));
            bytes.remove_prefix(take);
            offset_ += take;
            padding_ -= take;
            if (padding_ == 0)
                state_ = State::Header;
            break;
        }
        case State::End:
            if (std::any_of(bytes.begin(), bytes.end(), [](char c) { return c != '\0'; })) {
                fail("data after the end-of-archive marker at offset " + std::to_string(offset_));
                return;
            }
            zeroBytesAtEnd_ += bytes.size();
            offset_ += bytes.size();
            bytes = {};
            break;
        }
    }
}

void PackageCheck::headerBlock()
{
    const std::string_view h = block_;
    if (std::all_of(h.begin(), h.end(), [](char c) { return c == '\0'; })) {
        state_ = State::End; // the first of the two zero blocks that end the archive
        zeroBytesAtEnd_ = kBlock;
        return;
    }
    const std::uint64_t at = offset_ - kBlock;
    std::uint64_t stored = 0;
    unsigned sum = 0;
    for (std::size_t i = 0; i < kBlock; ++i)
        sum += (i >= 148 && i < 156) ? ' ' : static_cast<unsigned char>(h[i]);
    if (!octal(h.substr(148, 8), stored) || stored != sum)
        return fail("header checksum wrong at offset " + std::to_string(at));
    if (h.substr(257, 5) != "ustar")
        return fail("not a ustar header at offset " + std::to_string(at));
    std::uint64_t size = 0;
    if (!octal(h.substr(124, 12), size))
        return fail("unreadable member size at offset " + std::to_string(at));
    const std::string prefix = text(h.substr(345, 155));
    name_ = prefix.empty() ? text(h.substr(0, 100)) : prefix + "/" + text(h.substr(0, 100));
    const char type = h[156];
    regular_ = type == '0' || type == '\0';
    if (!regular_ && type != '5')
        return fail("member " + name_ + " has the unsupported type '" + std::string(1, type) + "'");
    if (first_ && (!regular_ || name_ != kListName))
        return fail("the first member is " + name_ + ", not " + std::string(kListName));
    if (!first_ && regular_ && (name_ == kListName || checked_.count(name_) != 0))
        return fail("member " + name_ + " appears twice");
    if (first_ && size > kMaxListSize)
        return fail("the checksum list is too large");
    hash_->reset();
    left_ = regular_ ? size : 0;
    padding_ = regular_ ? (kBlock - size % kBlock) % kBlock : 0;
    state_ = State::Data;
    if (left_ == 0)
        memberEnd();
}

void PackageCheck::memberData(std::string_view bytes)
{
    if (first_)
        listText_.append(bytes);
    else
        hash_->update(bytes);
}

void PackageCheck::memberEnd()
{
    state_ = padding_ > 0 ? State::Padding : State::Header;
    if (first_) {
        first_ = false;
        parseList();
        return;
    }
    if (!regular_)
        return;
    const auto entry = listed_.find(name_);
    if (entry == listed_.end())
        return fail("member " + name_ + " is not listed in " + std::string(kListName));
    if (hash_->digest() != entry->second)
        return fail("member " + name_ + " does not match its SHA-256 checksum");
    checked_.insert(name_);
}

void PackageCheck::parseList()
{
    std::size_t start = 0;
    int line = 0;
    while (start < listText_.size()) {
        ++line;
        const auto end = listText_.find('\n', start);
        if (end == std::string::npos)
            return fail(std::string(kListName) + " line " + std::to_string(line) + " has no line end");
        const std::string_view entry = std::string_view(listText_).substr(start, end - start);
        start = end + 1;
        const bool hexDigits = entry.size() > 66
            && std::all_of(entry.begin(), entry.begin() + 64, [](char c) { return std::isxdigit(static_cast<unsigned char>(c)) != 0; });
        if (!hexDigits || entry.substr(64, 2) != "  ")
            return fail(std::string(kListName) + " line " + std::to_string(line) + " is not \"<sha256>  <name>\"");
        std::string digest(entry.substr(0, 64));
        std::transform(digest.begin(), digest.end(), digest.begin(), [](char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); });
        if (!listed_.emplace(std::string(entry.substr(66)), digest).second)
            return fail(std::string(kListName) + " lists " + std::string(entry.substr(66)) + " twice");
    }
}

std::string PackageCheck::finish()
{
    if (problem_.empty()) {
        if (offset_ == 0)
            fail("the file is empty");
        else if (state_ != State::End)
            fail("the archive ends inside a member or a header, at offset " + std::to_string(offset_));
        else if (zeroBytesAtEnd_ < 2 * kBlock || offset_ % kBlock != 0)
            fail("the end-of-archive marker (two zero blocks) is incomplete");
    }
    if (problem_.empty()) {
        for (const auto& [name, digest] : listed_)
            if (checked_.count(name) == 0)
                fail("listed member " + name + " is missing");
    }
    return problem_;
}

} // namespace zka::camsim
