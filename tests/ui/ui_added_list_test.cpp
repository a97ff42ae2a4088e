// The added-camera list: its marks for addresses entered twice or listed already, its ids through
// deletions and sorts, and its probes against simulated cameras (in the sandbox): the words in
// order, two at a time, and each result in its own row whatever happened to the rows meanwhile.
#include "AddedCamerasRig.h"

#include <QHeaderView>

using namespace zka;
using namespace zka::test;

namespace {

const QColor kDuplicate(0xFF, 0xD9, 0x5B);
const QColor kListedAlready(0xFF, 0xA3, 0xA3);
const QColor kNormal(0xFB, 0xFB, 0xFB);

// An added-camera list on screen beside the rig's target list.
struct ListOnScreen {
    explicit ListOnScreen(double listTimeScale = 0.01)
        : rig(listTimeScale)
    {
        list.setColumns(AddedCameraList::standardColumns());
        list.setTargetList(&rig.target);
        list.resize(480, 300);
        list.show();
        exposed = QTest::qWaitForWindowExposed(&list);
    }
    std::vector<QString> ids() const
    {
        std::vector<QString> texts;
        for (int row = 0; row < list.rowCount(); ++row)
            texts.push_back(list.row(row).texts[AddedCameraList::IdColumn]);
        return texts;
    }
    bool idle() const { return !list.probesPending(); }

    AddedCamerasRig rig;
    AddedCameraList list{rig.seams.seams()};
    bool exposed = false;
};

} // namespace

class AddedListTest final : public QObject {
    Q_OBJECT

private slots:
    void marksFollowTheAddresses();
    void idsThroughDeletionsAndSorts();
    void probeWordsComeInOrderTwoAtATime();
    void resultsStayInTheirRowsAcrossDeletesAndSorts();
};

void AddedListTest::marksFollowTheAddresses()
{
    ListOnScreen t;
    QVERIFY(t.rig.started && t.exposed);
    t.rig.target.addCamera(0, cameraEntry(20));
    t.list.setTargetList(&t.rig.target);

    // One camera that answers, entered twice: both rows yellow, neither ready although its probes
    // find the camera; deleting one clears the other.
    const int first = giveAddress(t.list, "127.0.0.2");
    const int second = giveAddress(t.list, "127.0.0.2");
    QCOMPARE(t.list.row(first).duplicateMark, 1);
    QCOMPARE(t.list.row(second).duplicateMark, 1);
    t.list.clearSelection();
    QCOMPARE(stripColour(t.list, first), kDuplicate);
    QTRY_VERIFY(t.idle());
    QVERIFY(!t.list.isRowReady(first) && !t.list.isRowReady(second));
    QCOMPARE(modelText(t.list, first), QStringLiteral("ZKA-QM410"));
    QCOMPARE(modelText(t.list, second), QStringLiteral("ZKA-QM410"));
    t.list.deleteRow(second);
    QCOMPARE(t.list.row(first).duplicateMark, 0);
    QVERIFY(t.list.isRowReady(first));
    t.list.clearSelection();
    QCOMPARE(stripColour(t.list, first), kNormal);

    // Listed already: pink, also where another row of the list has the address too.
    const int listed = giveAddress(t.list, "127.0.0.20");
    const int again = giveAddress(t.list, "127.0.0.20:8080");
    QCOMPARE(t.list.row(listed).duplicateMark, 2);
    QCOMPARE(t.list.row(again).duplicateMark, 2);
    t.list.clearSelection();
    QCOMPARE(stripColour(t.list, again), kListedAlready);

    // A blank row proposes the last address; it marks nothing until it is given one.
    const int blank = t.list.addBlankRow();
    QVERIFY(!t.list.row(blank).inUse);
    QCOMPARE(t.list.getRowAddress(blank).first, (AddedRow::Octets{127, 0, 0, 20}));
    t.list.setRowAddress(first, {10, 0, 0, 7}, 80, true);
    QCOMPARE(t.list.row(first).duplicateMark, 0);
    QCOMPARE(t.list.row(blank).duplicateMark, 2);

    // A double click opens the camera's page, with its port.
    const QRect cell = t.list.cellRect(again, AddedCameraList::ModelColumn);
    doubleClick(t.list.viewport(), cell.center());
    QCOMPARE(t.rig.seams.desktop.openedUrls, (std::vector<std::string>{"http://127.0.0.20:8080/"}));
}

