// The Qt layer's own widgets and pictures.
#include "UiTestSupport.h"

#include "app/Artwork.h"
#include "ui/widgets/Ipv4AddressEdit.h"
#include "ui/widgets/SolidProgressBar.h"

#include <QClipboard>
#include <QImage>
#include <QLineEdit>
#include <QMenu>
#include <QSignalSpy>
#include <QStyle>
#include <QStyleFactory>
#include <QTimer>

#include <memory>

using namespace zka;

namespace {
// Given no widget, QTest sends each key to the widget that has the keyboard focus at that key.
QWidget* const kFocus = nullptr;
} // namespace

class WidgetsTest final : public QObject {
    Q_OBJECT

private slots:
    void addressTypingMovesBetweenFields();
    void addressFieldsRefuseWhatIsNoOctet();
    void addressPasteFillsAllFields();
    void addressTypedOverPresetFromAnyField_data();
    void addressTypedOverPresetFromAnyField();
    void addressSelectAllActsOnWholeAddress();
    void barColourShowsInEveryStyle_data();
    void barColourShowsInEveryStyle();
    void picturesAreDrawn();
};

void WidgetsTest::addressTypingMovesBetweenFields()
{
    Ipv4AddressEdit edit;
    QVERIFY(test::showActive(edit));
    edit.clear();
    QVERIFY(edit.isBlank());
    QSignalSpy edited(&edit, &Ipv4AddressEdit::edited);

    edit.focusField(0);
    // A dot ends a field, a third digit ends it too.
    test::typeIntoFocus(QStringLiteral("10.2550.7"));
    QCOMPARE(edit.text(), QStringLiteral("10.255.0.7"));
    QVERIFY(edit.field(3)->hasFocus());
    QVERIFY(edited.count() >= 6);

    // Backspace at the start of a field goes back to the end of the previous one.
    QTest::keyClick(edit.field(3), Qt::Key_Backspace);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backspace);
    QVERIFY(edit.field(2)->hasFocus());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backspace);
    QCOMPARE(edit.field(2)->text(), QString());
    QVERIFY(!edit.isBlank());
    QCOMPARE(edit.text(), QStringLiteral("10.255.0.0"));
    QCOMPARE(edit.address(), (Ipv4AddressEdit::Octets{10, 255, 0, 0}));
}

void WidgetsTest::addressFieldsRefuseWhatIsNoOctet()
{
    Ipv4AddressEdit edit;
    QVERIFY(test::showActive(edit));
    edit.clear();
    edit.focusField(1);
    QTest::keyClicks(edit.field(1), QStringLiteral("2a5-6"));
    QCOMPARE(edit.field(1)->text(), QStringLiteral("25")); // 256 would be no octet
    QVERIFY(!edit.setText(QStringLiteral("1.2.3.256")));
    QVERIFY(!edit.setText(QStringLiteral("1.2.3")));
    QCOMPARE(edit.field(1)->text(), QStringLiteral("25"));
    QVERIFY(edit.setText(QStringLiteral(" 172.16.5.4 ")));
    QCOMPARE(edit.address(), (Ipv4AddressEdit::Octets{172, 16, 5, 4}));
}

void WidgetsTest::addressPasteFillsAllFields()
{
    Ipv4AddressEdit edit;
    QVERIFY(test::showActive(edit));
    QApplication::clipboard()->setText(QStringLiteral("10.1.2.3"));
    edit.focusField(0);
    QTest::keySequence(edit.field(0), QKeySequence::Paste);
    QCOMPARE(edit.text(), QStringLiteral("10.1.2.3"));
}

void WidgetsTest::addressTypedOverPresetFromAnyField_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("clickedField");
    for (const char* address : {"10.1.2.3", "127.0.0.3", "192.168.100.200", "1.2.3.4"}) {
        QTest::addRow("%s as the page focuses it", address) << QString::fromLatin1(address) << -1;
        for (int field = 0; field < 4; ++field)
            QTest::addRow("%s from field %d", address, field) << QString::fromLatin1(address) << field;
    }
}

void WidgetsTest::addressTypedOverPresetFromAnyField()
{
    // The manual target page's situation: the preset address, the first field focused and selected;
    // the operator types a whole dotted address there or after a click into any field.
    QFETCH(QString, typed);
    QFETCH(int, clickedField);
    Ipv4AddressEdit edit;
    QVERIFY(test::showActive(edit));
    QVERIFY(edit.setText(QStringLiteral("192.168.0.100")));
    edit.focusField(0);

    if (clickedField >= 0) {
        QLineEdit* clicked = edit.field(clickedField);
        QTest::mouseClick(clicked, Qt::LeftButton, Qt::NoModifier, QPoint(clicked->width() - 2, clicked->height() / 2));
        QVERIFY(clicked->hasFocus());
        QCOMPARE(clicked->selectedText(), clicked->text());
    }

    QTest::keyClicks(kFocus, typed);
    QCOMPARE(edit.text(), typed);
    for (int i = 0; i < 4; ++i)
        QCOMPARE(edit.field(i)->text(), typed.section(u'.', i, i));
}

