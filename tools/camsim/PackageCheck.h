#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <string_view>

namespace zka::camsim {

// Checks a firmware package as it streams in, without keeping it: a ustar archive whose first member
// "SHA256SUMS" lists every other member in sha256sum's format ("<64 hex>  <name>\n"). Each member is
// hashed while it passes; finish() tells whether every member was listed, every listed member came,
// and every checksum matched. The first problem found is the verdict.
class PackageCheck final {
public:
    PackageCheck();
    ~PackageCheck();
    PackageCheck(const PackageCheck&) = delete;
    PackageCheck& operator=(const PackageCheck&) = delete;

    void feed(std::string_view bytes);
    // Empty when the package is sound, else what is wrong with it.
    std::string finish();

    // Members seen so far, the checksum list excluded.
    std::size_t membersChecked() const { return checked_.size(); }

private:
    enum class State { Header, Data, Padding, End };

    void headerBlock();
    void memberData(std::string_view bytes);
    void memberEnd();
    void parseList();
    void fail(std::string problem);

    State state_ = State::Header;
    std::string block_;
    std::string name_;
    bool regular_ = false;
    std::uint64_t left_ = 0;
    std::uint64_t padding_ = 0;
    std::uint64_t offset_ = 0;
    std::uint64_t zeroBytesAtEnd_ = 0;
    bool first_ = true;
    std::string listText_;
    std::map<std::string, std::string> listed_; // name -> lower-case hex digest
    std::set<std::string> checked_;
    struct Hash;
    std::unique_ptr<Hash> hash_;
    std::string problem_;
};

} // namespace zka::camsim
