// The automatic mode's target page over a discovery table filled by the test: filling while
// discovery runs and after it ends, the counter and its cap, the duplicate block, Next by the
// logins, the login dialogs it opens, the slide-out buttons and the keyboard.
#include "UiTestSupport.h"

#include "discovery/DiscoveryTable.h"
#include "ui/pages/AutomaticTargetPage.h"

#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

using namespace zka;
using namespace zka::test;

namespace {

CameraRecord record(int host, std::array<std::uint8_t, 4> address = {}, int port = 80, bool dhcp = false)
{
    CameraRecord r;
    setFieldText(r.mac, QStringLiteral("08:00:46:00:%1:%2").arg(host / 256, 2, 16, QLatin1Char('0')).arg(host % 256, 2, 16, QLatin1Char('0')).toStdString());
    setFieldText(r.model, "ZKA-QM410");
    setFieldText(r.serial, "S" + std::to_string(1000000 + host));
    setFieldText(r.softVersion, "2.30");
    r.ipAddress = address == std::array<std::uint8_t, 4>{} ? std::array<std::uint8_t, 4>{10, 0, std::uint8_t(host / 256), std::uint8_t(host % 256)} : address;
    r.httpPort = port;
    r.dhcp = dhcp ? 1 : 0;
    return r;
}

// A target page on screen over a table of the test's own. Dialogs the page opens are recorded by
// their object name and answered by `answer` (none: closed without a change).
struct PageOnScreen {
    PageOnScreen()
    {
        page.resize(560, 310);
        page.setDiscoveryTable(&table);
        page.setDialogRunner([this](QDialog& dialog) {
            dialogs.push_back(dialog.objectName());
            return answer ? answer(dialog) : int(QDialog::Rejected);
        });
    }
    void discover(std::initializer_list<CameraRecord> records)
    {
        for (const CameraRecord& r : records)
            table.store(r);
    }
    bool show()
    {
        const bool active = showActive(page);
        page.onShown();
        return active;
    }
    QPushButton* button(const char* name) const { return page.findChild<QPushButton*>(name); }
    int lastState() const { return states.empty() ? -1 : states.back(); }
    TargetCameraList& list() { return page.targetList(); }

    ListSeams seams;
    DiscoveryTable table;
    std::vector<int> states;
    std::vector<QString> dialogs;
    std::function<int(QDialog&)> answer;
    AutomaticTargetPage page{{seams.seams(), [this](ButtonState state) { states.push_back(static_cast<int>(state)); }}};
};

// Answers a login dialog with a login typed into its edits, and OK.
int loginWith(QDialog& dialog, const QString& name, const QString& password)
{
    dialog.findChild<QLineEdit*>("adminName")->setText(name);
    dialog.findChild<QLineEdit*>("adminPassword")->setText(password);
    dialog.accept();
    return QDialog::Accepted;
}

} // namespace

class AutomaticTargetPageTest final : public QObject {
    Q_OBJECT

private slots:
    void fillsWhileDiscoveryRunsAndWhenItEnds();
    void holdsAtMost256Cameras();
    void nextNeedsALoginForEveryCheckedCamera();
    void accessSettingOpensTheDialogForTheSelection();
    void sharedAddressesBlockThePage();
    void leavingWhileDiscoveryRunsEndsTheWait();
    void slidesTheTestingButtonOutAndIn();
    void addOtherCamerasEnablesTheButtonsByTheRows();
    void mnemonicsAnswerAltLetters();
};