void AddedListTest::idsThroughDeletionsAndSorts()
{
    ListOnScreen t;
    QVERIFY(t.rig.started && t.exposed);
    for (int host = 30; host < 35; ++host)
        giveAddress(t.list, QStringLiteral("127.0.0.%1").arg(host));
    QCOMPARE(t.ids(), (std::vector<QString>{"001", "002", "003", "004", "005"}));

    // Deleting row 002 renumbers the rows after it; the row now at that position is selected.
    t.list.selectRow(1);
    t.list.deleteRow(1);
    QCOMPARE(t.ids(), (std::vector<QString>{"001", "002", "003", "004"}));
    QCOMPARE(t.list.row(1).texts[AddedCameraList::AddressColumn], QStringLiteral("127.0.0.32"));
    QCOMPARE(t.list.selectedRows(), (std::vector<int>{1}));
    t.list.selectRow(3);
    t.list.deleteRow(3);
    QCOMPARE(t.list.selectedRows(), (std::vector<int>{2}));
    giveAddress(t.list, "127.0.0.35");
    QCOMPARE(t.ids(), (std::vector<QString>{"001", "002", "003", "004"}));

    // ID sorts from high to low first; a text column from low to high; the selection stays put.
    t.list.selectRow(0);
    const int left = t.list.header()->sectionViewportPosition(AddedCameraList::IdColumn);
    QTest::mouseClick(t.list.header()->viewport(), Qt::LeftButton, {}, QPoint(left + 10, 5));
    QCOMPARE(t.ids(), (std::vector<QString>{"004", "003", "002", "001"}));
    QCOMPARE(t.list.row(t.list.firstSelectedRow()).id, 1);
    t.list.sortRowsByColumn(AddedCameraList::IdColumn);
    QCOMPARE(t.ids(), (std::vector<QString>{"001", "002", "003", "004"}));
    t.list.sortRowsByColumn(AddedCameraList::IdColumn);
    t.list.sortRowsByColumn(AddedCameraList::AddressColumn);
    QCOMPARE(t.list.row(0).texts[AddedCameraList::AddressColumn], QStringLiteral("127.0.0.30"));
    QCOMPARE(t.list.row(3).texts[AddedCameraList::AddressColumn], QStringLiteral("127.0.0.35"));

    // Deleting after a sort renumbers by id, not by position; blank rows go, the ids close up.
    t.list.sortRowsByColumn(AddedCameraList::IdColumn);
    t.list.deleteRow(2); // id 002
    QCOMPARE(t.ids(), (std::vector<QString>{"003", "002", "001"}));
    t.list.addBlankRow();
    giveAddress(t.list, "127.0.0.36");
    t.list.removeUnusedRows();
    QCOMPARE(t.ids(), (std::vector<QString>{"003", "002", "001", "004"}));
    QTRY_VERIFY(t.idle());
}

void AddedListTest::probeWordsComeInOrderTwoAtATime()
{
    // Real time: a tick every 500 ms, a probe given up after 21 s.
    ListOnScreen t(1.0);
    QVERIFY(t.rig.started && t.exposed);
    std::vector<bool> okStates;
    connect(&t.list, &AddedCameraList::okAllowed, this, [&](bool allowed) { okStates.push_back(allowed); });
    const int slow = giveAddress(t.list, "127.0.0.8");
    giveAddress(t.list, "127.0.0.12");
    giveAddress(t.list, "127.0.0.2");
    for (int row = 0; row < 3; ++row)
        QCOMPARE(modelText(t.list, row), QStringLiteral("Queued..."));
    QVERIFY(!t.list.isRowReady(2));

    QTRY_COMPARE_WITH_TIMEOUT(modelText(t.list, 0), QStringLiteral("Searching..."), 3000);
    QCOMPARE(modelText(t.list, 1), QStringLiteral("Searching..."));
    QCOMPARE(modelText(t.list, 2), QStringLiteral("Queued..."));
    QCOMPARE(okStates, (std::vector<bool>{false}));

    // The first probe goes with its row; the third moves up and is answered.
    t.list.deleteRow(slow);
    QTRY_COMPARE_WITH_TIMEOUT(modelText(t.list, 1), QStringLiteral("ZKA-QM410"), 5000);
    QVERIFY(t.list.isRowReady(1));
    QCOMPARE(modelText(t.list, 0), QStringLiteral("Searching..."));
    QVERIFY(!t.list.isRowReady(0));
    QVERIFY(!okStates.back());
    t.list.deleteRow(0);
    QTRY_VERIFY_WITH_TIMEOUT(okStates.back(), 3000);
    QCOMPARE(t.rig.fleet.requests("127.0.0.2").size(), 1u);
}

