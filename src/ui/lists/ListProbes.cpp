#include "ui/lists/ListProbes.h"

#include "camera/CameraClient.h"

namespace zka {

ListProbes::ListProbes(const Clock& clock)
    : clock_(clock)
{
}

ListProbes::~ListProbes() = default;

void ListProbes::add(int rowId, std::unique_ptr<CameraClient> client)
{
    probes_.push_back(Probe{rowId, std::move(client)});
}

void ListProbes::cancel(int rowId)
{
    std::erase_if(probes_, [rowId](const Probe& probe) { return probe.rowId == rowId; });
}

void ListProbes::clear()
{
    probes_.clear();
}

void ListProbes::tick(const std::string& body, const Started& started, const Finished& finished)
{
    for (std::size_t i = 0; i < probes_.size() && i < kAtOnce;) {
        CameraClient& client = *probes_[i].client;
        const int rowId = probes_[i].rowId;
        if (!client.queryStarted()) {
            client.startQuery(body);
            started(rowId);
            ++i;
            continue;
        }
        const bool overdue = clock_.now() - client.queryStartTime() > kTimeout;
        if (!client.queryFinished() && !overdue) {
            ++i;
            continue;
        }
        finished(rowId, client);
        // The client stops and joins its query as it goes; the next probe moves into this place.
        probes_.erase(probes_.begin() + std::ptrdiff_t(i));
    }
}

} // namespace zka