void AutomaticTargetPageTest::fillsWhileDiscoveryRunsAndWhenItEnds()
{
    PageOnScreen t;
    t.discover({record(1), record(2, {10, 0, 0, 2}, 8080)});
    t.table.setListenerRunning(true);
    QVERIFY(t.show());
    QCOMPARE(t.list().rowCount(), 2);
    QCOMPARE(t.page.counterText(), QStringLiteral("2/256"));
    QCOMPARE(t.page.findChild<QLabel*>("detectedCounter")->text(), QStringLiteral("2/256"));
    QCOMPARE(t.list().row(1).texts[TargetCameraList::AddressColumn], QStringLiteral("10.0.0.2:8080"));
    // Waiting: the wait cursor, and nothing to press but the wizard's buttons.
    QVERIFY(t.page.discoveryWait());
    QCOMPARE(t.page.cursor().shape(), Qt::WaitCursor);
    for (const char* name : {"selectAllButton", "accessSettingButton", "slideButton"})
        QVERIFY2(!t.button(name)->isEnabled(), name);
    QVERIFY(!t.list().isEnabled());

    // Replies that come while the page waits are taken once discovery has ended.
    t.discover({record(3, {192, 168, 0, 3}, 80, true)});
    t.table.setListenerRunning(false);
    QTRY_VERIFY(!t.page.discoveryWait());
    QCOMPARE(t.list().rowCount(), 3);
    QCOMPARE(t.page.counterText(), QStringLiteral("3/256"));
    QCOMPARE(t.list().row(2).texts[TargetCameraList::AddressColumn], QStringLiteral("DHCP"));
    QCOMPARE(t.list().rowAddress(2), (TargetRow::Octets{192, 168, 0, 3}));
    QVERIFY(t.list().isEnabled());
    QCOMPARE(t.list().selectedRows(), (std::vector<int>{0}));
    QVERIFY(t.list().hasFocus());
    for (const char* name : {"selectAllButton", "accessSettingButton", "slideButton"})
        QVERIFY2(t.button(name)->isEnabled(), name);
    QCOMPARE(t.page.cursor().shape(), Qt::ArrowCursor);
    QCOMPARE(t.lastState(), 0); // no logins yet
    QCOMPARE(t.seams.prompter().count(), 0u);

    // Shown again: nothing is listed twice.
    t.page.onShown();
    QCOMPARE(t.list().rowCount(), 3);
}

void AutomaticTargetPageTest::holdsAtMost256Cameras()
{
    PageOnScreen t;
    for (int host = 1; host <= 300; ++host)
        t.table.store(record(host));
    QCOMPARE(t.table.count(), 256);
    QVERIFY(t.show());
    QCOMPARE(t.list().rowCount(), 256);
    QCOMPARE(t.page.counterText(), QStringLiteral("256/256"));
}

void AutomaticTargetPageTest::nextNeedsALoginForEveryCheckedCamera()
{
    PageOnScreen t;
    t.discover({record(1), record(2), record(3)});
    QVERIFY(t.show());
    QCOMPARE(t.lastState(), 0);

    // "Select all" and a batch login for the three.
    t.answer = [](QDialog& dialog) { return loginWith(dialog, "admin", "admin"); };
    t.button("selectAllButton")->click();
    QCOMPARE(t.list().selectedRows(), (std::vector<int>{0, 1, 2}));
    t.button("accessSettingButton")->click();
    QCOMPARE(t.dialogs, (std::vector<QString>{"batchLoginDialog"}));
    QCOMPARE(t.lastState(), 1);

    // A checked camera without a password holds Next back; unchecking it lets Next go again.
    t.list().setRowLogin(1, "admin", "");
    t.list().selectRows({2}, 2);
    QCOMPARE(t.lastState(), 0);
    clickRow(t.list(), 1, TargetCameraList::CheckColumn);
    QCOMPARE(t.lastState(), 1);
    // With nothing checked there is nothing to upgrade.
    t.button("selectAllButton")->click();
    clickRow(t.list(), 0, TargetCameraList::CheckColumn); // all take the inverse of row 0: none checked
    QCOMPARE(t.lastState(), 0);
}

