// "Add other cameras" and "Entry terminals" over simulated cameras (in the sandbox): the hand-over
// of the ready rows and the report of those the target list refuses, the questions, the room left
// beside the target list, the record editor, the imports from a file and from the clipboard with
// their messages, and the keyboard.
#include "AddedCamerasRig.h"

#include "ui/dialogs/AddCamerasDialog.h"
#include "ui/dialogs/BitmapButton.h"
#include "ui/dialogs/EntryTerminalsDialog.h"
#include "ui/widgets/Ipv4AddressEdit.h"

#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimer>

#include <fstream>
#include <functional>

using namespace zka;
using namespace zka::test;

namespace {

// The dialog over a target list that holds the given cameras. "Entry terminals" is answered by
// `entry` (none: closed at once).
struct DialogRig {
    explicit DialogRig(const std::vector<TargetCameraList::CameraEntry>& listed = {})
    {
        for (const auto& camera : listed)
            rig.target.addCamera(rig.target.rowCount(), camera);
        dialog = std::make_unique<AddCamerasDialog>(rig.seams.seams(), rig.target);
        dialog->setDialogRunner([this](QDialog& shown) {
            auto& terminals = static_cast<EntryTerminalsDialog&>(shown);
            return entry ? entry(terminals) : int(QDialog::Rejected);
        });
    }
    QPushButton* button(const char* name) const { return dialog->findChild<QPushButton*>(name); }
    AddedCameraList& list() { return dialog->addedList(); }
    void paste(const std::string& text)
    {
        rig.seams.desktop.setClipboard(text);
        button("pasteButton")->click();
    }
    Message lastMessage() const { return rig.seams.packaged.prompter.messages().back(); }
    std::string text(std::uint16_t number) const { return rig.seams.packaged.texts(number); }
    bool idle() { return !list().probesPending() && button("okButton")->isEnabled(); }

    AddedCamerasRig rig;
    std::unique_ptr<AddCamerasDialog> dialog;
    std::function<int(EntryTerminalsDialog&)> entry;
};

// Cameras as discovery lists them, on addresses that no probe here uses.
std::vector<TargetCameraList::CameraEntry> listedCameras(int count)
{
    std::vector<TargetCameraList::CameraEntry> cameras;
    for (int i = 0; i < count; ++i) {
        auto camera = cameraEntry(2 + i % 250);
        camera.mac = QStringLiteral("08:00:46:01:%1").arg(i, 2, 16, QLatin1Char('0'));
        camera.address = {10, 1, std::uint8_t(i / 250), std::uint8_t(i % 250)};
        cameras.push_back(camera);
    }
    return cameras;
}

// The controls of "Entry terminals".
struct Terminals {
    explicit Terminals(EntryTerminalsDialog& dialog)
        : address(dialog.findChild<Ipv4AddressEdit*>("entryAddress"))
        , standard(dialog.findChild<QRadioButton*>("standardPort"))
        , custom(dialog.findChild<QRadioButton*>("customPort"))
        , port(dialog.findChild<QLineEdit*>("portEdit"))
        , prev(dialog.findChild<BitmapButton*>("prevButton"))
        , next(dialog.findChild<BitmapButton*>("nextButton"))
        , add(dialog.findChild<BitmapButton*>("addButton"))
        , del(dialog.findChild<BitmapButton*>("delButton"))
    {
    }
    Ipv4AddressEdit* address;
    QRadioButton* standard;
    QRadioButton* custom;
    QLineEdit* port;
    BitmapButton* prev;
    BitmapButton* next;
    BitmapButton* add;
    BitmapButton* del;
};

QString addressOf(AddedCameraList& list, int row)
{
    return list.row(row).texts[AddedCameraList::AddressColumn];
}

void writeFile(const QString& path, const std::string& text)
{
    std::ofstream(path.toStdString(), std::ios::binary) << text;
}

} // namespace

class AddCamerasDialogTest final : public QObject {
    Q_OBJECT

private slots:
    void handsOverTheReadyRowsAndReportsTheRefused();
    void questionsBeforeLettingGo();
    void roomBesideTheTargetList();
    void entryTerminalsStoresAsItMoves();
    void entryTerminalsAtTheLastRow();
    void entryTerminalsAsTheReadmeWalksIt();
    void importsSayWhyATextIsRefused();
    void keyboard();
};

