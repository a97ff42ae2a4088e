#include "ui/widgets/CameraEntryCheck.h"

#include "resources/ResourceText.h"
#include "runtime/Prompter.h"
#include "ui/widgets/Ipv4AddressEdit.h"
#include "ui/widgets/PortChoice.h"

#include <QLineEdit>

#include <cstdint>

namespace zka {
namespace {

constexpr std::uint16_t kWrongAddressText = 120;
constexpr std::uint16_t kInformationCaption = 203;
constexpr std::uint16_t kWrongPortText = 310;

} // namespace

void refuseEntry(Prompter& prompter, const ResourceText& texts, const std::string& text, QWidget* field)
{
    prompter.show(Message{text, texts(kInformationCaption), MessageIcon::Warning, MessageButtons::Ok});
    field->setFocus(Qt::OtherFocusReason);
    if (auto* edit = qobject_cast<QLineEdit*>(field))
        edit->selectAll();
}

bool checkCameraEntry(Prompter& prompter, const ResourceText& texts, const Ipv4AddressEdit& address,
                      const PortChoice& port)
{
    const auto value = port.fieldValue();
    if (!value) {
        refuseEntry(prompter, texts, PortChoice::kNotANumber, port.field());
        return false;
    }
    if (address.isBlank()) {
        refuseEntry(prompter, texts, texts(kWrongAddressText), address.field(0));
        return false;
    }
    if (port.customChosen() && !PortChoice::validCustomPort(*value)) {
        refuseEntry(prompter, texts, texts(kWrongPortText), port.field());
        return false;
    }
    return true;
}

} // namespace zka
