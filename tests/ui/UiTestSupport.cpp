#include "UiTestSupport.h"

#include "resources/Utf16.h"
#include "ui/pages/PageText.h"

#include <QHeaderView>

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

void doubleClick(QWidget* widget, QPoint position)
{
    QTest::mouseClick(widget, Qt::LeftButton, {}, position);
    QTest::mouseDClick(widget, Qt::LeftButton, {}, position);
    QTest::mouseRelease(widget, Qt::LeftButton, {}, position);
}

} // namespace zka::test

namespace zka::test {

TargetCameraList::Seams ListSeams::seams()
{
    return TargetCameraList::Seams{clock, timers, packaged.prompter, packaged.texts, desktop, models};
}

TargetCameraList::CameraEntry cameraEntry(int host, int port)
{
    TargetCameraList::CameraEntry entry;
    entry.mac = QStringLiteral("08:00:46:00:00:%1").arg(host, 2, 16, QLatin1Char('0')).toUpper();
    entry.address = {127, 0, 0, std::uint8_t(host)};
    entry.port = port;
    entry.addressText = QStringLiteral("127.0.0.%1").arg(host) + (port == 80 ? QString() : QStringLiteral(":%1").arg(port));
    entry.model = QStringLiteral("ZKA-QM410");
    entry.serial = QStringLiteral("S%1").arg(host, 7, 10, QLatin1Char('0'));
    entry.version = QStringLiteral("2.30");
    return entry;
}

void clickRow(TargetCameraList& list, int row, int column, Qt::KeyboardModifiers modifiers)
{
    const QRect cell = list.cellRect(row, column);
    QTest::mouseClick(list.viewport(), Qt::LeftButton, modifiers, QPoint(cell.left() + 6, cell.center().y()));
}

QColor stripColour(CameraListView& list, int row)
{
    const QImage image = list.viewport()->grab().toImage();
    const QRect line = list.rowRect(row);
    const int x = std::min(image.width() - 2, list.header()->length() + 4);
    return image.pixelColor(x, line.top() + line.height() / 2);
}

} // namespace zka::test
