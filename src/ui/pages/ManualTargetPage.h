#pragma once

#include <QWidget>

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

class QCheckBox;
class QLineEdit;

namespace zka {

class Ipv4AddressEdit;
class PortChoice;
class Prompter;
class ResourceText;

// The manual mode's target: the camera's IP address and HTTP port, the administrator login and what
// happens to the camera's current settings. The wizard reads it when Next is pressed; the page itself
// never talks to the network.
class ManualTargetPage final : public QWidget {
    Q_OBJECT

public:
    using Octets = std::array<std::uint8_t, 4>;
    // The addresses of the discovered cameras that have a MAC address, in table order.
    using DiscoveredAddresses = std::function<std::vector<Octets>()>;

    static constexpr std::size_t kMaxLoginLength = 16;

    // Refusals go through the prompter: caption "Information", warning icon, focus to the field.
    // The texts and the prompter must outlive the page.
    ManualTargetPage(const ResourceText& texts, Prompter& prompter, QWidget* parent = nullptr);

    // Whether the page may be left forward; otherwise one message has been shown and the keyboard
    // focus is on the field at fault. Tests, in order: the port field holds a number, the address
    // is not blank, a custom port lies in 1024..65535, the name and then the password are not empty.
    bool validateInput();
    // "a.b.c.d", followed by ":port" when the custom port is chosen. Empty address fields count as 0.
    std::string targetAddress() const;
    // "name:password" (UTF-8), for the Basic authorization of the camera requests.
    std::string credentials() const;
    bool retainSettings() const;
    bool backupSettings() const;

    // Where checkDuplicateAddress() finds the discovered cameras; the wizard sets it when it shows
    // the page. Without a source no camera counts.
    void setDiscoveryTable(DiscoveredAddresses discovered);
    // False, after an error message, when two or more discovered cameras have the entered address.
    bool checkDuplicateAddress();
    void focusAddress();

    // The custom port as typed, when the field holds an unsigned 32-bit decimal number.
    std::optional<std::uint32_t> customPortValue() const;

private:
    void onRetainToggled(bool retain);

    const ResourceText& texts_;
    Prompter& prompter_;
    DiscoveredAddresses discovered_;

    Ipv4AddressEdit* address_ = nullptr;
    PortChoice* portChoice_ = nullptr;
    QLineEdit* name_ = nullptr;
    QLineEdit* password_ = nullptr;
    QCheckBox* retain_ = nullptr;
    QCheckBox* backup_ = nullptr;
};

} // namespace zka