void AutomaticTargetPageTest::accessSettingOpensTheDialogForTheSelection()
{
    PageOnScreen t;
    t.discover({record(1), record(2), record(3)});
    QVERIFY(t.show());

    // Without a selected row there is nobody to give a login: nothing opens.
    t.list().clearSelection();
    t.page.onAccessSetting();
    QVERIFY(t.dialogs.empty());
    QVERIFY(!t.button("accessSettingButton")->isEnabled());

    t.list().selectRows({1}, 1);
    QVERIFY(t.button("accessSettingButton")->isEnabled());
    t.answer = [](QDialog& dialog) { return loginWith(dialog, "one", "1"); };
    t.button("accessSettingButton")->click();
    t.list().selectRows({0, 2}, 0);
    t.answer = [](QDialog& dialog) { return loginWith(dialog, "two", "2"); };
    t.button("accessSettingButton")->click();
    QCOMPARE(t.dialogs, (std::vector<QString>{"singleLoginDialog", "batchLoginDialog"}));
    QCOMPARE(t.list().getRowLogin(1), (std::pair<QString, QString>{"one", "1"}));
    QCOMPARE(t.list().getRowLogin(0), (std::pair<QString, QString>{"two", "2"}));
    QCOMPARE(t.list().getRowLogin(2), (std::pair<QString, QString>{"two", "2"}));
    QCOMPARE(t.lastState(), 1);

    // A list of one camera gets the batch dialog.
    PageOnScreen single;
    single.discover({record(7)});
    QVERIFY(single.show());
    single.button("accessSettingButton")->click();
    QCOMPARE(single.dialogs, (std::vector<QString>{"batchLoginDialog"}));
}

void AutomaticTargetPageTest::sharedAddressesBlockThePage()
{
    for (const bool relaxed : {false, true}) {
        PageOnScreen t;
        t.discover({record(1, {10, 0, 0, 9}), record(2), record(3, {10, 0, 0, 9})});
        t.page.setRelaxedAddresses(relaxed);
        QVERIFY(t.show());
        if (relaxed) {
            QCOMPARE(t.seams.prompter().count(), 0u);
            QVERIFY(!t.page.duplicatesFound());
            QCOMPARE(t.lastState(), 0);
            continue;
        }
        QCOMPARE(t.seams.prompter().messages(),
                 (std::vector<Message>{{"There is more than one camera with the same IP address as below.\r\n"
                                        "#10.0.0.9\r\nPlease assign different addresses to avoid any conflict.",
                                        "Error", MessageIcon::Error, MessageButtons::Ok}}));
        QCOMPARE(t.lastState(), 5);
        QVERIFY(t.page.duplicatesFound());
        for (const char* name : {"selectAllButton", "accessSettingButton", "slideButton"})
            QVERIFY2(!t.button(name)->isEnabled(), name);
        // The list stays usable, but nothing done in it lets the wizard go on.
        const auto statesBefore = t.states.size();
        for (int row = 0; row < 3; ++row)
            t.list().setRowLogin(row, "admin", "admin");
        clickRow(t.list(), 1, TargetCameraList::CheckColumn);
        clickRow(t.list(), 1, TargetCameraList::CheckColumn);
        t.list().selectRows({0}, 0);
        QCOMPARE(t.states.size(), statesBefore);
        QVERIFY(!t.button("accessSettingButton")->isEnabled());
    }
}

void AutomaticTargetPageTest::leavingWhileDiscoveryRunsEndsTheWait()
{
    PageOnScreen t;
    t.discover({record(1, {10, 0, 0, 9})});
    t.table.setListenerRunning(true);
    QVERIFY(t.show());
    QVERIFY(t.page.discoveryWait());
    // The operator goes back while discovery still runs; a second camera with the same address
    // answers. Nothing of the page reaches the wizard while another page is shown.
    t.page.hide();
    QVERIFY(!t.page.discoveryWait());
    QVERIFY(t.list().isEnabled());
    t.discover({record(2, {10, 0, 0, 9})});
    t.table.setListenerRunning(false);
    // A waiting page would take the end of discovery within one tick (5 ms); give it several.
    QTest::qWait(30);
    QCOMPARE(t.seams.prompter().count(), 0u);
    const auto statesWhileHidden = t.states;
    QVERIFY(statesWhileHidden.empty() || statesWhileHidden.back() != 5);
    // Shown again, the page takes the rest and checks.
    QVERIFY(t.show());
    QCOMPARE(t.list().rowCount(), 2);
    QCOMPARE(t.seams.prompter().count(), 1u);
    QCOMPARE(t.lastState(), 5);
}

