#include "app/qt/CMyApp.h"

#include <QCommandLineParser>
#include <QImageWriter>
#include <QSaveFile>
#include <QStringList>
#include <QTimer>
#include <cstdio>
#include <exception>
#include <memory>

#include "OrvaneVersion.h"
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

// Through a save file, so that a full disk shows at commit instead of
// leaving a cut-off PNG behind a success. Empty when written.
QString SavePng(const QPixmap& picture, const QString& file) {
    QSaveFile out(file);
    if (!out.open(QIODevice::WriteOnly)) return out.errorString();
    QImageWriter writer(&out, "png");
    if (!writer.write(picture.toImage())) {
        out.cancelWriting();
        return writer.errorString();
    }
    if (!out.commit()) return out.errorString();
    return {};
}

// Sets *failure to why the picture could not be written (empty when it was).
void WriteScreenshotWhenSettled(CMyDlgWindow& window, const QString& file, std::shared_ptr<QString> failure) {
    auto* poll = new QTimer(&window);
    auto waited = std::make_shared<int>(0);
    QObject::connect(poll, &QTimer::timeout, &window, [&window, file, poll, waited, failure] {
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
        QTimer::singleShot(kScreenshotSettleMs, &window, [&window, file, failure] {
            *failure = SavePng(window.grab(), file);
            window.reject();
        });
    });
    poll->start(kScreenshotPollMs);
}

// Options QGuiApplication and QApplication take for themselves (-platform,
// -style, -reverse, ...), in either spelling. The first look at the command
// line knows them so that it can answer --help and refuse a mistake before
// there is a display; QApplication removes them before the real parse.
struct QtOption {
    const char* name;
    bool takesValue;
};
constexpr QtOption kQtOptions[] = {
    {"platform", true},   {"platformpluginpath", true}, {"platformtheme", true}, {"plugin", true},
    {"qmljsdebugger", true}, {"qwindowgeometry", true}, {"geometry", true},     {"qwindowicon", true},
    {"icon", true},       {"qwindowtitle", true},       {"title", true},         {"session", true},
    {"style", true},      {"stylesheet", true},         {"display", true},       {"name", true},
    {"dialogs", true},    {"fontengine", true},         {"reverse", false},      {"widgetcount", false},
    {"testability", false}, {"nograb", false},          {"dograb", false},       {"sync", false},
};

QStringList Arguments(int argc, char** argv) {
    QStringList arguments;
    for (int k = 0; k < argc; ++k) arguments << QString::fromLocal8Bit(argv[k]);
    return arguments;
}

}  // namespace

CMyApp::CMyApp(int& argc, char** argv) : argc_(argc), argv_(argv) {
    QCoreApplication::setApplicationName(QStringLiteral("orvane"));
    QCoreApplication::setApplicationVersion(QString::fromLatin1(kVersion));
}

CMyApp::~CMyApp() = default;

int CMyApp::Run() {
    QCommandLineParser parser;
    // Qt's own options are single-dash words; ours take either spelling.
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
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
    // Without an application object the parser cannot know the program's name.
    auto help = [&] { return parser.helpText().replace(QStringLiteral("<executable_name>"), QStringLiteral("orvane")); };
    auto refuse = [&](const QString& why) {
        std::fprintf(stderr, "orvane: %s\n%s", qPrintable(why), qPrintable(help()));
        return 2;
    };

    {
        QCommandLineParser firstLook;
        firstLook.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
        firstLook.addOptions({helpOption, versionOption, simulateOption, factoryOption, screenshotOption});
        for (const QtOption& o : kQtOptions) {
            QCommandLineOption option(QString::fromLatin1(o.name));
            if (o.takesValue) option.setValueName(QStringLiteral("value"));
            firstLook.addOption(option);
        }
        if (!firstLook.parse(Arguments(argc_, argv_))) return refuse(firstLook.errorText());
        if (firstLook.isSet(helpOption)) {
            std::printf("%s", qPrintable(help()));
            return 0;
        }
        if (firstLook.isSet(versionOption)) {
            std::printf("orvane (%s) %s\n", kProductName, kVersion);
            return 0;
        }
        if (!firstLook.positionalArguments().isEmpty())
            return refuse(QStringLiteral("unexpected argument '%1'").arg(firstLook.positionalArguments().first()));
    }

    app_ = std::make_unique<QApplication>(argc_, argv_);
    QApplication::setDesktopFileName(QStringLiteral("orvane"));
    // What QApplication left is ours alone.
    if (!parser.parse(QCoreApplication::arguments())) return refuse(parser.errorText());
    if (!parser.positionalArguments().isEmpty())
        return refuse(QStringLiteral("unexpected argument '%1'").arg(parser.positionalArguments().first()));

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
    // Stays set unless the picture is written: a window closed before it
    // was taken is a failed screenshot too.
    auto screenshotFailure = std::make_shared<QString>(QStringLiteral("the window closed before it was taken"));
    if (!options.screenshot.isEmpty()) WriteScreenshotWhenSettled(window, options.screenshot, screenshotFailure);
    window.Initialise();
    window.exec();
    if (!options.screenshot.isEmpty() && !screenshotFailure->isEmpty()) {
        std::fprintf(stderr, "orvane: cannot write the screenshot %s: %s\n", qPrintable(options.screenshot),
                     qPrintable(*screenshotFailure));
        return 1;
    }
    return 0;
}

}  // namespace orv::app::qt
