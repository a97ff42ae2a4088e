#include "camsim/ProgressAnswer.h"

#include "camsim/CameraConnection.h"

#include <cmath>

namespace zka::camsim {

ProgressAnswer::ProgressAnswer(const CameraSpec& camera, const Clock& clock, std::stop_token stop,
                               CameraConnection& connection, std::function<void()> beforeClosing)
    : camera_(camera)
    , clock_(clock)
    , stop_(std::move(stop))
    , connection_(connection)
    , beforeClosing_(std::move(beforeClosing))
{
}

std::string ProgressAnswer::part(const std::string& body)
{
    return "--velmboundary\r\nContent-Type: text/plain\r\n\r\n" + body;
}

bool ProgressAnswer::provide(httplib::DataSink& sink)
{
    const int steps = camera_.upgradeSteps;
    if (next_ == 0) {
        next_ = 1;
        const std::string announcement = part("(0) Number of steps: " + std::to_string(steps) + "\r\n")
            + part("(-1) Firmware image accepted, erasing the flash memory\r\n");
        return sink.write(announcement.data(), announcement.size());
    }
    if (next_ <= steps) {
        const auto pause = Clock::Duration(std::llround(camera_.stepSeconds * 1000.0));
        if (!clock_.sleepFor(pause, stop_))
            return false;
        const int k = next_++;
        std::string pieces = part("(" + std::to_string(k) + ") Writing the flash memory, block " + std::to_string(k)
                                  + " of " + std::to_string(steps) + "\r\n");
        if (k == (steps + 1) / 2)
            pieces += part("Verifying the blocks written so far\r\n");
        return sink.write(pieces.data(), pieces.size());
    }
    if (camera_.answerNeverEnds) {
        // Everything but the closing delimiter has gone out; hold the connection open.
        connection_.waitUntilClientLeaves();
        return false;
    }
    static const std::string closing = "--velmboundary--\r\n";
    if (beforeClosing_)
        beforeClosing_();
    if (!sink.write(closing.data(), closing.size()))
        return false;
    sink.done();
    return true;
}

} // namespace zka::camsim
