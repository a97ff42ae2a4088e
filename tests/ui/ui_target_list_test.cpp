// The target list's rules: check boxes by click and space over a selection, sorting, adding,
// logins, the duplicate check, the web page of a double click, the DHCP tip and the fitted texts.
// Probes against cameras are in wizard_automatic_test.
#include "UiTestSupport.h"

#include "ui/lists/TargetCameraList.h"

#include <QHeaderView>
#include <QSignalSpy>

using namespace zka;
using namespace zka::test;

namespace {

// A target list on screen with the page's columns and `rows` cameras at 127.0.0.2 onwards.
struct ListOnScreen {
    explicit ListOnScreen(int rows)
    {
        list.setColumns(TargetCameraList::standardColumns());
        list.resize(640, 320);
        for (int i = 0; i < rows; ++i)
            list.addCamera(i, cameraEntry(i + 2));
        list.show();
        exposed = QTest::qWaitForWindowExposed(&list);
    }

    std::vector<bool> checks() const
    {
        std::vector<bool> states;
        for (int i = 0; i < list.rowCount(); ++i)
            states.push_back(list.row(i).checked);
        return states;
    }
    std::vector<QString> column(int column) const
    {
        std::vector<QString> texts;
        for (int i = 0; i < list.rowCount(); ++i)
            texts.push_back(list.row(i).texts[std::size_t(column)]);
        return texts;
    }

    ListSeams seams;
    TargetCameraList list{seams.seams()};
    bool exposed = false;
};

} // namespace

class TargetListTest final : public QObject {
    Q_OBJECT

private slots:
    void checkBoxClicksFollowTheSelection();
    void spaceReleaseSetsTheSelectionFromTheFocusedRow();
    void sortingRules();
    void addingSkipsKnownCameras();
    void loginsMakeRowsComplete();
    void duplicateAddressesAreNamedAndMarked();
    void doubleClickOpensTheWebPage();
    void dhcpRowsShowTheirAddressAsATip();
    void longTextsAreFittedIntoTheirColumn();
};

void TargetListTest::checkBoxClicksFollowTheSelection()
{
    ListOnScreen t(4);
    QSignalSpy checks(&t.list, &TargetCameraList::checksChanged);
    t.list.selectAllRows();
    clickRow(t.list, 3, TargetCameraList::MacColumn, Qt::ControlModifier); // rows 0..2 stay selected
    QCOMPARE(t.list.selectedRows(), (std::vector<int>{0, 1, 2}));

    // Row 1's box turns every selected row to the inverse of row 1; the selection stays.
    clickRow(t.list, 1, TargetCameraList::CheckColumn);
    QCOMPARE(t.checks(), (std::vector<bool>{false, false, false, true}));
    QCOMPARE(t.list.selectedRows(), (std::vector<int>{0, 1, 2}));
    QCOMPARE(checks.count(), 1);
    // Rows that differ all take the inverse of the clicked one.
    t.list.setChecked(2, true);
    clickRow(t.list, 0, TargetCameraList::CheckColumn);
    QCOMPARE(t.checks(), (std::vector<bool>{true, true, true, true}));

    // An unselected row's box toggles that row only.
    clickRow(t.list, 3, TargetCameraList::CheckColumn);
    QCOMPARE(t.checks(), (std::vector<bool>{true, true, true, false}));
    QCOMPARE(t.list.selectedRows(), (std::vector<int>{0, 1, 2}));

    // A click below the last row changes nothing, not even the selection.
    QTest::mouseClick(t.list.viewport(), Qt::LeftButton, {}, QPoint(60, t.list.rowRect(3).bottom() + 30));
    QCOMPARE(t.list.selectedRows(), (std::vector<int>{0, 1, 2}));
    // A click elsewhere in a row selects as usual and leaves the boxes alone.
    clickRow(t.list, 3, TargetCameraList::ModelColumn);
    QCOMPARE(t.list.selectedRows(), (std::vector<int>{3}));
    QCOMPARE(t.checks(), (std::vector<bool>{true, true, true, false}));
}