void AutomaticTargetPageTest::slidesTheTestingButtonOutAndIn()
{
    PageOnScreen t;
    t.discover({record(1)});
    QVERIFY(t.show());
    auto* slide = t.button("slideButton");
    auto* testing = t.button("testingButton");
    auto* addCameras = t.button("addCamerasButton");
    QCOMPARE(slide->text(), QStringLiteral("&<<"));
    QVERIFY(!testing->isVisible() && !addCameras->isVisible());

    slide->click();
    QVERIFY(testing->isVisible());
    QTRY_VERIFY(t.page.panelOpen());
    QCOMPARE(slide->text(), QStringLiteral("&>>"));
    QVERIFY(testing->isVisible() && testing->isEnabled() && testing->width() > 40);
    QVERIFY(addCameras->isVisible() && addCameras->isEnabled());

    slide->click();
    QTRY_VERIFY(!t.page.panelOpen());
    QCOMPARE(slide->text(), QStringLiteral("&<<"));
    QVERIFY(!testing->isVisible() && !addCameras->isVisible());
}

void AutomaticTargetPageTest::addOtherCamerasEnablesTheButtonsByTheRows()
{
    PageOnScreen t;
    QVERIFY(t.show());
    QCOMPARE(t.list().rowCount(), 0);
    t.button("slideButton")->click();
    QTRY_VERIFY(t.page.panelOpen());
    // The dialog hands a camera over (its own cases are elsewhere); here only the page's part.
    t.answer = [&t](QDialog&) {
        TargetCameraList::CameraEntry entry = cameraEntry(9);
        entry.mac.clear();
        t.list().addCamera(t.list().rowCount(), entry);
        return int(QDialog::Accepted);
    };
    t.button("addCamerasButton")->click();
    QCOMPARE(t.dialogs, (std::vector<QString>{"addCamerasDialog"}));
    QCOMPARE(t.list().rowCount(), 1);
    QCOMPARE(t.page.counterText(), QStringLiteral("1/256"));
    QCOMPARE(t.list().selectedRows(), (std::vector<int>{0}));
    for (const char* name : {"selectAllButton", "accessSettingButton", "testingButton"})
        QVERIFY2(t.button(name)->isEnabled(), name);
    // Checked without a login: Next stays off.
    QCOMPARE(t.lastState(), 0);

    // An empty list after the dialog leaves nothing to select, log in to or test.
    t.list().clearRows();
    t.answer = nullptr;
    t.button("addCamerasButton")->click();
    for (const char* name : {"selectAllButton", "accessSettingButton", "testingButton"})
        QVERIFY2(!t.button(name)->isEnabled(), name);
}

void AutomaticTargetPageTest::mnemonicsAnswerAltLetters()
{
    PageOnScreen t;
    t.discover({record(1), record(2)});
    QVERIFY(t.show());
    t.button("selectAllButton")->setFocus();
    // Alt+T: the list; Alt+S: every row; Alt+A: the login dialog; Alt+<: the slide-out.
    QTest::keyClick(&t.page, Qt::Key_T, Qt::AltModifier);
    QTRY_VERIFY(t.list().hasFocus());
    QTest::keyClick(&t.page, Qt::Key_S, Qt::AltModifier);
    QTRY_COMPARE(t.list().selectedRows(), (std::vector<int>{0, 1}));
    QTest::keyClick(&t.page, Qt::Key_A, Qt::AltModifier);
    QTRY_COMPARE(t.dialogs, (std::vector<QString>{"batchLoginDialog"}));
    QTest::keyClick(&t.page, Qt::Key_Less, Qt::AltModifier);
    QTRY_VERIFY(t.page.panelOpen());
    // Alt+O: "Add &other cameras...".
    QTest::keyClick(&t.page, Qt::Key_O, Qt::AltModifier);
    QTRY_COMPARE(t.dialogs.size(), 2u);
    QCOMPARE(t.dialogs.back(), QStringLiteral("addCamerasDialog"));
    QTest::keyClick(&t.page, Qt::Key_Greater, Qt::AltModifier);
    QTRY_VERIFY(!t.page.panelOpen());
}

ZKA_QTEST_MAIN(AutomaticTargetPageTest)
#include "ui_automatic_target_page_test.moc"