void AddCamerasDialogTest::handsOverTheReadyRowsAndReportsTheRefused()
{
    DialogRig t({cameraEntry(20), cameraEntry(2)});
    QVERIFY(t.rig.started);
    QCOMPARE(t.dialog->capacity(), 254);
    QCOMPARE(t.dialog->remainingText(), QStringLiteral("254/254"));
    QVERIFY(!t.button("okButton")->isEnabled());

    t.paste("127.0.0.3\n127.0.0.4\n127.0.0.11\n127.0.0.2\n127.0.0.6\n");
    QCOMPARE(t.list().rowCount(), 5);
    QCOMPARE(t.dialog->remainingText(), QStringLiteral("249/254"));
    QCOMPARE(t.list().row(3).duplicateMark, 2);
    QTRY_VERIFY(t.idle());

    // "Delete..." after a sort asks about the selected row's own camera.
    t.list().sortRowsByColumn(AddedCameraList::IdColumn);
    t.list().selectRow(0);
    t.rig.seams.prompter().answerNext(MessageAnswer::Cancel);
    t.button("deleteButton")->click();
    QCOMPARE(t.lastMessage(), (Message{"Would you like to delete the Not a camera(127.0.0.6)?", "Information",
                                       MessageIcon::Question, MessageButtons::OkCancel}));
    QCOMPARE(t.list().rowCount(), 5);
    t.button("deleteButton")->click();
    QCOMPARE(t.list().rowCount(), 4);
    QCOMPARE(rowOfAddress(t.list(), "127.0.0.6"), -1);

    // Rows that are not ready: OK asks, and Cancel keeps everything.
    QSignalSpy finished(t.dialog.get(), &QDialog::finished);
    t.rig.seams.prompter().answerNext(MessageAnswer::Cancel);
    t.button("okButton")->click();
    QCOMPARE(t.lastMessage().text, std::string("Not all the listed cameras are valid!"));
    QCOMPARE(finished.count(), 0);
    QCOMPARE(t.rig.target.rowCount(), 2);

    // On OK the ready rows go; the target list refuses a camera without MAC and serial (it is not
    // empty) and one whose serial it lists already: both are named.
    t.button("okButton")->click();
    QCOMPARE(finished.count(), 1);
    QCOMPARE(t.dialog->result(), int(QDialog::Accepted));
    QCOMPARE(t.rig.target.rowCount(), 3);
    const TargetRow& added = t.rig.target.row(2);
    QCOMPARE(added.texts[TargetCameraList::AddressColumn], QStringLiteral("127.0.0.3"));
    QVERIFY(added.texts[TargetCameraList::MacColumn].isEmpty());
    QCOMPARE(added.texts[TargetCameraList::ModelColumn], QStringLiteral("ZKA-QM410"));
    QCOMPARE(added.texts[TargetCameraList::SerialColumn], QStringLiteral("S0000003"));
    QCOMPARE(added.texts[TargetCameraList::VersionColumn], QStringLiteral("2.30"));
    QCOMPARE(added.ipAddress, (TargetRow::Octets{127, 0, 0, 3}));
    QCOMPARE(added.spare, 0);
    QVERIFY(added.checked);
    QCOMPARE(t.lastMessage(),
             (Message{"These cameras could not be added to the target list:\r\n"
                      "#127.0.0.11 ZKA-QM410: a camera with the serial number S0000020 is listed already.\r\n"
                      "#127.0.0.4 ZKA-QM410: it reports neither a MAC address nor a serial number.\r\n",
                      "Information", MessageIcon::Warning, MessageButtons::Ok}));
}

void AddCamerasDialogTest::questionsBeforeLettingGo()
{
    {
        DialogRig t;
        QSignalSpy finished(t.dialog.get(), &QDialog::finished);
        t.button("cancelButton")->click();
        QCOMPARE(finished.count(), 1);
        QCOMPARE(t.rig.seams.prompter().count(), 0u);
    }
    DialogRig t;
    QVERIFY(t.rig.started);
    QSignalSpy finished(t.dialog.get(), &QDialog::finished);
    t.paste("127.0.0.3");
    QTRY_VERIFY(t.idle());
    t.rig.seams.prompter().answerNext(MessageAnswer::Cancel);
    t.button("cancelButton")->click();
    QCOMPARE(t.lastMessage(), (Message{"All of the data will be released.", "Information", MessageIcon::Question,
                                       MessageButtons::OkCancel}));
    QCOMPARE(finished.count(), 0);
    t.button("cancelButton")->click();
    QCOMPARE(finished.count(), 1);
    QCOMPARE(t.dialog->result(), int(QDialog::Rejected));
    QCOMPARE(t.rig.target.rowCount(), 0);
}