void AddedListTest::resultsStayInTheirRowsAcrossDeletesAndSorts()
{
    ListOnScreen t;
    QVERIFY(t.rig.started && t.exposed);
    const std::vector<QString> addresses{"127.0.0.2", "127.0.0.5", "127.0.0.6", "127.0.0.7",
                                         "127.0.0.3", "127.0.0.4", "127.0.0.3:8080"};
    for (const QString& address : addresses)
        giveAddress(t.list, address);
    // Rows go and move while every probe is still queued or under way.
    t.list.deleteRow(rowOfAddress(t.list, "127.0.0.3:8080"));
    t.list.sortRowsByColumn(AddedCameraList::AddressColumn);
    t.list.sortRowsByColumn(AddedCameraList::AddressColumn);
    t.list.deleteRow(rowOfAddress(t.list, "127.0.0.5"));
    QTRY_VERIFY(t.idle());
    QCOMPARE(t.list.rowCount(), 5);

    struct Expected {
        const char* address;
        const char* model;
        const char* serial;
        bool ready;
    };
    for (const Expected& e : {Expected{"127.0.0.2", "ZKA-QM410", "S0000002", true},
                              Expected{"127.0.0.3", "ZKA-QM410", "S0000003", true},
                              Expected{"127.0.0.4", "ZKA-QM410", "", true},
                              Expected{"127.0.0.6", "Not a camera", "", false},
                              Expected{"127.0.0.7", "No response", "", false}}) {
        const int row = rowOfAddress(t.list, e.address);
        QVERIFY2(row >= 0, e.address);
        QCOMPARE(modelText(t.list, row), QString::fromLatin1(e.model));
        QCOMPARE(t.list.row(row).texts[AddedCameraList::SerialColumn], QString::fromLatin1(e.serial));
        QCOMPARE(t.list.isRowReady(row), e.ready);
        QCOMPARE(t.list.row(row).supportState, e.ready ? 1 : 2);
    }
    QCOMPARE(t.list.row(rowOfAddress(t.list, "127.0.0.2")).texts[AddedCameraList::VersionColumn], QStringLiteral("2.30"));
    QCOMPARE(t.list.model()->index(rowOfAddress(t.list, "127.0.0.6"), 0).data(Qt::AccessibleDescriptionRole).toString(),
             QStringLiteral("Not a supported camera"));

    // A camera of another model answers, but is none of ours.
    const int other = giveAddress(t.list, "127.0.0.5");
    QTRY_VERIFY(t.idle());
    QCOMPARE(modelText(t.list, other), QStringLiteral("Not a camera"));
    QCOMPARE(t.list.row(other).texts[AddedCameraList::SerialColumn], QStringLiteral("S0000005"));
    QVERIFY(!t.list.isRowReady(other));

    // The probe asks "inq=system" with the empty login, once per address.
    const auto requests = t.rig.fleet.requests("127.0.0.2");
    QCOMPARE(requests.size(), 1u);
    QCOMPARE(requests[0].body, std::string("inq=system"));
    const auto authorization = std::find_if(requests[0].headers.begin(), requests[0].headers.end(),
                                            [](const auto& header) { return header.first == "Authorization"; });
    QVERIFY(authorization != requests[0].headers.end());
    QCOMPARE(authorization->second, std::string("Basic :"));
    QCOMPARE(t.rig.seams.prompter().count(), 0u);
}

ZKA_QTEST_MAIN(AddedListTest)
#include "ui_added_list_test.moc"
