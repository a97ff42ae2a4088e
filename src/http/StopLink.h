#pragma once

#include <stop_token>

namespace zka {

// One stop token raised as soon as either of two others is: a caller's stop joined with the
// client's own, so a wait ends on whichever comes first.
class StopLink final {
public:
    StopLink(std::stop_token first, std::stop_token second);
    StopLink(const StopLink&) = delete;
    StopLink& operator=(const StopLink&) = delete;

    std::stop_token token() const { return source_.get_token(); }

private:
    struct Raise {
        std::stop_source* source;
        void operator()() const { source->request_stop(); }
    };
    std::stop_source source_;
    std::stop_callback<Raise> first_;
    std::stop_callback<Raise> second_;
};

} // namespace zka
