#pragma once

#include "camsim/CameraSpec.h"

#include "runtime/Clock.h"

#include <httplib.h>

#include <functional>
#include <stop_token>
#include <string>

namespace zka::camsim {

class CameraConnection;

// The camera's streamed answer to a firmware upload while it rewrites its flash memory, a
// multipart/x-mixed-replace stream with the boundary "velmboundary". Each part is
// "--velmboundary\r\nContent-Type: text/plain\r\n\r\n" and a body: "(0) Number of steps: N\r\n", then
// "(k) ...\r\n" for k = 1..N, stepSeconds apart, with two other reports in between ("(-1) ..." and
// one that does not begin with "("), and finally "--velmboundary--\r\n".
class ProgressAnswer final {
public:
    static constexpr const char* kContentType = "multipart/x-mixed-replace;boundary=velmboundary";

    // beforeClosing runs just before the closing delimiter goes out (the camera starts its reboot).
    ProgressAnswer(const CameraSpec& camera, const Clock& clock, std::stop_token stop, CameraConnection& connection,
                   std::function<void()> beforeClosing);

    // One call of the library's chunked content provider: writes the next piece, waiting for its time.
    // False when the client left or the server stops (the answer ends there).
    bool provide(httplib::DataSink& sink);

    static std::string part(const std::string& body);

private:
    const CameraSpec& camera_;
    const Clock& clock_;
    std::stop_token stop_;
    CameraConnection& connection_;
    std::function<void()> beforeClosing_;
    int next_ = 0; // the step to send next; 0: the announcement
};

} // namespace zka::camsim
