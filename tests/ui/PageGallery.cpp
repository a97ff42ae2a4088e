// Shows the wizard's pages in a frame laid out as the wizard's (pages above an etched line, the
// emergency badge at the lower left, Back, Next and Cancel at the lower right), for looking at them.
//
//   zka-page-gallery [--page N]      show page N (0 to 7) in a window; Back and Next walk the pages
//   zka-page-gallery --save DIR      save every page as DIR/page-N.png and the automatic mode's
//                                    dialogs as DIR/dialog-NAME.png, and end
#include "app/Artwork.h"
#include "app/KeyReportButton.h"
#include "discovery/DiscoveryTable.h"
#include "resources/PackagedResources.h"
#include "resources/ResourceStore.h"
#include "resources/ResourceText.h"
#include "ui/seams/QtTimerService.h"
#include "support/RecordingDesktop.h"
#include "support/ScriptedPrompter.h"
#include "ui/dialogs/AddCamerasDialog.h"
#include "ui/dialogs/BatchLoginDialog.h"
#include "ui/dialogs/EntryTerminalsDialog.h"
#include "ui/dialogs/SingleLoginDialog.h"
#include "ui/dialogs/UpgradeLogDialog.h"
#include "ui/pages/AgreementPage.h"
#include "ui/pages/AutomaticProgressPage.h"
#include "ui/pages/AutomaticTargetPage.h"
#include "ui/pages/IntroPage.h"
#include "ui/pages/ManualProgressPage.h"
#include "ui/pages/ManualResultPage.h"
#include "ui/pages/ManualTargetPage.h"
#include "ui/pages/ModePage.h"
#include "upgrade/BatchScheduler.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStackedWidget>
#include <QVBoxLayout>

#include <QHash>
#include <QImage>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <utility>
#include <vector>

using namespace zka;

namespace {

// A few cameras as discovery finds them, one on a custom port and one by DHCP.
void discoverSome(DiscoveryTable& table)
{
    const struct {
        const char* mac;
        std::array<std::uint8_t, 4> address;
        int port;
        bool dhcp;
        const char* version;
    } cameras[] = {{"08:00:46:A8:00:64", {192, 168, 0, 100}, 80, false, "2.30"},
                   {"08:00:46:00:00:02", {192, 168, 0, 101}, 80, false, "3.10"},
                   {"08:00:46:00:00:03", {192, 168, 0, 102}, 8080, false, "2.16"},
                   {"08:00:46:00:00:04", {192, 168, 0, 57}, 80, true, "3.12"}};
    int serial = 100;
    for (const auto& camera : cameras) {
        CameraRecord record;
        setFieldText(record.mac, camera.mac);
        setFieldText(record.model, "ZKA-QM410");
        setFieldText(record.serial, "D0000" + std::to_string(serial++));
        setFieldText(record.softVersion, camera.version);
        record.ipAddress = camera.address;
        record.httpPort = camera.port;
        record.dhcp = camera.dhcp;
        table.store(record);
    }
}

class Gallery final : public QDialog {
public:
    explicit Gallery(PackagedResources& resources, Prompter& prompter)
        : models_(resources.supportedModels())
    {
        const ResourceText& texts = resources.texts();
        auto* intro = new IntroPage(texts, resources.principalModel(), resources.newVersion2x(),
                                    resources.newVersion3x());
        auto* progress = new ManualProgressPage(texts);
        progress->setTargetAddress("192.168.0.100");
        progress->setCurrentVersion("ver2.30");
        progress->setNewVersion(resources.newVersion2x());
        progress->setSetupData(true, false);
        progress->setStatusText(texts(200));
        progress->setStage(3);
        progress->progressValue() = 4200;
        auto* result = new ManualResultPage(texts);
        result->setTargetAddress("192.168.0.100");
        result->setResultVersion(resources.newVersion2x());

        pages_ = new QStackedWidget;
        pages_->addWidget(intro);
        pages_->addWidget(new AgreementPage(texts));
        pages_->addWidget(new ModePage(texts));
        pages_->addWidget(new ManualTargetPage(texts, prompter));
        pages_->addWidget(progress);
        pages_->addWidget(result);
        discoverSome(table_);
        automatic_ = new AutomaticTargetPage(
            {{clock_, timers_, prompter, texts, desktop_, resources.supportedModels()},
             [this](ButtonState state) { next_->setEnabled(state == ButtonState::NextOn); }});
        automatic_->setDiscoveryTable(&table_);
        automatic_->fillFromDiscovery();
        automatic_->targetList().setRowLogin(0, QStringLiteral("admin"), QStringLiteral("admin"));
        automatic_->targetList().setRowLogin(1, QStringLiteral("admin"), QString());
        pages_->addWidget(automatic_);
        // The batch made of the checked cameras, before it starts.
        batch_ = std::make_unique<BatchScheduler>(BatchScheduler::Seams{clock_, timers_, prompter}, resources,
                                                  FirmwareDescription::of(resources));
        progress_ = new AutomaticProgressPage({clock_, prompter, desktop_, resources, timers_, *batch_, [](ButtonState) {}});
        progress_->setTargetList(&automatic_->targetList());
        pages_->addWidget(progress_);
        pages_->setFixedSize(560, 310);

        auto* line = new QFrame;
        line->setFrameShape(QFrame::HLine);
        line->setFrameShadow(QFrame::Sunken);

        emergency_ = new QLabel;
        emergency_->setPixmap(artwork::emergencyImage());
        // The badge comes and goes without moving the buttons.
        QSizePolicy keepSpace = emergency_->sizePolicy();
        keepSpace.setRetainSizeWhenHidden(true);
        emergency_->setSizePolicy(keepSpace);
        back_ = new QPushButton(QString::fromStdString(texts(162)));
        next_ = new KeyReportButton(QString::fromStdString(texts(159)));
        next_->setDefault(true);
        auto* cancel = new QPushButton(QString::fromStdString(texts(165)));
        for (auto* button : {back_, static_cast<QPushButton*>(next_), cancel})
            button->setMinimumWidth(88);
        connect(back_, &QPushButton::clicked, this, [this] { showPage(pages_->currentIndex() - 1); });
        connect(next_, &QPushButton::clicked, this, [this] { showPage(pages_->currentIndex() + 1); });
        connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

        auto* buttons = new QHBoxLayout;
        buttons->addWidget(emergency_);
        buttons->addStretch(1);
        buttons->addWidget(back_);
        buttons->addWidget(next_);
        buttons->addSpacing(8);
        buttons->addWidget(cancel);

        auto* layout = new QVBoxLayout(this);
        layout->setSizeConstraint(QLayout::SetFixedSize);
        layout->addWidget(pages_);
        layout->addWidget(line);
        layout->addLayout(buttons);

        setWindowTitle(intro->windowCaption());
        setWindowIcon(artwork::applicationIcon());
    }

