// The introduction, agreement and mode pages as the operator meets them.
#include "UiTestSupport.h"

#include "ui/pages/AgreementPage.h"
#include "ui/pages/IntroPage.h"
#include "ui/pages/ModePage.h"

#include <QDialog>
#include <QGroupBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QSignalSpy>

using namespace zka;
using zka::test::PackagedTexts;

class FirstPagesTest final : public QObject {
    Q_OBJECT

private slots:
    void introTitleAndCaption();
    void introTitleWithShortVersions();
    void introReplacesEveryVersionPlaceholder();
    void introIgnoresEnterAndEscape();
    void agreementIsTheSectionsJoined();
    void agreementChoiceDrivesNextAndSurvivesLeaving();
    void modePageStartsAutomaticAndFollowsChoice();
};

void FirstPagesTest::introTitleAndCaption()
{
    PackagedTexts packaged;
    IntroPage page(packaged.texts, "ZKA-QM410", "ver2.45", "ver3.15");
    QCOMPARE(page.titleText(), QStringLiteral("ZKA-QM410 ver3.15/2.45 Firmware Upgrade"));
    QCOMPARE(page.windowCaption(), QStringLiteral("Velm ZKA-QM410 ver3.15/2.45 Firmware Upgrade"));

    const QString precautions = page.precautionsText();
    QVERIFY(precautions.startsWith(QStringLiteral("Operating Precautions\n")));
    QVERIFY(precautions.contains(QStringLiteral("the version will be 3.15 with this firmware")));
    QVERIFY(precautions.contains(QStringLiteral("the version will be 2.45 with this firmware")));
    QVERIFY(!precautions.contains(QStringLiteral("XX")));
    QVERIFY(!precautions.contains(QLatin1Char('\r')));
    QCOMPARE(packaged.prompter.count(), 0u);
}

void FirstPagesTest::introTitleWithShortVersions()
{
    PackagedTexts packaged;
    // A version text of three characters or fewer contributes an empty number.
    IntroPage page(packaged.texts, "ZKA-QM410", "ver", "v3");
    QCOMPARE(page.titleText(), QStringLiteral("ZKA-QM410 v3/ Firmware Upgrade"));
    QVERIFY(page.precautionsText().contains(QStringLiteral("the version will be  with this firmware")));
}

void FirstPagesTest::introReplacesEveryVersionPlaceholder()
{
    MemoryResourceStore store;
    store.put(ResourceKind::Bin, 134, zka::test::storedText("A 2.XX, B 3.XX,\r\nC 2.XX 3.XX 2.XX"));
    zka::test::ScriptedPrompter prompter;
    ResourceText texts(store, prompter);
    IntroPage page(texts, "M", "ver2.45", "ver3.15");
    QCOMPARE(page.precautionsText(), QStringLiteral("A 2.45, B 3.15,\nC 2.45 3.15 2.45"));
}

void FirstPagesTest::introIgnoresEnterAndEscape()
{
    PackagedTexts packaged;
    // In a dialog Enter presses the default button and Escape closes; typed into the introduction
    // page they do nothing, while the other pages keep the dialog's ways.
    QDialog dialog;
    auto* intro = new IntroPage(packaged.texts, "M", "ver2.45", "ver3.15", &dialog);
    auto* mode = new ModePage(packaged.texts, &dialog);
    auto* next = new QPushButton(QStringLiteral("&Next >"), &dialog);
    next->setDefault(true);
    auto* layout = new QVBoxLayout(&dialog);
    layout->addWidget(intro);
    layout->addWidget(mode);
    layout->addWidget(next);
    QSignalSpy pressed(next, &QPushButton::clicked);
    QVERIFY(zka::test::showActive(dialog));

    auto* precautions = intro->findChild<QPlainTextEdit*>("precautions");
    precautions->setFocus();
    QTest::keyClick(precautions, Qt::Key_Return);
    QTest::keyClick(precautions, Qt::Key_Enter);
    QTest::keyClick(precautions, Qt::Key_Escape);
    QCOMPARE(pressed.count(), 0);
    QVERIFY(dialog.isVisible());

    mode->refreshTexts();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QCOMPARE(pressed.count(), 1);
}

void FirstPagesTest::agreementIsTheSectionsJoined()
{
    PackagedTexts packaged;
    AgreementPage page(packaged.texts);
    QString expected;
    for (const std::uint16_t number : {140, 149, 150, 151, 152, 153, 154, 155, 156, 157, 158})
        expected += packaged.display(number);
    QCOMPARE(page.agreementText(), expected);
    QVERIFY(page.agreementText().contains(QStringLiteral("\nX")));
    QCOMPARE(page.findChild<QRadioButton*>("notAgree")->text(), QStringLiteral("N&ot agree"));
    QCOMPARE(page.findChild<QRadioButton*>("agree")->text(), QStringLiteral("&Agree"));
    QCOMPARE(packaged.prompter.count(), 0u);
}

void FirstPagesTest::agreementChoiceDrivesNextAndSurvivesLeaving()
{
    PackagedTexts packaged;
    // The page sits in a window beside another page, as in the wizard.
    QWidget window;
    auto* page = new AgreementPage(packaged.texts, &window);
    auto* otherPage = new QLineEdit(&window);
    otherPage->hide();
    auto* notAgree = page->findChild<QRadioButton*>("notAgree");
    auto* agree = page->findChild<QRadioButton*>("agree");
    QSignalSpy changed(page, &AgreementPage::agreedChanged);
    QVERIFY(zka::test::showActive(window));

    QVERIFY(notAgree->isChecked());
    QVERIFY(!page->isAgreed());
    QVERIFY(notAgree->hasFocus());

    test::clickButton(agree);
    QCOMPARE(changed.count(), 1);
    QCOMPARE(changed.takeFirst().at(0).toBool(), true);
    test::clickButton(notAgree);
    QCOMPARE(changed.count(), 1);
    QCOMPARE(changed.takeFirst().at(0).toBool(), false);
    test::clickButton(agree);
    changed.clear();

    // The operator goes on and comes back: the choice is kept and the focus goes to it.
    page->hide();
    otherPage->show();
    otherPage->setFocus();
    otherPage->hide();
    page->show();
    QVERIFY(page->isAgreed());
    QVERIFY(agree->hasFocus());
    QCOMPARE(changed.count(), 0);
}

void FirstPagesTest::modePageStartsAutomaticAndFollowsChoice()
{
    PackagedTexts packaged;
    ModePage page(packaged.texts);
    auto* automatic = page.findChild<QRadioButton*>("automaticMode");
    auto* manual = page.findChild<QRadioButton*>("manualMode");
    QVERIFY(zka::test::showActive(page));

    page.refreshTexts();
    QCOMPARE(page.findChild<QGroupBox*>("modeGroup")->title(), QStringLiteral("&Upgrade mode"));
    QCOMPARE(automatic->text(), QStringLiteral("Automatic mode"));
    QCOMPARE(manual->text(), QStringLiteral("Manual mode"));
    QVERIFY(automatic->isChecked());
    QVERIFY(automatic->hasFocus());
    QCOMPARE(page.selectedMode(), ModePage::kAutomatic);
    QVERIFY(page.findChild<QLabel*>("modeHelp")->text().startsWith(QStringLiteral("Automatic mode detects")));

    test::clickButton(manual);
    QCOMPARE(page.selectedMode(), ModePage::kManual);
    automatic->setFocus();
    page.refreshTexts();
    QVERIFY(manual->hasFocus());
    QCOMPARE(packaged.prompter.count(), 0u);
}

ZKA_QTEST_MAIN(FirstPagesTest)
#include "ui_first_pages_test.moc"
