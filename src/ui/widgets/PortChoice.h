#pragma once

#include <QWidget>

#include <cstdint>
#include <optional>

class QLineEdit;
class QRadioButton;

namespace zka {

// The HTTP port of a camera entry, on one line: the "80" button, a button without caption for a
// custom port, the port field (digits only, enabled with the custom button) and its label
// "(&1024 to 65535)", whose mnemonic leads to the field. The field keeps what was typed when "80"
// is chosen again.
class PortChoice final : public QWidget {
    Q_OBJECT

public:
    static constexpr unsigned kMinCustomPort = 1024;
    static constexpr unsigned kMaxCustomPort = 65535;
    // The refusal of a port field that holds no number, before any other check of an entry.
    static constexpr const char* kNotANumber = "Please enter the port number as a whole number.";

    explicit PortChoice(QWidget* parent = nullptr);

    bool customChosen() const;
    // The port field, when it holds an unsigned 32-bit decimal number (whichever button is chosen).
    std::optional<std::uint32_t> fieldValue() const;
    // Whether a custom port's value lies in 1024 to 65535.
    static bool validCustomPort(std::uint32_t port);
    // Shows a port: 80 chooses "80" and puts 1024 into the disabled field; any other port chooses
    // the custom button with the port in the field.
    void showPort(int port);

    QRadioButton* standardButton() const { return standard_; }
    QRadioButton* customButton() const { return custom_; }
    QLineEdit* field() const { return field_; }

private:
    QRadioButton* standard_ = nullptr;
    QRadioButton* custom_ = nullptr;
    QLineEdit* field_ = nullptr;
};

} // namespace zka