void AddCamerasDialogTest::roomBesideTheTargetList()
{
    DialogRig t(listedCameras(250));
    QVERIFY(t.rig.started);
    QCOMPARE(t.dialog->capacity(), 6);
    QCOMPARE(t.dialog->remainingText(), QStringLiteral("6/6"));
    std::string ten;
    for (int host = 1; host <= 10; ++host)
        ten += "127.0.1." + std::to_string(host) + "\n";
    t.paste(ten);
    QCOMPARE(t.list().rowCount(), 6);
    QCOMPARE(addressOf(t.list(), 5), QStringLiteral("127.0.1.6"));
    QCOMPARE(t.dialog->remainingText(), QStringLiteral("0/6"));
    for (const char* name : {"addButton", "loadButton", "pasteButton"})
        QVERIFY2(!t.button(name)->isEnabled(), name);
    QVERIFY(t.button("editButton")->isEnabled() && t.button("deleteButton")->isEnabled());
    QTRY_VERIFY(t.idle());
}

void AddCamerasDialogTest::entryTerminalsStoresAsItMoves()
{
    DialogRig t;
    QVERIFY(t.rig.started);
    t.entry = [&t](EntryTerminalsDialog& e) {
        Terminals c(e);
        [&] {
            QCOMPARE(e.counterText(), QStringLiteral("1/256"));
            QCOMPARE(c.address->text(), QStringLiteral("192.168.0.100"));
            QVERIFY(c.standard->isChecked() && !c.port->isEnabled());
            QCOMPARE(c.port->text(), QStringLiteral("1024"));
            QVERIFY(!c.del->isEnabled() && !c.prev->isEnabled() && c.next->isEnabled() && c.add->isEnabled());

            // A custom port 80 is refused; 8080 is stored and Enter (NEXT) goes on to a new row.
            c.address->setText("127.0.0.3");
            c.custom->click();
            c.port->setText("80");
            QTest::keyClick(&e, Qt::Key_Return);
            QCOMPARE(t.lastMessage().text, t.text(310));
            QVERIFY(!t.list().rowInUse(0));
            c.port->setText("8080");
            QTest::keyClick(&e, Qt::Key_Return);
            QCOMPARE(e.counterText(), QStringLiteral("2/256"));
            QCOMPARE(t.list().rowCount(), 2);
            QCOMPARE(addressOf(t.list(), 0), QStringLiteral("127.0.0.3:8080"));
            QVERIFY(c.custom->isChecked());

            // "80" is stored as 80, and shown again as "80" with 1024 in the disabled field.
            c.standard->click();
            c.address->setText("127.0.0.2");
            c.prev->click();
            QCOMPARE(e.counterText(), QStringLiteral("1/256"));
            QCOMPARE(addressOf(t.list(), 1), QStringLiteral("127.0.0.2"));
            QVERIFY(c.custom->isChecked() && c.port->text() == QStringLiteral("8080"));
            c.next->click();
            QVERIFY(c.standard->isChecked() && !c.port->isEnabled());
            QCOMPARE(c.port->text(), QStringLiteral("1024"));
            QVERIFY(c.del->isEnabled() && c.prev->isEnabled());

            // A blank address, and a port field without a number (whichever button), are refused.
            c.address->clear();
            c.next->click();
            QCOMPARE(t.lastMessage().text, t.text(120));
            QVERIFY(c.address->field(0)->hasFocus() || !e.isActiveWindow());
            c.address->setText("127.0.0.2");
            c.port->clear();
            c.next->click();
            QCOMPARE(t.lastMessage().text, std::string("Please enter the port number as a whole number."));
            QCOMPARE(e.counterText(), QStringLiteral("2/256"));
            c.port->setText("1024");

            // DEL asks; the row goes and the one before it is shown.
            t.rig.seams.prompter().answerNext(MessageAnswer::Cancel);
            c.del->click();
            QCOMPARE(t.lastMessage(), (Message{t.text(253), "Information", MessageIcon::Question, MessageButtons::OkCancel}));
            QCOMPARE(t.list().rowCount(), 2);
            c.del->click();
            QCOMPARE(t.list().rowCount(), 1);
            QCOMPARE(e.counterText(), QStringLiteral("1/256"));

            // ADD stores and appends; Close leaves the entry shown unstored.
            c.address->setText("127.0.0.4");
            c.add->click();
            QCOMPARE(e.counterText(), QStringLiteral("2/256"));
            QCOMPARE(addressOf(t.list(), 0), QStringLiteral("127.0.0.4:8080"));
            c.address->setText("127.0.0.5");
        }();
        e.reject();
        return int(QDialog::Rejected);
    };
    t.button("addButton")->click();
    // The blank row left behind goes.
    QCOMPARE(t.list().rowCount(), 1);
    QCOMPARE(addressOf(t.list(), 0), QStringLiteral("127.0.0.4:8080"));

    // DEL on the only row leaves one blank row to fill, which goes when nothing was entered.
    t.entry = [&t](EntryTerminalsDialog& e) {
        Terminals(e).del->click();
        [&] {
            QCOMPARE(e.counterText(), QStringLiteral("1/256"));
            QCOMPARE(t.list().rowCount(), 1);
            QVERIFY(!t.list().rowInUse(0));
        }();
        e.reject();
        return int(QDialog::Rejected);
    };
    t.list().selectRow(0);
    t.button("editButton")->click();
    QCOMPARE(t.list().rowCount(), 0);
    QVERIFY(!t.button("editButton")->isEnabled() && !t.button("deleteButton")->isEnabled());
    QTRY_VERIFY(!t.list().probesPending());
}

