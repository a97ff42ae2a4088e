#include "discovery/Enquiry.h"

namespace zka {

const std::array<std::uint8_t, 14> kDiscoveryEnquiry{
    0x02, 'E', 'N', 'Q', ':', 'a', 'l', 'l', 'i', 'n', 'f', 'o', 0xFF, 0x03,
};

} // namespace zka