void TargetListTest::spaceReleaseSetsTheSelectionFromTheFocusedRow()
{
    ListOnScreen t(4);
    t.list.setChecked(1, false);
    t.list.setFocus();
    clickRow(t.list, 0, TargetCameraList::ModelColumn);
    clickRow(t.list, 1, TargetCameraList::ModelColumn, Qt::ShiftModifier); // rows 0 and 1, focus on 1
    QCOMPARE(t.list.focusedRow(), 1);
    QTest::keyClick(&t.list, Qt::Key_Space);
    QCOMPARE(t.checks(), (std::vector<bool>{true, true, true, true}));
    QTest::keyClick(&t.list, Qt::Key_Space);
    QCOMPARE(t.checks(), (std::vector<bool>{false, false, true, true}));
    // An auto-repeated release of a held key is no release.
    QKeyEvent repeat(QEvent::KeyRelease, Qt::Key_Space, Qt::NoModifier, QStringLiteral(" "), true);
    QApplication::sendEvent(&t.list, &repeat);
    QCOMPARE(t.checks(), (std::vector<bool>{false, false, true, true}));
}

void TargetListTest::sortingRules()
{
    ListOnScreen t(0);
    for (const auto& [host, model] : {std::pair{2, "ZKA-QM410P"}, {3, "ZKA-QM410"}, {4, "zka-qm410"}, {5, "ZKA-QM410E"}}) {
        auto entry = cameraEntry(host);
        entry.model = QString::fromLatin1(model);
        t.list.addCamera(t.list.rowCount(), entry);
    }
    const auto byHeader = [&](int column) {
        const int left = t.list.header()->sectionViewportPosition(column);
        QTest::mouseClick(t.list.header()->viewport(), Qt::LeftButton, {}, QPoint(left + 8, 5));
    };
    const auto original = t.column(TargetCameraList::ModelColumn);

    // Every row checked: sorting by the check box leaves the order as it is.
    byHeader(TargetCameraList::CheckColumn);
    QCOMPARE(t.column(TargetCameraList::ModelColumn), original);
    // A press next to a divider only grabs the divider.
    const int edge = t.list.header()->sectionViewportPosition(TargetCameraList::ModelColumn);
    QTest::mouseClick(t.list.header()->viewport(), Qt::LeftButton, {}, QPoint(edge + 2, 5));
    QCOMPARE(t.column(TargetCameraList::ModelColumn), original);

    // By character code, capitals first; a second click the other way round. The selection and
    // the focus go with their rows.
    t.list.selectRows({0}, 0);
    byHeader(TargetCameraList::ModelColumn);
    QCOMPARE(t.column(TargetCameraList::ModelColumn),
             (std::vector<QString>{"ZKA-QM410", "ZKA-QM410E", "ZKA-QM410P", "zka-qm410"}));
    QCOMPARE(t.list.selectedRows(), (std::vector<int>{2}));
    QCOMPARE(t.list.focusedRow(), 2);
    byHeader(TargetCameraList::ModelColumn);
    QCOMPARE(t.column(TargetCameraList::ModelColumn),
             (std::vector<QString>{"zka-qm410", "ZKA-QM410P", "ZKA-QM410E", "ZKA-QM410"}));

    // By check state: unchecked first, then the other way round.
    t.list.setChecked(1, false);
    byHeader(TargetCameraList::CheckColumn);
    QCOMPARE(t.checks(), (std::vector<bool>{false, true, true, true}));
    QCOMPARE(t.list.row(0).texts[TargetCameraList::ModelColumn], QStringLiteral("ZKA-QM410P"));
    byHeader(TargetCameraList::CheckColumn);
    QCOMPARE(t.checks(), (std::vector<bool>{true, true, true, false}));
}

