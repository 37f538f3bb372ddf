#include "app/win32/DeviceFeatures.h"

#include <commdlg.h>

#include <chrono>
#include <ctime>
#include <vector>

#include "app/core/ControlIds.h"
#include "app/core/features/CalibrationCheck.h"
#include "app/core/features/FileFeatures.h"
#include "app/core/features/PrintedPages.h"
#include "app/core/features/TrendTexts.h"
#include "app/core/features/UserConfigFolder.h"
#include "calib/TrendPlacement.h"
#include "app/win32/PrintedPages.h"
#include "app/win32/SideWindow.h"
#include "app/win32/Utf16.h"

namespace orv::app::win32 {

namespace {

// The dialog's own loop shows each message to this thread's filter hooks
// before it handles keys itself; the hook finds the features through here.
thread_local DeviceFeatures* t_filtering = nullptr;

struct Shortcut {
    WPARAM key;
    UINT command;
};
constexpr Shortcut kShortcuts[] = {
    {'O', kSysCmdOpenConfiguration},
    {'S', kSysCmdSaveConfiguration},
    {'R', kSysCmdRecordCsv},
    {'T', kSysCmdTrend},
    {'K', kSysCmdCheck},
    {'P', kSysCmdDeviceReport},
};

std::wstring MenuText(const char* item, wchar_t key) { return Widen(item) + L"\tCtrl+" + key; }

calib::WallTime Now() {
    const auto now = std::chrono::system_clock::now();
    const std::time_t t = std::chrono::system_clock::to_time_t(now);
    std::tm local{};
    localtime_s(&local, &t);
    const std::int64_t ms = std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count();
    return {ms, static_cast<int>((_mkgmtime(&local) - t) / 60)};
}

// Beside the dialog where the screen leaves room, else clear of its poll
// and exit buttons.
RECT PlaceBeside(HWND dialog, int wantedWidth, int wantedHeight, int leastWidth, int leastHeight) {
    const auto pixels = [](const RECT& r) { return calib::PixelRect{r.left, r.top, r.right - r.left, r.bottom - r.top}; };
    calib::PlacementRequest request;
    MONITORINFO monitor{sizeof monitor};
    GetMonitorInfoW(MonitorFromWindow(dialog, MONITOR_DEFAULTTONEAREST), &monitor);
    request.screen = pixels(monitor.rcWork);
    RECT frame{};
    GetWindowRect(dialog, &frame);
    request.dialog = pixels(frame);
    RECT buttons{};
    for (int controlId : {id::AutoUpload, id::StopUpload, id::Exit}) {
        RECT r{};
        if (HWND c = GetDlgItem(dialog, controlId); c && GetWindowRect(c, &r)) UnionRect(&buttons, &buttons, &r);
    }
    request.buttons = pixels(buttons);
    request.wantedWidth = wantedWidth;
    request.wantedHeight = wantedHeight;
    request.leastWidth = leastWidth;
    request.leastHeight = leastHeight;
    const calib::PixelRect placed = calib::PlaceTrend(request);
    return RECT{placed.left, placed.top, placed.Right(), placed.Bottom()};
}

}  // namespace

std::optional<std::filesystem::path> AskWithCommonDialog(HWND owner, const FileRequest& request) {
    std::vector<wchar_t> name(32768, L'\0');  // room for a long path
    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = owner;
    ofn.lpstrFilter = request.filter.c_str();
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = name.data();
    ofn.nMaxFile = static_cast<DWORD>(name.size());
    ofn.lpstrInitialDir = request.folder.empty() ? nullptr : request.folder.c_str();
    ofn.lpstrTitle = request.caption.c_str();
    ofn.lpstrDefExt = request.defaultExt.c_str();
    // The working folder stays where the program started.
    ofn.Flags = OFN_HIDEREADONLY | OFN_NOCHANGEDIR | OFN_PATHMUSTEXIST |
                (request.save ? OFN_OVERWRITEPROMPT : OFN_FILEMUSTEXIST);
    const BOOL chosen = request.save ? GetSaveFileNameW(&ofn) : GetOpenFileNameW(&ofn);
    if (!chosen) return std::nullopt;
    return std::filesystem::path(name.data());
}

DeviceFeatures::DeviceFeatures(HWND dialog, CMyDlg& core, bool factory, FileChooser choose)
    : dialog_(dialog), core_(core), factory_(factory), choose_(std::move(choose)), print_(PrintDocument) {
    live_ = std::make_unique<calib::LiveReadings>(Now, [this] { return core_.Window().GetControlText(id::UnitMeasured); });
    live_->onChange = [this] {
        NameRecordItem();
        if (trend_) trend_->Refresh();
    };
    ReportRecordingFailures(*live_, core_.Window());
    core_.AddObserver(&lastRead_);
    feed_ = std::make_unique<ReadingsFeed>(*live_);
    core_.AddObserver(feed_.get());
    t_filtering = this;
    hook_ = SetWindowsHookExW(WH_MSGFILTER, &DeviceFeatures::FilterHook, nullptr, GetCurrentThreadId());
}

DeviceFeatures::~DeviceFeatures() {
    trend_.reset();
    check_.reset();
    checkModel_.reset();  // ends a run, stopping the poll that was the check's
    if (hook_) UnhookWindowsHookEx(hook_);
    if (t_filtering == this) t_filtering = nullptr;
    core_.RemoveObserver(&lastRead_);
    core_.RemoveObserver(feed_.get());
}

void DeviceFeatures::AddMenuItems(HMENU system) {
    AppendMenuW(system, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(system, MF_STRING, kSysCmdOpenConfiguration, MenuText(text::kOpenConfiguration, L'O').c_str());
    AppendMenuW(system, MF_STRING, kSysCmdSaveConfiguration, MenuText(text::kSaveConfiguration, L'S').c_str());
    AppendMenuW(system, MF_STRING, kSysCmdTrend, MenuText(text::kTrend, L'T').c_str());
    AppendMenuW(system, MF_STRING, kSysCmdRecordCsv, MenuText(text::kRecordCsv, L'R').c_str());
    AppendMenuW(system, MF_STRING, kSysCmdCheck, MenuText(text::kCalibrationCheck, L'K').c_str());
    AppendMenuW(system, MF_STRING, kSysCmdDeviceReport, MenuText(text::kPrintDeviceReport, L'P').c_str());
    AppendMenuW(system, MF_STRING, kSysCmdPrintCertificate, Widen(text::kPrintCertificate).c_str());
}

bool DeviceFeatures::OnSysCommand(UINT command) {
    switch (command) {
        case kSysCmdOpenConfiguration: OpenConfiguration(); return true;
        case kSysCmdSaveConfiguration: SaveConfiguration(); return true;
        case kSysCmdRecordCsv: RecordOrStop(); return true;
        case kSysCmdTrend: ShowTrend(); return true;
        case kSysCmdCheck: ShowCheck(); return true;
        case kSysCmdDeviceReport: PrintDeviceReport(); return true;
        case kSysCmdPrintCertificate: PrintCertificate(); return true;
        default: return false;
    }
}

LRESULT CALLBACK DeviceFeatures::FilterHook(int code, WPARAM wParam, LPARAM lParam) {
    if (code == MSGF_DIALOGBOX && t_filtering) {
        MSG& msg = *reinterpret_cast<MSG*>(lParam);
        if (t_filtering->TranslateShortcut(msg)) return TRUE;
        if (t_filtering->check_ && t_filtering->check_->TakeDialogKeys(msg)) return TRUE;
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

bool DeviceFeatures::TranslateShortcut(const MSG& msg) const {
    // Only keys meant for this window: a message box or file dialog over it
    // runs the same loop and keeps its keys.
    if (msg.message != WM_KEYDOWN || (msg.hwnd != dialog_ && !IsChild(dialog_, msg.hwnd))) return false;
    if (GetKeyState(VK_CONTROL) >= 0 || GetKeyState(VK_MENU) < 0 || GetKeyState(VK_SHIFT) < 0) return false;
    for (const Shortcut& s : kShortcuts) {
        if (msg.wParam == s.key) {
            // Posted: the file dialog must not run inside the hook.
            PostMessageW(dialog_, WM_SYSCOMMAND, s.command, 0);
            return true;
        }
    }
    return false;
}

std::optional<std::filesystem::path> DeviceFeatures::Ask(bool save, const char* caption, std::wstring filter,
                                                         const wchar_t* defaultExt) {
    return AskFrom(dialog_, save, caption, std::move(filter), defaultExt);
}

std::optional<std::filesystem::path> DeviceFeatures::AskFrom(HWND owner, bool save, const char* caption,
                                                             std::wstring filter, const wchar_t* defaultExt) {
    // Every window beside the dialog asks through the same dialogs and starts in the same folder.
    const FileRequest request{save, Widen(caption), std::move(filter), defaultExt, lastFolder_};
    std::optional<std::filesystem::path> file = choose_(owner, request);
    if (file && file->has_parent_path()) lastFolder_ = file->parent_path().wstring();
    return file;
}

void DeviceFeatures::Complain(const std::string& text) { core_.Window().MessageBox(text, MessageIcon::Stop); }

void DeviceFeatures::SaveConfiguration() {
    const auto file = Ask(true, text::kSaveConfigurationCaption, FileFilter({{text::kConfigurationFiles, L"*.json"}}), L"json");
    if (!file) return;
    if (const std::string error = app::SaveConfigurationTo(core_, lastRead_, *file); !error.empty()) Complain(error);
}

void DeviceFeatures::OpenConfiguration() {
    const auto file = Ask(false, text::kOpenConfigurationCaption,
                          FileFilter({{text::kConfigurationFiles, L"*.json"}, {text::kAllFiles, L"*.*"}}), L"json");
    if (!file) return;
    if (const std::string error = app::OpenConfigurationFrom(core_, *file, factory_); !error.empty()) Complain(error);
}

void DeviceFeatures::RecordOrStop() {
    // Without the trend window the item itself ends the recording it started.
    if (live_->Recorder()) {
        live_->StopRecording();
    } else {
        const auto file = Ask(true, text::kRecordCsvCaption, FileFilter({{text::kCsvFiles, L"*.csv"}}), L"csv");
        if (!file) return;
        if (const std::string error = app::RecordCsvTo(*live_, *file); !error.empty()) Complain(error);
    }
    NameRecordItem();
}

calib::DialogContext DeviceFeatures::DialogNow() const {
    const calib::WallTime now = Now();
    const WindowServices& window = core_.Window();
    return {now.ms, now.offsetMinutes, window.GetControlText(id::UnitMeasured), window.GetControlText(id::UnitAmbient),
            ShownOutputRange(window)};
}

void DeviceFeatures::ShowTrend() {
    if (!trend_) {
        TrendWindow::Hooks hooks;
        hooks.dialog = [this] { return DialogNow(); };
        hooks.recordOrStop = [this] { RecordOrStop(); };
        hooks.ask = [this](HWND owner, bool save, const char* caption, std::wstring filter, const wchar_t* ext) {
            return AskFrom(owner, save, caption, std::move(filter), ext);
        };
        hooks.complain = [this](const std::string& text) { Complain(text); };
        trend_ = std::make_unique<TrendWindow>(dialog_, *live_, std::move(hooks));
    }
    if (IsWindowVisible(trend_->Handle())) {
        SetForegroundWindow(trend_->Handle());
        return;
    }
    trend_->Show(PlaceBeside(dialog_, 900, 620, 560, 400));
}

void DeviceFeatures::ShowCheck() {
    if (!check_) {
        if (!checkModel_) {
            const std::filesystem::path folder = UserConfigFolder();
            checkModel_ = std::make_unique<CheckWindowModel>(core_, folder.empty() ? folder : folder / kCheckSetupFileName);
        }
        CheckWindow::Hooks hooks;
        hooks.ask = [this](HWND owner, bool save, const char* caption, std::wstring filter, const wchar_t* ext) {
            return AskFrom(owner, save, caption, std::move(filter), ext);
        };
        hooks.complain = [this](const std::string& text) { Complain(text); };
        hooks.print = [this](HWND owner, const report::Document& page) { return print_(owner, page); };
        check_ = std::make_unique<CheckWindow>(dialog_, *checkModel_, std::move(hooks));
        checkModel_->onChange = [this] {
            if (check_) check_->Refresh();
        };
    }
    if (IsWindowVisible(check_->Handle())) {
        SetForegroundWindow(check_->Handle());
        return;
    }
    check_->Show(PlaceBeside(dialog_, 860, 780, 720, 640));
}

void DeviceFeatures::PrintDeviceReport() {
    const PageRequest report = DeviceReportNow(core_, lastRead_, *live_);
    if (!report.document) {
        Complain(report.error);
        return;
    }
    if (const std::string error = print_(dialog_, *report.document); !error.empty()) Complain(error);
}

void DeviceFeatures::PrintCertificate() {
    // From a record saved earlier, so a certificate needs no device.
    const auto file = Ask(false, text::kOpenCheckRecordCaption,
                          FileFilter({{text::kCheckRecordFiles, L"*.json"}, {text::kAllFiles, L"*.*"}}), L"json");
    if (!file) return;
    const PageRequest certificate = CertificateOf(*file);
    if (!certificate.document) {
        Complain(certificate.error);
        return;
    }
    if (const std::string error = print_(dialog_, *certificate.document); !error.empty()) Complain(error);
}

void DeviceFeatures::NameRecordItem() {
    const std::wstring item = live_->Recorder() ? MenuText(text::kStopRecording, L'R') : MenuText(text::kRecordCsv, L'R');
    if (HMENU system = GetSystemMenu(dialog_, FALSE))
        ModifyMenuW(system, kSysCmdRecordCsv, MF_BYCOMMAND | MF_STRING, kSysCmdRecordCsv, item.c_str());
}

}  // namespace orv::app::win32
