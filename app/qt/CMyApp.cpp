#include "app/qt/CMyApp.h"

#include <QCommandLineParser>
#include <QStringList>
#include <QTimer>
#include <cstdio>
#include <exception>

#include "app/core/ControlIds.h"
#include "app/qt/CMyDlgWindow.h"
#include "app/qt/SimulatedBridge.h"
#include "link/discovery/FindBridgePort.h"
#include "link/serial/QtSerialComm.h"
#include "sim/PtyDevice.h"

namespace orv::app::qt {

namespace {

// The first read takes about half a second on the line; the window is
// photographed once the connection is made, or after this at the latest.
constexpr int kScreenshotSettleMs = 300;
constexpr int kScreenshotDeadlineMs = 6000;
constexpr int kScreenshotPollMs = 100;

void WriteScreenshotWhenSettled(CMyDlgWindow& window, const QString& file) {
    auto* poll = new QTimer(&window);
    auto waited = std::make_shared<int>(0);
    QObject::connect(poll, &QTimer::timeout, &window, [&window, file, poll, waited] {
        *waited += kScreenshotPollMs;
        // A message box would wait for a user who is not there.
        if (QWidget* modal = QApplication::activeModalWidget(); modal && modal != &window) {
            modal->close();
            return;
        }
        QWidget* connection = window.Control(id::Connection);
        const bool connected = connection && !connection->isEnabled();
        if (!connected && *waited < kScreenshotDeadlineMs) return;
        poll->stop();
        QTimer::singleShot(kScreenshotSettleMs, &window, [&window, file] {
            if (!window.grab().save(file, "PNG")) std::fprintf(stderr, "cannot write %s\n", qPrintable(file));
            window.reject();
        });
    });
    poll->start(kScreenshotPollMs);
}

}  // namespace

CMyApp::CMyApp(int& argc, char** argv) : argc_(argc), argv_(argv) {
    QCoreApplication::setApplicationName(QStringLiteral("orvane"));
    QCoreApplication::setApplicationVersion(QStringLiteral("3.02"));
}

CMyApp::~CMyApp() = default;

int CMyApp::Run() {
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Orvane Revuvuvi: configures and calibrates 4-20 mA transmitters over a USB serial cable."));
    const QCommandLineOption helpOption(QStringList{"h", "help"}, QStringLiteral("Displays this help."));
    parser.addOption(helpOption);
    const QCommandLineOption versionOption(QStringList{"v", "version"}, QStringLiteral("Displays version information."));
    parser.addOption(versionOption);
    const QCommandLineOption simulateOption(
        QStringLiteral("simulate"), QStringLiteral("Talk to a simulated transmitter on a pseudo-terminal (as COM1)."));
    const QCommandLineOption factoryOption(QStringLiteral("factory"),
                                           QStringLiteral("Show and enable the factory calibration panel."));
    const QCommandLineOption screenshotOption(
        QStringLiteral("screenshot"), QStringLiteral("Save the window to a PNG once start-up has settled, then exit."),
        QStringLiteral("file"));
    parser.addOptions({simulateOption, factoryOption, screenshotOption});
    QStringList arguments;
    for (int k = 0; k < argc_; ++k) arguments << QString::fromLocal8Bit(argv_[k]);
    // Without an application object the parser cannot know the program's name.
    auto help = [&] { return parser.helpText().replace(QStringLiteral("<executable_name>"), QStringLiteral("orvane")); };
    if (!parser.parse(arguments)) {
        std::fprintf(stderr, "orvane: %s\n%s", qPrintable(parser.errorText()), qPrintable(help()));
        return 2;
    }
    if (parser.isSet(helpOption)) {
        std::printf("%s", qPrintable(help()));
        return 0;
    }
    if (parser.isSet(versionOption)) {
        std::printf("Orvane Revuvuvi 3.02\n");
        return 0;
    }
    if (!parser.positionalArguments().isEmpty()) {
        std::fprintf(stderr, "orvane: unexpected argument '%s'\n", qPrintable(parser.positionalArguments().first()));
        return 2;
    }

    app_ = std::make_unique<QApplication>(argc_, argv_);
    QApplication::setDesktopFileName(QStringLiteral("orvane"));

    AppOptions options;
    options.simulate = parser.isSet(simulateOption);
    options.factory = parser.isSet(factoryOption);
    options.screenshot = parser.value(screenshotOption);

    std::function<int()> findBridgePort = discovery::FindBridgePortOnThisPlatform;
    link::PortResolver resolver = link::DefaultPortPath;
    if (options.simulate) {
        try {
            device_ = std::make_unique<sim::PtyDevice>();
        } catch (const std::exception& e) {
            std::fprintf(stderr, "orvane: cannot start the simulated transmitter: %s\n", e.what());
            return 1;
        }
        findBridgePort = FindSimulatedBridgePort;
        resolver = SimulatedPortResolver(device_->SlavePath());
    }

    CMyDlgWindow window(std::make_unique<link::QtSerialComm>(resolver), findBridgePort, options.factory);
    if (!options.screenshot.isEmpty()) WriteScreenshotWhenSettled(window, options.screenshot);
    window.Initialise();
    window.exec();
    return 0;
}

}  // namespace orv::app::qt
