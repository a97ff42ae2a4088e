#pragma once

#include "runtime/Clock.h"

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace zka {

class CameraClient;

// The probes of a camera list: one camera client per probed row, found by the row's fixed id,
// worked on in the order they were queued and at most two at a time. Cancelling a probe, or
// destroying the queue, stops its query and joins its thread.
class ListProbes final {
public:
    // A probe is given up when its query has not ended after this long (nominal time).
    static constexpr Clock::Duration kTimeout{21000};
    static constexpr std::size_t kAtOnce = 2;

    using Started = std::function<void(int rowId)>;
    using Finished = std::function<void(int rowId, const CameraClient& client)>;

    // The clock must outlive the queue.
    explicit ListProbes(const Clock& clock);
    ~ListProbes();
    ListProbes(const ListProbes&) = delete;
    ListProbes& operator=(const ListProbes&) = delete;

    void add(int rowId, std::unique_ptr<CameraClient> client);
    void cancel(int rowId);
    void clear();
    bool empty() const { return probes_.empty(); }

    // One tick of the list's probe timer, over the first two probes: one not started yet starts
    // its query with `body` and is reported to `started`; one whose query has ended, or has run
    // longer than kTimeout, is reported to `finished` and removed, and the next probe takes its
    // place in the same tick.
    void tick(const std::string& body, const Started& started, const Finished& finished);

private:
    struct Probe {
        int rowId = 0;
        std::unique_ptr<CameraClient> client;
    };

    const Clock& clock_;
    std::vector<Probe> probes_;
};

} // namespace zka
