// zka-upgrade: the firmware upgrade wizard.
//
//   zka-upgrade [--time-scale X]
//   zka-upgrade --version
//
// --time-scale X runs every wait and timer of the tool X times as long (for tests and demonstrations
// with the camera simulator); real cameras need the default, 1.
#include "app/UpgradeWizard.h"
#include "resources/ResourceText.h"
#include "runtime/Clock.h"

#include <QApplication>
#include <QStringList>

#include <cstdio>
#include <cstring>
#include <optional>

namespace {

constexpr int kUsageError = 64;

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
    // Before the application object, which needs a display: the version is asked for without one.
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0)
        return std::fputs(zka::packagedVersionText("zka-upgrade").c_str(), stdout) < 0 ? 1 : 0;

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("zka-upgrade"));

    const auto scale = timeScaleOption(QApplication::arguments());
    if (!scale) {
        std::fprintf(stderr, "usage: zka-upgrade [--time-scale X]   (X a positive number, default 1)\n"
                             "       zka-upgrade --version\n");
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