void AddCamerasDialogTest::entryTerminalsAtTheLastRow()
{
    DialogRig t(listedCameras(254));
    QVERIFY(t.rig.started);
    QCOMPARE(t.dialog->capacity(), 2);
    t.entry = [&t](EntryTerminalsDialog& e) {
        Terminals c(e);
        QSignalSpy lastRow(&e, &EntryTerminalsDialog::lastRowReached);
        c.address->setText("127.0.0.3");
        c.next->click();
        c.address->setText("127.0.0.2");
        [&] {
            QCOMPARE(e.counterText(), QStringLiteral("2/2"));
            QVERIFY(!c.add->isEnabled());
            c.next->click();
            QCOMPARE(lastRow.count(), 1);
            QCOMPARE(e.counterText(), QStringLiteral("2/2"));
            QVERIFY(!c.next->isEnabled());
            QCOMPARE(t.list().rowCount(), 2);
        }();
        e.findChild<QPushButton*>("okButton")->click();
        return e.result();
    };
    t.button("addButton")->click();
    QCOMPARE(t.list().rowCount(), 2);
    QCOMPARE(addressOf(t.list(), 1), QStringLiteral("127.0.0.2"));
    QVERIFY(!t.button("addButton")->isEnabled() && !t.button("pasteButton")->isEnabled());
    QTRY_VERIFY(t.idle());
}

void AddCamerasDialogTest::entryTerminalsAsTheReadmeWalksIt()
{
    DialogRig t;
    QVERIFY(t.rig.started);
    // An address typed, then OK: the camera is listed.
    t.entry = [](EntryTerminalsDialog& e) {
        Terminals(e).address->setText("127.0.0.12");
        e.findChild<QPushButton*>("okButton")->click();
        return e.result();
    };
    t.button("addButton")->click();
    QCOMPARE(t.list().rowCount(), 1);
    QCOMPARE(addressOf(t.list(), 0), QStringLiteral("127.0.0.12"));

    // Enter stores it and opens a next row that starts from the same address; Close leaves that
    // row unstored, so no second row with the address is left.
    t.entry = [&t](EntryTerminalsDialog& e) {
        Terminals c(e);
        c.address->setText("127.0.0.13");
        QTest::keyClick(&e, Qt::Key_Return);
        [&] {
            QCOMPARE(e.counterText(), QStringLiteral("3/256"));
            QCOMPARE(c.address->text(), QStringLiteral("127.0.0.13"));
            QVERIFY(!t.list().rowInUse(2));
        }();
        e.findChild<QPushButton*>("closeButton")->click();
        return e.result();
    };
    t.button("addButton")->click();
    QCOMPARE(t.list().rowCount(), 2);
    QCOMPARE(addressOf(t.list(), 1), QStringLiteral("127.0.0.13"));
    QTRY_VERIFY(!t.list().probesPending());
}