void TargetListTest::addingSkipsKnownCameras()
{
    ListOnScreen t(0);
    auto noIdentity = cameraEntry(9);
    noIdentity.mac.clear();
    noIdentity.serial.clear();
    QVERIFY(t.list.addCamera(0, noIdentity)); // only into an empty list
    QVERIFY(!t.list.addCamera(1, cameraEntry(10) = noIdentity));

    QVERIFY(t.list.addCamera(5, cameraEntry(2))); // a position past the end appends
    QCOMPARE(t.list.row(1).texts[TargetCameraList::MacColumn], cameraEntry(2).mac);
    QVERIFY(!t.list.addCamera(2, cameraEntry(2)));      // the same MAC
    auto sameSerial = cameraEntry(3);
    sameSerial.mac.clear();
    sameSerial.serial = cameraEntry(2).serial;
    QVERIFY(!t.list.addCamera(2, sameSerial));            // no MAC, a listed serial
    sameSerial.serial = QStringLiteral("S9999999");
    QVERIFY(t.list.addCamera(0, sameSerial));             // no MAC, a new serial: at the front
    QCOMPARE(t.list.rowCount(), 3);
    QCOMPARE(t.list.row(0).texts[TargetCameraList::SerialColumn], QStringLiteral("S9999999"));

    const TargetRow& added = t.list.row(0);
    QVERIFY(added.checked);
    QCOMPARE(added.probeState, 0);
    QVERIFY(added.texts[TargetCameraList::NameColumn].isEmpty());
    QVERIFY(t.list.row(0).id != t.list.row(1).id && t.list.row(1).id != t.list.row(2).id);
}

void TargetListTest::loginsMakeRowsComplete()
{
    ListOnScreen t(3);
    auto dhcp = cameraEntry(7, 8080);
    dhcp.addressText = QStringLiteral("DHCP");
    t.list.addCamera(3, dhcp);
    QVERIFY(!t.list.hasCompleteCheckedRows());
    for (int row = 0; row < 3; ++row)
        t.list.setRowLogin(row, QStringLiteral("admin"), QStringLiteral("secret"));
    QVERIFY(!t.list.hasCompleteCheckedRows()); // the DHCP row has no login yet
    t.list.setChecked(3, false);
    QVERIFY(t.list.hasCompleteCheckedRows());

    // A name without a password is drawn red, and the row is not complete while checked.
    t.list.setChecked(3, true);
    t.list.setRowLogin(3, QStringLiteral("admin"), QString());
    QVERIFY(!t.list.hasCompleteCheckedRows());
    t.list.clearSelection();
    const QImage image = t.list.viewport()->grab().toImage();
    const auto inkOf = [&](int row) {
        const QRect cell = t.list.cellRect(row, TargetCameraList::NameColumn);
        QColor darkest = Qt::white;
        for (int x = cell.left(); x < cell.right(); ++x)
            for (int y = cell.top(); y < cell.bottom(); ++y)
                if (qGray(image.pixel(x, y)) < qGray(darkest.rgb()))
                    darkest = image.pixelColor(x, y);
        return darkest;
    };
    const QColor red = inkOf(3);
    QVERIFY2(red.red() > 200 && red.green() < 90 && red.blue() < 90, qPrintable(red.name()));
    QVERIFY(inkOf(0).red() < 90); // a complete login is drawn in the normal colour

    TargetCameraList::RowDetails details;
    QVERIFY(t.list.getRowDetails(3, details));
    QCOMPARE(details.name, std::string("admin"));
    QVERIFY(details.password.empty());
    QVERIFY(details.dhcp);
    QCOMPARE(details.address, (TargetRow::Octets{127, 0, 0, 7}));
    QCOMPARE(details.port, 8080);
    QCOMPARE(details.serial, std::string("S0000007"));
    t.list.setChecked(0, false);
    QVERIFY(!t.list.getRowDetails(0, details));
    QVERIFY(!details.dhcp);
}

void TargetListTest::duplicateAddressesAreNamedAndMarked()
{
    ListOnScreen t(2);
    QVERIFY(t.list.checkDuplicateAddresses());
    QCOMPARE(t.seams.prompter().count(), 0u);

    for (int host : {20, 21, 22}) {
        auto entry = cameraEntry(host);
        entry.address = {10, 0, 0, 5};
        t.list.addCamera(t.list.rowCount(), entry);
    }
    QVERIFY(!t.list.checkDuplicateAddresses());
    QCOMPARE(t.seams.prompter().messages(),
             (std::vector<Message>{{"There is more than one camera with the same IP address as below.\r\n"
                                    "#10.0.0.5\r\n#10.0.0.5\r\n#10.0.0.5\r\n"
                                    "Please assign different addresses to avoid any conflict.",
                                    "Error", MessageIcon::Error, MessageButtons::Ok}}));
    // The rows that share the address are yellow; the others keep the normal strip.
    t.list.clearSelection();
    QCOMPARE(stripColour(t.list, 2), QColor(0xFF, 0xD9, 0x5B));
    QCOMPARE(stripColour(t.list, 0), QColor(0xFB, 0xFB, 0xFB));
    QCOMPARE(t.list.model()->index(2, 0).data(Qt::AccessibleDescriptionRole).toString(), QStringLiteral("Same address"));
    // Selected rows show the selection instead.
    t.list.selectRows({2}, 2);
    QCOMPARE(stripColour(t.list, 2), QColor(0x2A, 0x42, 0x7F));
}

