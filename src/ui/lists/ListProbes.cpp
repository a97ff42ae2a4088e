#include "ui/lists/ListProbes.h"

#include "camera/CameraContext.h"

namespace zka {

ListProbes::ListProbes(const Clock& clock)
    : clock_(clock)
{
}

ListProbes::~ListProbes() = default;

void ListProbes::add(int rowId, std::unique_ptr<CameraContext> context)
{
    probes_.push_back(Probe{rowId, std::move(context)});
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
        CameraContext& context = *probes_[i].context;
        const int rowId = probes_[i].rowId;
        if (!context.queryStarted()) {
            context.startQuery(body);
            started(rowId);
            ++i;
            continue;
        }
        const bool overdue = clock_.now() - context.asyncStartTime() > kTimeout;
        if (!context.queryFinished() && !overdue) {
            ++i;
            continue;
        }
        finished(rowId, context);
        // The context stops and joins its query as it goes; the next probe moves into this place.
        probes_.erase(probes_.begin() + std::ptrdiff_t(i));
    }
}

} // namespace zka