void AddCamerasDialogTest::importsSayWhyATextIsRefused()
{
    DialogRig t;
    QVERIFY(t.rig.started);
    QTemporaryDir dir;
    const QString three = dir.filePath("three.csv");
    const QString faulty = dir.filePath("faulty.txt");
    const QString mixed = dir.filePath("mixed.txt");
    writeFile(three, "127.0.0.2\r\n127.0.0.3,8080\r\n\r\n127.0.0.4\r\n");
    writeFile(faulty, "127.0.0.2\n\n127.0.0.300\n");
    writeFile(mixed, "127.0.0.2\t80\n127.0.0.3,80\n");
    RecordingDesktop& desktop = t.rig.seams.desktop;

    // The file dialog offers address files; cancelled, it adds nothing.
    t.button("loadButton")->click();
    QCOMPARE(desktop.dialogs.size(), 1u);
    const auto& filters = desktop.dialogs[0].filters;
    QCOMPARE(filters.size(), 4u);
    QCOMPARE(filters[0].description, std::string("CSV Files (*.csv *.txt)"));
    QCOMPARE(filters[2].pattern, std::string("*.csv"));
    QCOMPARE(filters[3].description, std::string("All Files (*)"));
    QVERIFY(desktop.dialogs[0].startIn == Desktop::FileDialog::StartFolder::LastUsed);
    QCOMPARE(desktop.dialogs[0].defaultExtension, std::string("txt"));

    // Two rows from the clipboard, then a file of three: rows 003 to 005.
    t.paste("127.0.0.5\n127.0.0.6");
    desktop.answerNextDialog(three.toStdString());
    t.button("loadButton")->click();
    QCOMPARE(t.list().rowCount(), 5);
    QCOMPARE(t.list().row(2).texts[AddedCameraList::IdColumn], QStringLiteral("003"));
    QCOMPARE(addressOf(t.list(), 3), QStringLiteral("127.0.0.3:8080"));
    QCOMPARE(t.list().row(4).texts[AddedCameraList::IdColumn], QStringLiteral("005"));
    QCOMPARE(t.list().selectedRows(), (std::vector<int>{4}));
    QCOMPARE(t.rig.seams.prompter().count(), 0u);

    // Refused texts add nothing and say why.
    desktop.answerNextDialog(faulty.toStdString());
    t.button("loadButton")->click();
    QCOMPARE(t.lastMessage(), (Message{"Invalid address or port number.\r\nLine002:>127.0.0.300", "Information",
                                       MessageIcon::Question, MessageButtons::Ok}));
    desktop.answerNextDialog(mixed.toStdString());
    t.button("loadButton")->click();
    QCOMPARE(t.lastMessage(), (Message{t.text(305) + "\r\nLine002:>127.0.0.3,80", "Information", MessageIcon::Information,
                                       MessageButtons::Ok}));
    t.paste("# from the plan\n127.0.0.7 \n");
    QCOMPARE(t.lastMessage(),
             (Message{t.text(306) + "\r\nLine001:>127.0.0.7 ", "Information", MessageIcon::Information, MessageButtons::Ok}));
    QCOMPARE(t.list().rowCount(), 5);

    // An empty clipboard, none, and a file that cannot be read add nothing and say nothing.
    const std::size_t messages = t.rig.seams.prompter().count();
    t.paste("");
    desktop.setClipboard(std::nullopt);
    t.button("pasteButton")->click();
    desktop.answerNextDialog(dir.filePath("missing.txt").toStdString());
    t.button("loadButton")->click();
    QCOMPARE(t.rig.seams.prompter().count(), messages);
    QCOMPARE(t.list().rowCount(), 5);
    QTRY_VERIFY(t.idle());
}

