// The login dialogs over a target list, the bitmap buttons they use, and the upgrade log dialog
// with its file and clipboard, including the desktop's real save dialog.
#include "UiTestSupport.h"

#include "ui/dialogs/BatchLoginDialog.h"
#include "ui/dialogs/BitmapButton.h"
#include "ui/dialogs/SingleLoginDialog.h"
#include "ui/dialogs/UpgradeLogDialog.h"
#include "ui/seams/QtDesktop.h"
#include "ui/widgets/Ipv4AddressEdit.h"

#include <QFileDialog>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QDeadlineTimer>
#include <QDir>
#include <QTimer>

#include <fstream>
#include <sstream>

using namespace zka;
using namespace zka::test;

namespace {

// A target list of four cameras (127.0.0.2 to .5) for the dialogs to work on.
struct Logins {
    Logins()
    {
        list.setColumns(TargetCameraList::standardColumns());
        for (int i = 0; i < 4; ++i)
            list.addCamera(i, cameraEntry(i + 2));
    }
    QString name(int row) const { return list.getRowLogin(row).first; }
    QString password(int row) const { return list.getRowLogin(row).second; }

    ListSeams seams;
    TargetCameraList list{seams.seams()};
};

// A login dialog's edits and buttons.
struct DialogControls {
    explicit DialogControls(QDialog& dialog)
        : name(dialog.findChild<QLineEdit*>("adminName"))
        , password(dialog.findChild<QLineEdit*>("adminPassword"))
        , prev(dialog.findChild<BitmapButton*>("prevButton"))
        , next(dialog.findChild<BitmapButton*>("nextButton"))
    {
    }
    void type(const QString& adminName, const QString& adminPassword)
    {
        name->selectAll();
        QTest::keyClicks(name, adminName);
        password->selectAll();
        QTest::keyClicks(password, adminPassword);
    }
    QLineEdit* name;
    QLineEdit* password;
    BitmapButton* prev;
    BitmapButton* next;
};

std::string fileText(const QString& path)
{
    std::ifstream in(path.toStdString(), std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

const std::vector<std::string> kLog{"ZKA-QM410(127.0.0.2) Completed successfully.\r\n", "",
                                    "ZKA-QM410(DHCP:10.0.0.7) Network error.\r\n"};

} // namespace

class DialogsTest final : public QObject {
    Q_OBJECT

private slots:
    void singleLoginStoresAsItMoves();
    void singleLoginStopsAtTheLastRow();
    void batchLoginShowsOnlyACommonLogin();
    void bitmapButtonFacesAndDoubleClicks();
    void logDialogShowsTheJoinedLinesFromTheTop();
    void logDialogKeys();
    void logDialogSavesWithCrLfAndCopies();
    void desktopSaveDialogTakesATypedPath();
};

void DialogsTest::singleLoginStoresAsItMoves()
{
    Logins t;
    t.list.setRowLogin(1, QStringLiteral("root"), QStringLiteral("one"));
    t.list.selectRows({1}, 1);
    SingleLoginDialog dialog(t.list);
    dialog.show();
    DialogControls c(dialog);
    QCOMPARE(dialog.currentRow(), 1);
    QCOMPARE(c.name->text(), QStringLiteral("root"));
    QCOMPARE(dialog.findChild<Ipv4AddressEdit*>()->text(), QStringLiteral("127.0.0.3"));
    QVERIFY(c.prev->isEnabled() && c.next->isEnabled());

    // NEXT stores the edits and moves the list's selection with it.
    c.type(QStringLiteral("admin"), QStringLiteral("a1"));
    c.next->click();
    QCOMPARE(t.name(1), QStringLiteral("admin"));
    QCOMPARE(t.password(1), QStringLiteral("a1"));
    QCOMPARE(dialog.currentRow(), 2);
    QCOMPARE(t.list.selectedRows(), (std::vector<int>{2}));
    QVERIFY(c.name->text().isEmpty());
    QCOMPARE(dialog.findChild<Ipv4AddressEdit*>()->text(), QStringLiteral("127.0.0.4"));
    QVERIFY(c.name->hasFocus() || !dialog.isActiveWindow());

    // PREV stores too, and shows what was stored.
    c.type(QStringLiteral("admin"), QStringLiteral("a2"));
    c.prev->click();
    QCOMPARE(t.password(2), QStringLiteral("a2"));
    QCOMPARE(dialog.currentRow(), 1);
    QCOMPARE(c.password->text(), QStringLiteral("a1"));
    c.prev->click();
    QCOMPARE(dialog.currentRow(), 0);
    QVERIFY(!c.prev->isEnabled());

    // Close leaves the row shown as it was; what PREV and NEXT stored stays.
    c.type(QStringLiteral("nobody"), QStringLiteral("x"));
    dialog.reject();
    QVERIFY(t.name(0).isEmpty());
    QCOMPARE(t.password(1), QStringLiteral("a1"));

    // OK stores the row shown.
    SingleLoginDialog again(t.list);
    again.show();
    DialogControls d(again);
    d.type(QStringLiteral("admin"), QStringLiteral("a0"));
    again.findChild<QPushButton*>("okButton")->click();
    QCOMPARE(t.password(0), QStringLiteral("a0"));
    QCOMPARE(again.result(), int(QDialog::Accepted));
}

void DialogsTest::singleLoginStopsAtTheLastRow()
{
    Logins t;
    t.list.selectRows({2}, 2);
    SingleLoginDialog dialog(t.list);
    QVERIFY(showActive(dialog));
    DialogControls c(dialog);
    QSignalSpy last(&dialog, &SingleLoginDialog::lastRowReached);

    // Enter is NEXT; a double click on NEXT counts twice.
    c.type(QStringLiteral("admin"), QStringLiteral("p2"));
    QTest::keyClick(c.password, Qt::Key_Return);
    QCOMPARE(dialog.currentRow(), 3);
    QCOMPARE(t.password(2), QStringLiteral("p2"));
    c.type(QStringLiteral("admin"), QStringLiteral("p3"));
    QVERIFY(c.next->isEnabled());
    c.next->setFocus();
    QTest::keyClick(c.next, Qt::Key_Space);
    // On the last row NEXT stores, tells it is the last one, greys out and stays.
    QCOMPARE(t.password(3), QStringLiteral("p3"));
    QCOMPARE(last.count(), 1);
    QCOMPARE(dialog.currentRow(), 3);
    QVERIFY(!c.next->isEnabled());
    QVERIFY(c.name->hasFocus());
    // Now Enter does nothing.
    c.type(QStringLiteral("other"), QStringLiteral("zz"));
    QTest::keyClick(c.name, Qt::Key_Return);
    QCOMPARE(last.count(), 1);
    QCOMPARE(t.password(3), QStringLiteral("p3"));
    QVERIFY(dialog.isVisible());

    // Back two rows (PREV stores what the edits hold), and a double click on NEXT moves on two rows.
    c.type(QStringLiteral("admin"), QStringLiteral("p3"));
    c.prev->click();
    c.prev->click();
    QCOMPARE(dialog.currentRow(), 1);
    doubleClick(c.next, QPoint(10, 10));
    QCOMPARE(dialog.currentRow(), 3);
    // Escape closes without storing the row shown.
    c.type(QStringLiteral("other"), QStringLiteral("zz"));
    QTest::keyClick(c.name, Qt::Key_Escape);
    QVERIFY(!dialog.isVisible());
    QCOMPARE(t.password(3), QStringLiteral("p3"));
}

void DialogsTest::batchLoginShowsOnlyACommonLogin()
{
    Logins t;
    for (int row : {0, 1, 2})
        t.list.setRowLogin(row, QStringLiteral("admin"), QStringLiteral("same"));
    t.list.setRowLogin(3, QStringLiteral("admin"), QStringLiteral("Same"));

    const auto shown = [&](std::vector<int> rows) {
        t.list.selectRows(rows, rows.front());
        BatchLoginDialog dialog(t.list);
        DialogControls c(dialog);
        return std::pair{c.name->text(), c.password->text()};
    };
    QCOMPARE(shown({0, 1, 2}), (std::pair{QStringLiteral("admin"), QStringLiteral("same")}));
    QCOMPARE(shown({1, 2, 3}), (std::pair{QString(), QString()})); // the case differs
    QCOMPARE(shown({0}), (std::pair{QString(), QString()}));       // nothing in common with one row

    // OK writes the login into every selected row; Cancel into none.
    t.list.selectRows({1, 3}, 1);
    {
        BatchLoginDialog dialog(t.list);
        dialog.show();
        DialogControls(dialog).type(QStringLiteral("op"), QStringLiteral("new"));
        dialog.findChild<QPushButton*>("cancelButton")->click();
    }
    QCOMPARE(t.password(1), QStringLiteral("same"));
    BatchLoginDialog dialog(t.list);
    dialog.show();
    DialogControls c(dialog);
    c.type(QStringLiteral("op"), QStringLiteral("new"));
    QTest::keyClick(c.password, Qt::Key_Return);
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QCOMPARE((std::vector<QString>{t.password(0), t.password(1), t.password(2), t.password(3)}),
             (std::vector<QString>{"same", "new", "same", "new"}));
    QCOMPARE(t.name(3), QStringLiteral("op"));
}

void DialogsTest::bitmapButtonFacesAndDoubleClicks()
{
    QWidget window;
    auto* button = new BitmapButton(QStringLiteral("NEXT"), &window);
    auto* other = new QPushButton(QStringLiteral("other"), &window);
    other->move(0, 40);
    QVERIFY(showActive(window));
    QSignalSpy clicks(button, &QAbstractButton::clicked);

    QCOMPARE(button->size(), button->picture(BitmapButton::Face::Normal).size());
    for (int a = 0; a < 4; ++a)
        for (int b = a + 1; b < 4; ++b)
            QVERIFY(button->picture(BitmapButton::Face(a)).toImage() != button->picture(BitmapButton::Face(b)).toImage());

    other->setFocus();
    QCOMPARE(button->currentFace(), BitmapButton::Face::Normal);
    QTest::mousePress(button, Qt::LeftButton, {}, QPoint(5, 5));
    QCOMPARE(button->currentFace(), BitmapButton::Face::Pressed);
    QTest::mouseRelease(button, Qt::LeftButton, {}, QPoint(5, 5));
    QCOMPARE(clicks.count(), 1);
    button->setFocus();
    QCOMPARE(button->currentFace(), BitmapButton::Face::Focused);
    button->setEnabled(false);
    QCOMPARE(button->currentFace(), BitmapButton::Face::Disabled);
    button->setEnabled(true);

    doubleClick(button, QPoint(5, 5));
    QCOMPARE(clicks.count(), 3);
    const QPoint middle(button->width() / 2, button->height() / 2);
    QCOMPARE(button->grab().toImage().pixelColor(middle), button->picture(button->currentFace()).toImage().pixelColor(middle));
}

void DialogsTest::logDialogShowsTheJoinedLinesFromTheTop()
{
    ListSeams s;
    std::vector<std::string> lines = kLog;
    for (int i = 0; i < 40; ++i)
        lines.push_back("ZKA-QM410(127.0.1." + std::to_string(i) + ") Completed successfully.\r\n");
    UpgradeLogDialog dialog(lines, s.desktop, s.prompter(), s.packaged.texts);
    QVERIFY(showActive(dialog));
    auto* text = dialog.findChild<QPlainTextEdit*>("logText");
    QVERIFY(dialog.logText().startsWith(QStringLiteral("ZKA-QM410(127.0.0.2) Completed successfully.\n"
                                                       "ZKA-QM410(DHCP:10.0.0.7) Network error.\n"
                                                       "ZKA-QM410(127.0.1.0)")));
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Upgrade log"));
    QVERIFY(text->isReadOnly());
    QCOMPARE(text->textCursor().position(), 0);
    QVERIFY(!text->textCursor().hasSelection());
    QCOMPARE(text->verticalScrollBar()->value(), 0);
    // Black on white, although it cannot be edited.
    const QImage shot = text->viewport()->grab().toImage();
    QCOMPARE(shot.pixelColor(shot.width() - 3, shot.height() - 3), QColor(Qt::white));
    QCOMPARE(text->palette().color(QPalette::Text), QColor(Qt::black));
}

void DialogsTest::logDialogKeys()
{
    ListSeams s;
    UpgradeLogDialog dialog(kLog, s.desktop, s.prompter(), s.packaged.texts);
    QVERIFY(showActive(dialog));
    for (QWidget* focus : {static_cast<QWidget*>(dialog.findChild<QPlainTextEdit*>("logText")),
                           static_cast<QWidget*>(dialog.findChild<QPushButton*>("closeButton")),
                           static_cast<QWidget*>(dialog.findChild<QPushButton*>("saveButton"))}) {
        focus->setFocus();
        QTest::keyClick(focus, Qt::Key_Return);
        QTest::keyClick(focus, Qt::Key_Enter, Qt::KeypadModifier);
        QVERIFY(dialog.isVisible());
    }
    QVERIFY(s.desktop.dialogs.empty()); // Enter on "Save..." saved nothing
    // Alt+C copies.
    QTest::keyClick(&dialog, Qt::Key_C, Qt::AltModifier);
    QTRY_VERIFY(s.desktop.clipboardText().has_value());
    QTest::keyClick(&dialog, Qt::Key_Escape);
    QVERIFY(!dialog.isVisible());
    QCOMPARE(dialog.result(), int(QDialog::Rejected));
}

void DialogsTest::logDialogSavesWithCrLfAndCopies()
{
    ListSeams s;
    QTemporaryDir folder;
    UpgradeLogDialog dialog(kLog, s.desktop, s.prompter(), s.packaged.texts);
    QVERIFY(showActive(dialog));
    const std::string expected = "ZKA-QM410(127.0.0.2) Completed successfully.\r\nZKA-QM410(DHCP:10.0.0.7) Network error.\r\n";

    // Cancelled: nothing written, nothing said.
    QVERIFY(!dialog.save());
    QCOMPARE(s.desktop.dialogs.size(), 1u);
    QCOMPARE(s.desktop.dialogs[0].defaultExtension, std::string("txt"));

    const QString path = folder.filePath(QStringLiteral("log.txt"));
    s.desktop.answerNextDialog(path.toStdString());
    QTest::keyClick(&dialog, Qt::Key_S, Qt::AltModifier);
    QTRY_COMPARE(s.desktop.dialogs.size(), 2u);
    QCOMPARE(fileText(path), expected);
    // Saving again replaces the file whole: a longer text in it leaves nothing behind.
    {
        QFile longer(path);
        QVERIFY(longer.open(QIODevice::WriteOnly));
        longer.write(QByteArray::fromStdString(expected + expected + "older log\r\n"));
    }
    s.desktop.answerNextDialog(path.toStdString());
    QVERIFY(dialog.save());
    QCOMPARE(fileText(path), expected);

    // A folder that does not exist: the error is told, and nothing is claimed.
    s.desktop.answerNextDialog(folder.filePath(QStringLiteral("missing/log.txt")).toStdString());
    QVERIFY(!dialog.save());
    QCOMPARE(s.prompter().count(), 1u);
    QCOMPARE(s.prompter().messages()[0].caption, std::string("Error"));
    QCOMPARE(s.prompter().messages()[0].icon, MessageIcon::Error);
    QVERIFY(s.prompter().messages()[0].text.find("missing/log.txt") != std::string::npos);

    dialog.findChild<QPushButton*>("copyButton")->click();
    QCOMPARE(s.desktop.clipboardText(),
             std::optional<std::string>("ZKA-QM410(127.0.0.2) Completed successfully.\nZKA-QM410(DHCP:10.0.0.7) Network error.\n"));
}

void DialogsTest::desktopSaveDialogTakesATypedPath()
{
    QTemporaryDir folder;
    const QString typed = folder.filePath(QStringLiteral("typed-log"));
    QWidget owner;
    QtDesktop desktop(&owner);
    bool typedIn = false;
    QString openedIn;
    // Types into the dialog once it is up; gives up (closing any dialog) after five seconds.
    QTimer typist;
    QDeadlineTimer deadline(5000);
    typist.setInterval(10);
    connect(&typist, &QTimer::timeout, [&] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (!dialog || !dialog->isVisible()) {
            if (deadline.hasExpired() && QApplication::activeModalWidget())
                QApplication::activeModalWidget()->close();
            return;
        }
        // As a person would: once the dialog has come up and taken the keyboard.
        if (!dialog->isActiveWindow())
            return;
        typist.stop();
        openedIn = dialog->directory().absolutePath();
        auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        name->setFocus();
        name->clear();
        QTest::keyClicks(name, typed);
        QTest::keyClick(name, Qt::Key_Return);
        typedIn = true;
    });
    typist.start();
    const auto chosen = desktop.chooseFileToSave({"Save the upgrade log", {{"Text files (*.txt)", "*.txt"}}, "txt", "upgrade-log.txt"});
    QVERIFY(typedIn);
    QCOMPARE(openedIn, QDir::homePath());
    QCOMPARE(chosen, std::optional<std::string>((typed + QStringLiteral(".txt")).toStdString()));
}

ZKA_QTEST_MAIN(DialogsTest)
#include "ui_dialogs_test.moc"
