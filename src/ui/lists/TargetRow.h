#pragma once

#include "upgrade/UpgradeTarget.h"

#include <QString>

#include <array>
#include <cstdint>

namespace zka {

// One camera of the target list.
struct TargetRow {
    using Octets = std::array<std::uint8_t, 4>;

    // The texts: the list's columns in their order, then the password, which no column shows.
    enum Text : std::size_t { CheckText, MacText, AddressText, ModelText, SerialText, VersionText, NameText, PasswordText };

    // A camera as the host adds it.
    struct Entry {
        QString mac;
        QString addressText; // "a.b.c.d", "a.b.c.d:port" or "DHCP"
        QString model;
        QString serial;
        QString version;
        Octets address{192, 168, 0, 100};
        int port = 80;
        int spare = -1;
    };

    TargetRow() = default;
    // A checked, unprobed row without a login.
    TargetRow(int rowId, const Entry& entry);

    // Whether the entry is this row's camera: by its MAC address, without one by its serial,
    // without either any row is.
    bool describes(const Entry& entry) const;
    // What the batch takes over from the row.
    UpgradeTarget target() const;
    // The camera's web page: "http://a.b.c.d/" or "http://a.b.c.d:port/".
    QString webPage() const;
    // The address a "DHCP" row shows as a tip; empty elsewhere.
    QString addressTip() const;
    // What the list tells assistive technology of the row: its probe's answer, a shared address.
    QString description() const;

    // Fixed for the row's life and never reused: probes find their row by it, whatever the order.
    int id = 0;
    // The value the host gave with the row (the target page gives -1).
    int spare = -1;
    bool checked = true;
    // Indexed by Text: column 0 (empty), MAC address, IP address or "DHCP", model, serial, version,
    // administrator name, administrator password.
    std::array<QString, 8> texts;
    Octets ipAddress{192, 168, 0, 100};
    int httpPort = 80;
    // 0 not probed, 1 no answer, 2 answered.
    int probeState = 0;
    // Another row has the same address (set by the duplicate check).
    bool duplicate = false;
};

} // namespace zka
