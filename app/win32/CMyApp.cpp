#include "app/win32/CMyApp.h"

#include <commctrl.h>

#include <exception>
#include <memory>

#include "OrvaneVersion.h"
#include "app/core/ResourceTable.h"
#include "app/win32/BuiltinResources.h"
#include "app/win32/CMyDlgWindow.h"
#include "app/win32/SimulatedComm.h"
#include "app/win32/Utf16.h"
#include "app/win32/Win32WindowServices.h"
#include "link/discovery/FindBridgePort.h"
#include "link/discovery/SimulatedBridge.h"
#include "link/serial/win32/Win32SerialComm.h"

namespace orv::app::win32 {

AppOptions ParseOptions(const std::vector<std::wstring>& args) {
    AppOptions options;
    for (const std::wstring& a : args) {
        if (a == L"--simulate") options.simulate = true;
        else if (a == L"--factory") options.factory = true;
        else if (a == L"--help" || a == L"-h" || a == L"/?") options.help = true;
        else if (a == L"--version" || a == L"-v") options.version = true;
        else if (options.error.empty()) options.error = a;
    }
    return options;
}

std::wstring HelpText() {
    return L"Usage: orvane [options]\n"
           L"Orvane Revuvuvi: configures and calibrates 4-20 mA transmitters over a USB serial cable.\n\n"
           L"Options:\n"
           L"  -h, --help\tDisplays this help.\n"
           L"  -v, --version\tDisplays version information.\n"
           L"  --simulate\tTalk to a simulated transmitter (as COM1).\n"
           L"  --factory\tShow and enable the factory calibration panel.\n";
}

std::wstring VersionText() {
    const std::string text = std::string("orvane (") + kProductName + ") " + kVersion;
    return std::wstring(text.begin(), text.end());
}

int CMyApp::Run(const std::vector<std::wstring>& args) {
    const AppOptions options = ParseOptions(args);
    const std::wstring title = Win32WindowServices::MessageTitle();
    if (!options.error.empty()) {
        const std::wstring text = L"Unknown option '" + options.error + L"'.\n\n" + HelpText();
        MessageBoxW(nullptr, text.c_str(), title.c_str(), MB_OK | MB_ICONHAND);
        return 2;
    }
    if (options.help) {
        MessageBoxW(nullptr, HelpText().c_str(), title.c_str(), MB_OK | MB_ICONINFORMATION);
        return 0;
    }
    if (options.version) {
        MessageBoxW(nullptr, VersionText().c_str(), title.c_str(), MB_OK | MB_ICONINFORMATION);
        return 0;
    }

    // Version 6 of the common controls (asked for by the manifest) draws the
    // dialog's controls in the system's own style.
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);

    try {
        const ResourceTable table = ResourceTable::Parse(BuiltinResourceText());
        HICON large = static_cast<HICON>(LoadImageW(instance_, MAKEINTRESOURCEW(kIconResource), IMAGE_ICON,
                                                    GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON), 0));
        HICON small = static_cast<HICON>(LoadImageW(instance_, MAKEINTRESOURCEW(kIconResource), IMAGE_ICON,
                                                    GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), 0));

        std::function<int()> findBridgePort = discovery::FindBridgePortOnThisPlatform;
        CMyDlgWindow::CommFactory makeComm = [](link::UiPoster& poster) -> std::unique_ptr<protocol::CMSComm> {
            return std::make_unique<link::Win32SerialComm>(poster);
        };
        if (options.simulate) {
            findBridgePort = discovery::FindSimulatedBridgePort;
            makeComm = [](link::UiPoster& poster) -> std::unique_ptr<protocol::CMSComm> {
                return std::make_unique<SimulatedComm>(discovery::kSimulatedPort,
                                                       std::make_unique<link::Win32SerialComm>(poster));
            };
        }
        CMyDlgWindow window(table, makeComm, findBridgePort, options.factory, large, small);
        window.Run(instance_);
        if (large) DestroyIcon(large);
        if (small) DestroyIcon(small);
    } catch (const std::exception& e) {
        MessageBoxW(nullptr, Widen(e.what()).c_str(), title.c_str(), MB_OK | MB_ICONHAND);
        return 1;
    }
    return 0;
}

}  // namespace orv::app::win32
