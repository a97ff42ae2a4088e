#include "camera_http_host.h"

namespace zka::test {

CameraTestHost::CameraTestHost(double timeScale)
    : clock(timeScale)
    , loop(clock)
    , texts(embeddedResources(), prompter)
{
}

} // namespace zka::test
