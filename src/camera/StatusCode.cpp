#include "camera/StatusCode.h"

#include <array>

namespace zka {

namespace {
// One row per code 0 to 16: list word, manual stage word, log line.
constexpr std::array<StatusWords, 17> kWords{{
    {258, 0, 0},     // 0 Standby
    {376, 361, 0},   // 1 Prepare
    {363, 360, 0},   // 2 Saving config file
    {259, 323, 0},   // 3 Uploading
    {260, 320, 0},   // 4 Overwriting
    {261, 319, 0},   // 5 Searching
    {262, 322, 0},   // 6 Rebooting
    {364, 357, 0},   // 7 Loading config file
    {365, 359, 0},   // 8 Reconfiguring
    {263, 321, 315}, // 9 Completed
    {264, 0, 316},   // 10 Error1
    {265, 0, 317},   // 11 Error2
    {257, 0, 318},   // 12 Error3
    {354, 0, 355},   // 13 Error4
    {358, 0, 356},   // 14 Error5
    {367, 0, 370},   // 15 Error6
    {369, 0, 371},   // 16 Error7
}};
} // namespace

StatusWords statusWords(int code)
{
    if (code < 0 || code >= static_cast<int>(kWords.size()))
        return {0, 0, 0};
    return kWords[static_cast<std::size_t>(code)];
}

bool isFinal(int code)
{
    return code >= static_cast<int>(StatusCode::Completed);
}

} // namespace zka
