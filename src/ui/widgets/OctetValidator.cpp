#include "ui/widgets/OctetValidator.h"

namespace zka {

QValidator::State OctetValidator::validate(QString& input, int&) const
{
    if (input.isEmpty())
        return Acceptable;
    if (input.size() > 3)
        return Invalid;
    for (const QChar c : input) {
        if (c < u'0' || c > u'9')
            return Invalid;
    }
    return input.toInt() <= 255 ? Acceptable : Invalid;
}

} // namespace zka
