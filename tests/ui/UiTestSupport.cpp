#include "UiTestSupport.h"

#include "resources/Utf16.h"
#include "ui/pages/PageText.h"

namespace zka::test {

QString PackagedTexts::display(std::uint16_t number) const
{
    return displayText(texts(number));
}

std::vector<std::uint8_t> storedText(const std::string& utf8)
{
    std::vector<std::uint8_t> bytes{0xFF, 0xFE};
    const auto units = utf8ToUtf16Le(utf8);
    if (units)
        bytes.insert(bytes.end(), units->begin(), units->end());
    bytes.push_back(0);
    bytes.push_back(0);
    return bytes;
}

bool showActive(QWidget& window)
{
    window.show();
    window.activateWindow();
    return QTest::qWaitForWindowActive(&window);
}

} // namespace zka::test

namespace zka::test {

void clickButton(QAbstractButton* button)
{
    QTest::mouseClick(button, Qt::LeftButton, Qt::NoModifier, QPoint(6, button->height() / 2));
}

void typeIntoFocus(const QString& text)
{
    for (const QChar c : text)
        QTest::keyClick(QApplication::focusWidget(), c.toLatin1());
}

} // namespace zka::test