    // The progress page borrows the batch: it goes first.
    ~Gallery() override { delete progress_; }

    int pageCount() const { return pages_->count(); }
    QWidget* currentPage() const { return pages_->currentWidget(); }

    // The dialogs the automatic mode opens, each as the operator first sees it.
    std::vector<std::pair<QString, std::unique_ptr<QDialog>>> dialogs(Prompter& prompter, const ResourceText& texts)
    {
        std::vector<std::pair<QString, std::unique_ptr<QDialog>>> shown;
        TargetCameraList& list = automatic_->targetList();
        list.selectRows({1}, 1);
        shown.emplace_back(QStringLiteral("single-login"), std::make_unique<SingleLoginDialog>(list, this));
        list.selectRows({0, 1, 2}, 0);
        shown.emplace_back(QStringLiteral("batch-login"), std::make_unique<BatchLoginDialog>(list, this));
        const std::vector<std::string> log{"ZKA-QM410(192.168.0.100) Completed successfully.\r\n",
                                           "ZKA-QM410(192.168.0.101) Login error.\r\n",
                                           "ZKA-QM410(DHCP:192.168.0.57) Completed successfully.\r\n"};
        shown.emplace_back(QStringLiteral("upgrade-log"),
                           std::make_unique<UpgradeLogDialog>(log, desktop_, prompter, texts, this));

        // Cameras entered by address, as they wait for their probes (on loopback: nothing leaves
        // the machine even if a probe came to run), two of them on one address; and a blank row
        // in "Entry terminals".
        auto add = std::make_unique<AddCamerasDialog>(
            TargetCameraList::Seams{clock_, timers_, prompter, texts, desktop_, models_}, list, this);
        AddedCameraList& added = add->addedList();
        for (const auto& [host, port] : {std::pair{2, 80}, std::pair{3, 80}, std::pair{3, 8080}})
            added.setRowAddress(added.addBlankRow(), {127, 0, 0, std::uint8_t(host)}, port, true);
        added.selectRow(added.addBlankRow());
        AddCamerasDialog& host = *add;
        shown.emplace_back(QStringLiteral("add-cameras"), std::move(add));
        shown.emplace_back(QStringLiteral("entry-terminals"),
                           std::make_unique<EntryTerminalsDialog>(host, host.capacity(), added.rowCount() - 1,
                                                                  EntryTerminalsDialog::Messages{prompter, texts}, this));
        return shown;
    }

