#pragma once

#include <QValidator>

namespace zka {

// One octet of a dotted address as it is typed: digits only, at most three, at most 255. A
// keystroke that would break this is refused.
class OctetValidator final : public QValidator {
public:
    using QValidator::QValidator;

    State validate(QString& input, int& position) const override;
};

} // namespace zka
