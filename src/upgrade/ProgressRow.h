#pragma once

#include <array>
#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace zka {

// One camera of a batch as its list row shows it: the fields of a target-list row, the progress
// row's own, and what a report of the batch tells about the camera besides. Rows live in storage
// that never moves, so that the camera's threads can write `progress` while the row exists. Every
// other field changes only on the user-interface thread, in the scheduler's tick.
struct ProgressRow {
    // The row's eight texts, in this order.
    enum TextIndex : std::size_t {
        IdText,       // position + 1 as "%03d"
        AddressText,  // "a.b.c.d", or "a.b.c.d:port" when the port is not 80
        ModelText,
        VersionText,  // the current version; the new one once the camera completed
        ProgressText, // always empty: the progress column is a bar
        StatusText,   // the status word of the camera's code
        NameText,     // the administrator's name and password
        PasswordText,
        kTextCount,
    };

    // ---- The fields of a target-list row ----
    int index = 0;   // the row's position, also the tag of its camera context
    int spare = -1;
    int checked = 0;
    std::array<std::string, kTextCount> texts;
    std::array<std::uint8_t, 4> ipAddress{192, 168, 0, 100};
    int httpPort = 80;
    int probeState = 0;
    int wasSelected = 0;
    int wasFocused = 0;

    // ---- The progress row's own ----
    std::atomic<int> progress{0}; // 0 to 10000; written by the camera's threads, readable at any time
    int finalStatus = 0;          // the code the camera ended with; 0 while it runs or when dropped
    int dhcp = 0;                 // 1 when the camera's address comes from DHCP
    int packageIndex = 0;         // the package slot of the camera's document type
    std::string currentVersion;   // the version before the upgrade, without "ver"

    // ---- For reports ----
    int statusCode = 0;              // the code whose word StatusText holds
    std::string serial;
    std::string mac;
    std::string versionAfter;        // the version the camera reported last, without "ver"; empty: none
    std::string savedConfiguration;  // the saved configuration file, when it was kept
    // The cause of a failure, or why the camera was not started; empty when there is none.
    std::string detail;
    std::optional<std::chrono::system_clock::time_point> started; // the scheduler began with the camera
    std::optional<std::chrono::system_clock::time_point> ended;   // the camera reached its final code
};

} // namespace zka