    void showPage(int index)
    {
        if (index < 0 || index >= pages_->count())
            return;
        pages_->setCurrentIndex(index);
        back_->setEnabled(index > 0);
        next_->setEnabled(index + 1 < pages_->count());
        // The badge appears while the camera runs emergency firmware: shown here on the progress page.
        emergency_->setVisible(index == 4);
        if (auto* mode = qobject_cast<ModePage*>(pages_->currentWidget()))
            mode->refreshTexts();
        if (auto* target = qobject_cast<ManualTargetPage*>(pages_->currentWidget()))
            target->focusAddress();
        if (pages_->currentWidget() == automatic_)
            automatic_->onShown();
        if (pages_->currentWidget() == progress_) {
            progress_->clearFilled();
            progress_->onShown();
        }
    }

private:
    const SupportedModels& models_;
    SystemClock clock_;
    QtTimerService timers_{clock_};
    std::unique_ptr<BatchScheduler> batch_;
    test::RecordingDesktop desktop_;
    DiscoveryTable table_;
    AutomaticTargetPage* automatic_ = nullptr;
    AutomaticProgressPage* progress_ = nullptr;
    QStackedWidget* pages_ = nullptr;
    QLabel* emergency_ = nullptr;
    QPushButton* back_ = nullptr;
    KeyReportButton* next_ = nullptr;
};

// A page that shows nothing but its background has failed to draw: at least one pixel in 200 must
// differ from the colour that fills most of it.
bool drawsSomething(const QImage& image)
{
    QHash<QRgb, int> counts;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x)
            ++counts[image.pixel(x, y)];
    }
    int background = 0;
    for (const int count : counts)
        background = std::max(background, count);
    const int area = image.width() * image.height();
    return area > 0 && area - background > area / 200;
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const QStringList arguments = app.arguments();
    test::ScriptedPrompter prompter;
    PackagedResources resources(embeddedResources(), prompter);
    resources.loadAll();

    Gallery gallery(resources, prompter);
    const int saveAt = arguments.indexOf(QStringLiteral("--save"));
    if (saveAt > 0 && saveAt + 1 < arguments.size()) {
        const QDir folder(arguments[saveAt + 1]);
        if (!folder.mkpath(QStringLiteral("."))) {
            std::fprintf(stderr, "cannot create %s\n", qPrintable(folder.path()));
            return 1;
        }
        gallery.show();
        std::vector<QImage> drawn;
        for (int index = 0; index < gallery.pageCount(); ++index) {
            gallery.showPage(index);
            QApplication::processEvents();
            const QString file = folder.filePath(QStringLiteral("page-%1.png").arg(index));
            if (!gallery.grab().save(file)) {
                std::fprintf(stderr, "cannot save %s\n", qPrintable(file));
                return 1;
            }
            // Each page draws its own content: neither a blank page nor the picture of another.
            const QImage page = gallery.currentPage()->grab().toImage();
            if (!drawsSomething(page)) {
                std::fprintf(stderr, "page %d is blank\n", index);
                return 1;
            }
            if (std::find(drawn.begin(), drawn.end(), page) != drawn.end()) {
                std::fprintf(stderr, "page %d looks like an earlier page\n", index);
                return 1;
            }
            drawn.push_back(page);
        }
        for (auto& [name, dialog] : gallery.dialogs(prompter, resources.texts())) {
            dialog->show();
            QApplication::processEvents();
            const QString file = folder.filePath(QStringLiteral("dialog-%1.png").arg(name));
            const QPixmap picture = dialog->grab();
            if (!picture.save(file)) {
                std::fprintf(stderr, "cannot save %s\n", qPrintable(file));
                return 1;
            }
            if (!drawsSomething(picture.toImage())) {
                std::fprintf(stderr, "dialog %s is blank\n", qPrintable(name));
                return 1;
            }
        }
        std::printf("saved %d pages in %s\n", gallery.pageCount(), qPrintable(folder.path()));
        return prompter.count() == 0 ? 0 : 1;
    }

    const int pageAt = arguments.indexOf(QStringLiteral("--page"));
    gallery.showPage(pageAt > 0 && pageAt + 1 < arguments.size() ? arguments[pageAt + 1].toInt() : 0);
    gallery.show();
    return app.exec();
}
