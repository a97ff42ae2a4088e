#include "ui/pages/PageText.h"

namespace zka {

QString displayText(const std::string& utf8)
{
    return QString::fromStdString(utf8).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

std::string versionNumber(const std::string& versionText)
{
    return versionText.size() > 3 ? versionText.substr(3) : std::string();
}

} // namespace zka
