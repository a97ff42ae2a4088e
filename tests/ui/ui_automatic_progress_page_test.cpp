// The automatic mode's progress page on its own, without a camera: what it takes over from the
// target list, the settings and the confirmation, and how its list draws the rows.
#include "UiTestSupport.h"

#include "resources/FirmwareDescription.h"
#include "resources/PackagedResources.h"
#include "ui/lists/UpgradeProgressList.h"
#include "ui/pages/AutomaticProgressPage.h"
#include "ui/seams/QtTimerService.h"
#include "upgrade/BatchScheduler.h"

#include <QCheckBox>
#include <QHeaderView>
#include <QLabel>

using namespace zka;
using namespace zka::test;

namespace {

const QColor kLightStrip(0xFB, 0xFB, 0xFB);
const QColor kBarFrame(0x00, 0x00, 0x00);
const QColor kBarShadow(0xC0, 0xC0, 0xC0);

// A pixel of the bar's fill: one of the bands of its strip.
bool isBarFill(const QColor& colour)
{
    const QRgb rgb = colour.rgb() & 0xFFFFFF;
    return rgb == 0x9C9EF7 || rgb == 0xB5B2FF || rgb == 0x949AF7 || rgb == 0x848EDE;
}

// A target list with cameras on it, and the progress page that takes them over.
struct PageRig {
    PageRig()
    {
        resources.loadAll();
        targets.setColumns(TargetCameraList::standardColumns());
        batch = std::make_unique<BatchScheduler>(BatchScheduler::Seams{seams.clock, timers, seams.prompter()},
                                                 resources, FirmwareDescription::of(resources));
        page = std::make_unique<AutomaticProgressPage>(AutomaticProgressPage::Seams{
            seams.clock, seams.prompter(), seams.desktop, resources, timers, *batch,
            [this](ButtonState state) { states.push_back(static_cast<int>(state)); }});
        page->setTargetList(&targets);
        page->resize(560, 310);
    }
    ~PageRig() { page.reset(); }

    void add(TargetCameraList::CameraEntry entry, const QString& password = QStringLiteral("admin"))
    {
        const int row = targets.rowCount();
        targets.addCamera(row, entry);
        targets.setRowLogin(row, QStringLiteral("admin"), password);
    }
    // The text of a cell of the progress list.
    QString cell(int row, int column) const
    {
        return page->progressList().model()->index(row, column).data().toString();
    }
    QCheckBox* retain() const { return page->findChild<QCheckBox*>("batchRetainSettings"); }
    QCheckBox* backup() const { return page->findChild<QCheckBox*>("batchBackupSettings"); }

    ListSeams seams;
    PackagedResources resources{embeddedResources(), seams.prompter()};
    TargetCameraList targets{seams.seams()};
    std::vector<int> states;
    QtTimerService timers{seams.clock};
    std::unique_ptr<BatchScheduler> batch;
    std::unique_ptr<AutomaticProgressPage> page;
};

} // namespace

class AutomaticProgressPageTest final : public QObject {
    Q_OBJECT

private slots:
    void takesTheCheckedCamerasOverAnewOnEachNext();
    void retainBackupAndACancelledConfirmation();
    void rowsAreDrawnOnTheLightStripWithTheirBars();
};

void AutomaticProgressPageTest::takesTheCheckedCamerasOverAnewOnEachNext()
{
    PageRig rig;
    auto dhcp = cameraEntry(3);
    dhcp.addressText = QStringLiteral("DHCP");
    rig.add(cameraEntry(2));
    rig.add(dhcp);
    rig.add(cameraEntry(4, 8080));
    rig.add(cameraEntry(5));
    rig.targets.setChecked(1, false);

    rig.page->onShown();
    UpgradeProgressList& list = rig.page->progressList();
    QCOMPARE(list.rowCount(), 3);
    QCOMPARE(rig.cell(1, UpgradeProgressList::AddressColumn), QStringLiteral("127.0.0.4:8080"));
    QCOMPARE(rig.cell(2, UpgradeProgressList::AddressColumn), QStringLiteral("127.0.0.5"));
    QCOMPARE(rig.page->scheduler().row(1).mac, std::string("08:00:46:00:00:04"));
    QCOMPARE(rig.page->findChild<QLabel*>("proceededCounter")->text(), QStringLiteral("0/3"));
    QCOMPARE(rig.states, std::vector<int>{2});

    // Shown again without a Next from the target page (Back from a message, say): nothing changes.
    rig.targets.setChecked(1, true);
    rig.page->onShown();
    QCOMPARE(list.rowCount(), 3);

    // Forward again from the target page: the batch is made anew, the DHCP camera with its address,
    // and the counter shows the new total although none is through in either batch.
    rig.targets.setChecked(0, false);
    rig.targets.setChecked(3, false);
    rig.page->clearFilled();
    rig.page->onShown();
    QCOMPARE(list.rowCount(), 2);
    QCOMPARE(rig.cell(0, UpgradeProgressList::AddressColumn), QStringLiteral("127.0.0.3"));
    QCOMPARE(rig.page->scheduler().row(0).dhcp, 1);
    QCOMPARE(rig.page->findChild<QLabel*>("proceededCounter")->text(), QStringLiteral("0/2"));
}

