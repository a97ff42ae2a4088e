#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace zka {

// One camera the operator checked for the batch, with the login given for it.
struct UpgradeTarget {
    std::string name;
    std::string password;
    std::array<std::uint8_t, 4> address{192, 168, 0, 100};
    int port = 80;
    bool dhcp = false;
    // What is known of the camera beforehand (from discovery); empty texts are filled from the
    // camera's own answer before it starts.
    std::string model;
    std::string version; // without "ver"
    std::string serial;
    std::string mac;
};

} // namespace zka