void AddCamerasDialogTest::keyboard()
{
    DialogRig t;
    QVERIFY(t.rig.started);
    QVERIFY(showActive(*t.dialog));
    AddCamerasDialog& d = *t.dialog;
    QVERIFY(t.button("addButton")->hasFocus());

    // A mnemonic clicks its button a moment later, as the button shows itself pressed first.
    // Alt+P pastes, Alt+L offers a file.
    t.rig.seams.desktop.setClipboard("127.0.0.3\n127.0.0.2");
    QTest::keyClick(&d, Qt::Key_P, Qt::AltModifier);
    QTRY_COMPARE(t.list().rowCount(), 2);
    QTest::keyClick(&d, Qt::Key_L, Qt::AltModifier);
    QTRY_COMPARE(t.rig.seams.desktop.dialogs.size(), 1u);

    // Alt+A: a new row in "Entry terminals", typed into from the keyboard alone: Alt+I, the address,
    // Alt+1 to the custom port, Enter for NEXT, Alt+C to close.
    std::vector<QString> counters;
    bool closedByKey = false;
    bool activeAgain = false;
    t.entry = [&](EntryTerminalsDialog& e) {
        counters.push_back(e.counterText());
        // Run as the operator sees it, modal; the keys come once it is up.
        QTimer::singleShot(0, &e, [&] {
            Terminals c(e);
            // A dialog over another counts as active with it; keys go to the one really active.
            e.activateWindow();
            if (!QTest::qWaitFor([&e] { return QApplication::activeWindow() == &e; }, 3000))
                return e.reject();
            c.custom->click();
            QTest::keyClick(&e, Qt::Key_I, Qt::AltModifier);
            typeIntoFocus("127.0.0.9");
            QTest::keyClick(&e, Qt::Key_1, Qt::AltModifier);
            typeIntoFocus("8080");
            QTest::keyClick(&e, Qt::Key_Return);
            counters.push_back(e.counterText());
            QTest::keyClick(&e, Qt::Key_C, Qt::AltModifier);
            closedByKey = QTest::qWaitFor([&e] { return !e.isVisible(); }, 3000);
            if (!closedByKey)
                e.reject();
        });
        const int result = e.exec();
        d.activateWindow();
        activeAgain = QTest::qWaitFor([&d] { return QApplication::activeWindow() == &d; }, 3000);
        return result;
    };
    QTest::keyClick(&d, Qt::Key_A, Qt::AltModifier);
    QTRY_COMPARE(counters, (std::vector<QString>{"3/256", "4/256"}));
    QVERIFY(closedByKey && activeAgain);
    QCOMPARE(t.list().rowCount(), 3);
    QCOMPARE(addressOf(t.list(), 2), QStringLiteral("127.0.0.9:8080"));

    // Alt+E edits the selected row; Alt+D asks before deleting it.
    t.entry = [&](EntryTerminalsDialog& e) {
        counters.push_back(e.counterText());
        return int(QDialog::Rejected);
    };
    t.list().selectRow(0);
    QTest::keyClick(&d, Qt::Key_E, Qt::AltModifier);
    QTRY_COMPARE(counters.back(), QStringLiteral("1/256"));
    QTRY_VERIFY(t.idle());
    t.rig.seams.prompter().answerNext(MessageAnswer::Cancel);
    QTest::keyClick(&d, Qt::Key_D, Qt::AltModifier);
    QTRY_COMPARE(t.rig.seams.prompter().count(), 1u);
    QCOMPARE(t.lastMessage().text, std::string("Would you like to delete the ZKA-QM410(127.0.0.3)?"));
    QCOMPARE(t.list().rowCount(), 3);

    // Enter is OK once the probes are done; Escape asks before letting go.
    t.list().setFocus();
    QTRY_VERIFY(t.list().hasFocus());
    t.rig.seams.prompter().answerNext(MessageAnswer::Cancel);
    QTest::keyClick(&t.list(), Qt::Key_Return);
    QCOMPARE(t.lastMessage().text, std::string("Not all the listed cameras are valid!"));
    t.rig.seams.prompter().answerNext(MessageAnswer::Cancel);
    QTest::keyClick(&d, Qt::Key_Escape);
    QCOMPARE(t.lastMessage().text, std::string("All of the data will be released."));
    QVERIFY(d.isVisible());
    QTest::keyClick(&d, Qt::Key_Escape);
    QVERIFY(!d.isVisible());
    QCOMPARE(t.rig.target.rowCount(), 0);
}

ZKA_QTEST_MAIN(AddCamerasDialogTest)
#include "ui_add_cameras_dialog_test.moc"
