#include "support/ScopedEnv.h"

#include <cstdlib>
#include <ctime>

namespace zka::test {

ScopedEnv::ScopedEnv(const char* name, const char* value) : name_(name)
{
    if (const char* old = std::getenv(name)) {
        old_ = old;
        had_ = true;
    }
    set(value);
}

ScopedEnv::~ScopedEnv()
{
    if (had_)
        ::setenv(name_.c_str(), old_.c_str(), 1);
    else
        ::unsetenv(name_.c_str());
    ::tzset(); // TZ is read once per change
}

void ScopedEnv::set(const char* value)
{
    if (value != nullptr)
        ::setenv(name_.c_str(), value, 1);
    else
        ::unsetenv(name_.c_str());
    ::tzset();
}

} // namespace zka::test
