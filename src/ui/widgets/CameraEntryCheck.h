#pragma once

#include <string>

class QWidget;

namespace zka {

class Ipv4AddressEdit;
class PortChoice;
class Prompter;
class ResourceText;

// Tells the operator why what was typed is refused: a warning box (caption text 203), after which
// the field at fault has the focus and, when it is a line edit, its text selected to be typed over.
void refuseEntry(Prompter& prompter, const ResourceText& texts, const std::string& text, QWidget* field);

// Checks a camera's address and port as typed, in the order the operator is told of faults: a port
// field that holds no number (whichever button is chosen, as the toolkit reads every field), a
// blank address, a custom port outside 1024 to 65535. False after refusing the first fault.
bool checkCameraEntry(Prompter& prompter, const ResourceText& texts, const Ipv4AddressEdit& address,
                      const PortChoice& port);

} // namespace zka