void AutomaticProgressPageTest::retainBackupAndACancelledConfirmation()
{
    PageRig rig;
    rig.add(cameraEntry(2));
    QVERIFY(showActive(*rig.page));
    rig.page->onShown();
    QVERIFY(rig.retain()->isChecked());
    QVERIFY(!rig.backup()->isChecked());
    QVERIFY(rig.backup()->isEnabled());

    // Backup only while the settings are retained; clearing Retain clears Backup.
    clickButton(rig.backup());
    QVERIFY(rig.page->backupSettings());
    clickButton(rig.retain());
    QVERIFY(!rig.page->retainSettings());
    QVERIFY(!rig.page->backupSettings());
    QVERIFY(!rig.backup()->isEnabled());
    // A mnemonic clicks its box a moment after the key.
    QTest::keyClick(rig.page.get(), Qt::Key_R, Qt::AltModifier);
    QTRY_VERIFY(rig.page->retainSettings());
    QVERIFY(rig.backup()->isEnabled());
    QVERIFY(!rig.page->backupSettings());
    QTest::keyClick(rig.page.get(), Qt::Key_S, Qt::AltModifier);
    QTRY_VERIFY(rig.page->backupSettings());

    // "&Upgrade": the options are held while the question is asked; Cancel gives them back and
    // starts nothing.
    rig.seams.prompter().answerNext(MessageAnswer::Cancel);
    rig.page->startBatch();
    QVERIFY(!rig.retain()->isEnabled());
    QVERIFY(!rig.backup()->isEnabled());
    QTRY_COMPARE(rig.seams.prompter().count(), 1u);
    const Message question = rig.seams.prompter().messages().front();
    QCOMPARE(question.text, std::string("Proceed to the firmware upgrade?"));
    QCOMPARE(question.caption, std::string("Information"));
    QCOMPARE(question.icon, MessageIcon::Question);
    QCOMPARE(question.buttons, MessageButtons::OkCancel);
    QVERIFY(rig.retain()->isEnabled());
    QVERIFY(rig.backup()->isEnabled());
    QVERIFY(rig.page->backupSettings());
    QVERIFY(!rig.page->scheduler().running());
    QCOMPARE(rig.states, std::vector<int>{2});

    // The question never comes once the page has been left.
    rig.page->startBatch();
    rig.page->hide();
    QTRY_VERIFY(rig.retain()->isEnabled());
    QCOMPARE(rig.seams.prompter().count(), 1u);
    QVERIFY(!rig.page->isShown());
    QVERIFY(!rig.page->scheduler().stopRequested());
}

void AutomaticProgressPageTest::rowsAreDrawnOnTheLightStripWithTheirBars()
{
    PageRig rig;
    rig.add(cameraEntry(2));
    // A login too long for the credential: that camera ends before the batch, its bar left empty.
    rig.add(cameraEntry(3), QString(60, QLatin1Char('p')));
    QVERIFY(showActive(*rig.page));
    rig.page->onShown();
    UpgradeProgressList& list = rig.page->progressList();
    QCOMPARE(rig.cell(1, UpgradeProgressList::StatusColumn), QStringLiteral("Error1"));
    QCOMPARE(rig.page->scheduler().row(1).progress.load(), 0);
    // The bar as a completed camera's is drawn: full. (The camera threads write it the same way.)
    const_cast<ProgressRow&>(rig.page->scheduler().row(1)).progress.store(10000);
    QCOMPARE(rig.page->findChild<QLabel*>("proceededCounter")->text(), QStringLiteral("1/2"));

    // A selection is made but never shown, and a header press does not reorder the rows.
    list.selectRows({0, 1}, 0);
    list.setFocus();
    const int left = list.header()->sectionViewportPosition(UpgradeProgressList::AddressColumn);
    QTest::mouseClick(list.header()->viewport(), Qt::LeftButton, {}, QPoint(left + 10, 5));
    QCOMPARE(rig.cell(0, UpgradeProgressList::AddressColumn), QStringLiteral("127.0.0.2"));

    QTRY_VERIFY(list.viewport()->isVisible());
    const QImage image = list.viewport()->grab().toImage();
    // Right of the status words: the row's own strip.
    const int plainX = image.width() - 3;
    for (int row = 0; row < 2; ++row) {
        const QRect line = list.rowRect(row);
        const int middle = line.top() + line.height() / 2;
        QCOMPARE(image.pixelColor(plainX, middle), kLightStrip);

        const QRect bar = list.cellRect(row, UpgradeProgressList::ProgressColumn);
        const int right = bar.left() + bar.width();
        // The black frame from the column's left edge, the grey one a pixel further right and down.
        QCOMPARE(image.pixelColor(bar.left(), middle), kBarFrame);
        QCOMPARE(image.pixelColor(bar.left() + 4, line.top() + 2), kBarFrame);
        QCOMPARE(image.pixelColor(right - 2, middle), kBarShadow);
        QCOMPARE(image.pixelColor(bar.left() + 4, line.top() + line.height() - 4), kBarShadow);
        QCOMPARE(image.pixelColor(bar.left() + 4, line.top() + 1),
                 image.pixelColor(plainX, line.top() + 1));
        // Empty at 0; at 10000 filled to the bar's inner width, the column less 3 pixels, over the
        // black frame's right edge.
        const QColor inside = image.pixelColor(bar.left() + bar.width() / 2, middle);
        if (row == 0) {
            QCOMPARE(inside, kLightStrip);
            QCOMPARE(image.pixelColor(right - 3, middle), kBarFrame);
        } else {
            QVERIFY(isBarFill(inside));
            QVERIFY(isBarFill(image.pixelColor(bar.left() + 1, middle)));
            QVERIFY(isBarFill(image.pixelColor(right - 3, middle)));
        }
    }
}

ZKA_QTEST_MAIN(AutomaticProgressPageTest)
#include "ui_automatic_progress_page_test.moc"
