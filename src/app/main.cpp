// zka-upgrade: the firmware upgrade wizard.
//
//   zka-upgrade [--time-scale X]
//   zka-upgrade --version | --help
//
// --time-scale X runs every wait and timer of the tool X times as long (for tests and demonstrations
// with the camera simulator); real cameras need the default, 1.
#include "app/UpgradeWizard.h"
#include "resources/ResourceText.h"
#include "runtime/Clock.h"

#include <QApplication>
#include <QStringList>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string_view>

namespace {

constexpr int kUsageError = 64;
constexpr int kNoDisplay = 1;
constexpr const char* kUsage = "usage: zka-upgrade [--time-scale X]   (X a positive number, default 1)\n"
                               "       zka-upgrade --version | --help\n";

bool nonEmpty(const char* value)
{
    return value != nullptr && *value != '\0';
}

// Whether Qt can open a window: the platform chosen with -platform or QT_QPA_PLATFORM, else the
// desktop's X or Wayland display. Without one QApplication's constructor aborts the process.
bool displayAvailable(int argc, char** argv)
{
    std::string_view platform = nonEmpty(std::getenv("QT_QPA_PLATFORM")) ? std::getenv("QT_QPA_PLATFORM") : "";
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::strcmp(argv[i], "-platform") == 0 || std::strcmp(argv[i], "--platform") == 0)
            platform = argv[i + 1];
    }
    const bool x11 = nonEmpty(std::getenv("DISPLAY"));
    const bool wayland = nonEmpty(std::getenv("WAYLAND_DISPLAY"));
    if (platform.empty())
        return x11 || wayland;
    if (platform.starts_with("xcb"))
        return x11;
    if (platform.starts_with("wayland"))
        return wayland;
    return true; // offscreen, vnc, eglfs and the like need no desktop
}

QtMessageHandler previousHandler = nullptr;

// While the application object is made: a display that is named but cannot be opened ends the
// program with one line instead of Qt's abort.
void startupMessageHandler(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (type != QtFatalMsg) {
        if (previousHandler != nullptr)
            previousHandler(type, context, message);
        return;
    }
    std::fprintf(stderr, "zka-upgrade: cannot open the display; the wizard needs a desktop or a virtual display\n");
    std::_Exit(kNoDisplay);
}

// The time scale from the command line: 1 without the option, nullopt when it is given wrongly.
std::optional<double> timeScaleOption(const QStringList& arguments)
{
    double scale = 1.0;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        QString value;
        if (argument == QLatin1String("--time-scale") && i + 1 < arguments.size())
            value = arguments[++i];
        else if (argument.startsWith(QLatin1String("--time-scale=")))
            value = argument.mid(int(sizeof "--time-scale=") - 1);
        else
            return std::nullopt;
        scale = zka::parseTimeScale(value.toLocal8Bit().constData());
        if (scale == 0.0)
            return std::nullopt;
    }
    return scale;
}

} // namespace

int main(int argc, char** argv)
{
    // Before the application object, which needs a display: the version and the usage are asked
    // for without one.
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0)
        return std::fputs(zka::packagedVersionText("zka-upgrade").c_str(), stdout) < 0 ? 1 : 0;
    if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0))
        return std::fputs(kUsage, stdout) < 0 ? 1 : 0;
    if (!displayAvailable(argc, argv)) {
        std::fprintf(stderr, "zka-upgrade: no display (DISPLAY, WAYLAND_DISPLAY): run it on a desktop or on a "
                             "virtual display, such as xvfb-run zka-upgrade\n");
        return kNoDisplay;
    }

    previousHandler = qInstallMessageHandler(startupMessageHandler);
    QApplication app(argc, argv);
    qInstallMessageHandler(previousHandler);
    QApplication::setApplicationName(QStringLiteral("zka-upgrade"));
    // Docks and task bars match the window to the menu entry by this name.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.zka_upgrade.Wizard"));

    const auto scale = timeScaleOption(QApplication::arguments());
    if (!scale) {
        std::fputs(kUsage, stderr);
        return kUsageError;
    }

    const zka::SystemClock clock(*scale);
    zka::UpgradeWizard wizard(zka::UpgradeWizard::Seams{clock});
    // Without the model list or the firmware package nothing can be upgraded; the loader has said why.
    if (!wizard.resourcesUsable())
        return 1;

    // The program ends when the wizard closes, or earlier with the status of a fatal discovery failure.
    QApplication::setQuitOnLastWindowClosed(false);
    QObject::connect(&wizard, &QDialog::finished, &app, [] { QCoreApplication::exit(0); });
    wizard.show();
    return QApplication::exec();
}