void TargetListTest::doubleClickOpensTheWebPage()
{
    ListOnScreen t(1);
    t.list.addCamera(1, cameraEntry(3, 8080));
    const auto doubleClickRow = [&](int row, int column) {
        const QRect cell = t.list.cellRect(row, column);
        doubleClick(t.list.viewport(), QPoint(cell.left() + 8, cell.center().y()));
    };
    doubleClickRow(0, TargetCameraList::AddressColumn);
    doubleClickRow(1, TargetCameraList::ModelColumn);
    QCOMPARE(t.seams.desktop.openedUrls,
             (std::vector<std::string>{"http://127.0.0.2/", "http://127.0.0.3:8080/"}));

    // On the check box a double click is two clicks and opens nothing.
    doubleClickRow(1, TargetCameraList::CheckColumn);
    QCOMPARE(t.seams.desktop.openedUrls.size(), 2u);
    QVERIFY(t.list.row(1).checked);
}

void TargetListTest::dhcpRowsShowTheirAddressAsATip()
{
    ListOnScreen t(1);
    auto dhcp = cameraEntry(4, 8080);
    dhcp.addressText = QStringLiteral("DHCP");
    t.list.addCamera(1, dhcp);
    const auto moveTo = [&](int row, int column) {
        const QRect cell = t.list.cellRect(row, column);
        QTest::mouseMove(t.list.viewport(), QPoint(cell.left() + 10, cell.center().y()));
    };
    moveTo(1, TargetCameraList::AddressColumn);
    QTRY_COMPARE(t.list.currentTip(), QStringLiteral("127.0.0.4:8080"));
    moveTo(0, TargetCameraList::AddressColumn);
    QTRY_COMPARE(t.list.currentTip(), QString());
    moveTo(1, TargetCameraList::AddressColumn);
    QTRY_COMPARE(t.list.currentTip(), QStringLiteral("127.0.0.4:8080"));
    moveTo(1, TargetCameraList::ModelColumn);
    QTRY_COMPARE(t.list.currentTip(), QString());
}

void TargetListTest::longTextsAreFittedIntoTheirColumn()
{
    ListOnScreen t(1);
    const QFontMetrics metrics(t.list.font());
    const QString longModel = QStringLiteral("ZKA-QM410 with a very long model name");
    const QString fitted = CameraListView::fitTextToColumn(metrics, longModel, 85);
    QVERIFY(fitted.endsWith(QChar(0x2026)));
    QVERIFY(metrics.horizontalAdvance(fitted) + 12 <= 85);
    QVERIFY(longModel.startsWith(fitted.chopped(1)));
    // A text that fits with 6 pixels to spare on either side stays whole.
    const QString version = QStringLiteral("2.30");
    QCOMPARE(CameraListView::fitTextToColumn(metrics, version, metrics.horizontalAdvance(version) + 12), version);
    QVERIFY(CameraListView::fitTextToColumn(metrics, version, metrics.horizontalAdvance(version) + 11) != version);
    // The page's columns hold a MAC address and an address with its port whole.
    QCOMPARE(CameraListView::fitTextToColumn(metrics, QStringLiteral("08:00:46:AB:CD:EF"), 123),
             QStringLiteral("08:00:46:AB:CD:EF"));
    QCOMPARE(CameraListView::fitTextToColumn(metrics, QStringLiteral("192.168.0.100"), 100),
             QStringLiteral("192.168.0.100"));
}

ZKA_QTEST_MAIN(TargetListTest)
#include "ui_target_list_test.moc"
