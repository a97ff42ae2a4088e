#pragma once

#include <string>

namespace zka::test {

// Sets (or, given nullptr, clears) an environment variable for the life of the object and then puts
// the old value back, so one test's setting never leaks into the next test of the same process.
class ScopedEnv final {
public:
    ScopedEnv(const char* name, const char* value);
    ~ScopedEnv();
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

    // Changes the value; the destructor still restores the one from before the construction.
    void set(const char* value);

private:
    std::string name_;
    std::string old_;
    bool had_ = false;
};

} // namespace zka::test