void WidgetsTest::addressSelectAllActsOnWholeAddress()
{
    Ipv4AddressEdit edit;
    QVERIFY(test::showActive(edit));
    QVERIFY(edit.setText(QStringLiteral("192.168.0.100")));
    edit.focusField(2);

    QTest::keySequence(kFocus, QKeySequence::SelectAll);
    for (int i = 0; i < 4; ++i)
        QCOMPARE(edit.field(i)->selectedText(), edit.field(i)->text());
    QTest::keySequence(kFocus, QKeySequence::Copy);
    QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("192.168.0.100"));

    // Typing over the whole address starts it afresh from the first field.
    QTest::keyClicks(kFocus, QStringLiteral("10.1.2.3"));
    QCOMPARE(edit.text(), QStringLiteral("10.1.2.3"));

    QTest::keySequence(kFocus, QKeySequence::SelectAll);
    QTest::keyClick(kFocus, Qt::Key_Delete);
    QVERIFY(edit.isBlank());
    QVERIFY(edit.field(0)->hasFocus());

    // A key that only moves the cursor ends the whole selection; the fields keep their text.
    QVERIFY(edit.setText(QStringLiteral("172.16.5.4")));
    edit.focusField(1);
    QTest::keySequence(kFocus, QKeySequence::SelectAll);
    QTest::keyClick(kFocus, Qt::Key_End);
    QCOMPARE(edit.field(0)->selectedText(), QString());
    QTest::keyClick(kFocus, Qt::Key_Backspace);
    QCOMPARE(edit.text(), QStringLiteral("172.1.5.4"));

    // Pasting from the context menu takes a dotted address too, in any field.
    QApplication::clipboard()->setText(QStringLiteral(" 10.20.30.40\n"));
    bool pasteOffered = false;
    QTimer::singleShot(0, [&pasteOffered] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (!menu)
            return;
        menu->close();
        if (auto* paste = menu->findChild<QAction*>(QStringLiteral("edit-paste")); paste && paste->isEnabled()) {
            pasteOffered = true;
            paste->trigger();
        }
    });
    QLineEdit* third = edit.field(2);
    QContextMenuEvent menuEvent(QContextMenuEvent::Mouse, third->rect().center(), third->mapToGlobal(third->rect().center()));
    QApplication::sendEvent(third, &menuEvent);
    QVERIFY(pasteOffered);
    QCOMPARE(edit.text(), QStringLiteral("10.20.30.40"));
}

void WidgetsTest::barColourShowsInEveryStyle_data()
{
    QTest::addColumn<QString>("styleName");
    QTest::newRow("fusion") << "Fusion";
    QTest::newRow("windows") << "Windows";
    QTest::newRow("default") << QString();
}

void WidgetsTest::barColourShowsInEveryStyle()
{
    QFETCH(QString, styleName);
    std::unique_ptr<QStyle> style(styleName.isEmpty() ? nullptr : QStyleFactory::create(styleName));
    QVERIFY(styleName.isEmpty() || style);

    SolidProgressBar bar;
    if (style)
        bar.setStyle(style.get());
    bar.resize(300, 20);
    bar.setValue(5000);
    const QImage image = bar.grab().toImage();
    const QRect filled = bar.filledRect();
    QVERIFY(filled.width() > 100 && filled.width() < 200);
    QCOMPARE(image.pixelColor(filled.center()), SolidProgressBar::barColour());
    QCOMPARE(image.pixelColor(filled.left() + 2, filled.center().y()), QColor(10, 36, 106));
    // Past the end of the bar the groove shows, not the bar.
    QVERIFY(image.pixelColor(filled.right() + 20, filled.center().y()) != SolidProgressBar::barColour());

    bar.setValue(0);
    QVERIFY(bar.filledRect().isEmpty());
    bar.setValue(10000);
    QVERIFY(bar.filledRect().width() > 250);
}

void WidgetsTest::picturesAreDrawn()
{
    const QIcon icon = artwork::applicationIcon();
    QVERIFY(icon.availableSizes().contains(QSize(16, 16)));
    QVERIFY(icon.availableSizes().contains(QSize(256, 256)));

    // Both pictures have transparent corners and a solid drawing in the middle.
    const QImage large = artwork::applicationPixmap(64).toImage();
    QCOMPARE(large.pixelColor(0, 0).alpha(), 0);
    QCOMPARE(large.pixelColor(27, 33).alpha(), 255);

    const QImage emergency = artwork::emergencyImage().toImage();
    QVERIFY(emergency.width() > emergency.height());
    QCOMPARE(emergency.pixelColor(0, 0).alpha(), 0);
    int opaque = 0;
    for (int y = 0; y < emergency.height(); ++y) {
        for (int x = 0; x < emergency.width(); ++x)
            opaque += emergency.pixelColor(x, y).alpha() > 128 ? 1 : 0;
    }
    QVERIFY(opaque > emergency.width() * emergency.height() / 10);
}

ZKA_QTEST_MAIN(WidgetsTest)
#include "ui_widgets_test.moc"
