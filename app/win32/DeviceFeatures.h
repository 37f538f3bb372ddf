#pragma once
// The system menu's items beside the dialog on Win32: saved
// configurations, the trend, the CSV recording, the calibration check, the
// printed device report and a saved check's certificate, also reached by
// Ctrl+O, Ctrl+S, Ctrl+T, Ctrl+R, Ctrl+K and Ctrl+P. They listen to what
// the dialog takes in and change nothing of what it does; unused, they leave
// the window and the line exactly as they are. The last folder is kept for
// the run only; the check's set-up is the one thing kept between runs.
#include "app/win32/Win32Api.h"

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "app/core/CMyDlg.h"
#include "app/core/features/CheckWindowModel.h"
#include "app/core/features/ConfigTransfer.h"
#include "app/win32/CheckWindow.h"
#include "app/win32/TrendWindow.h"
#include "app/core/features/ReadingsFeed.h"
#include "calib/LiveReadings.h"
#include "report/Document.h"

namespace orv::app::win32 {

// System menu commands: below 0xF000 and with the low four bits clear, which
// the system keeps for itself.
inline constexpr UINT kSysCmdOpenConfiguration = 0x0020;
inline constexpr UINT kSysCmdSaveConfiguration = 0x0030;
inline constexpr UINT kSysCmdRecordCsv = 0x0040;
inline constexpr UINT kSysCmdTrend = 0x0050;
inline constexpr UINT kSysCmdCheck = 0x0060;
inline constexpr UINT kSysCmdDeviceReport = 0x0080;
inline constexpr UINT kSysCmdPrintCertificate = 0x0090;

struct FileRequest {
    bool save = false;
    std::wstring caption;
    std::wstring filter;      // OPENFILENAMEW's: name and pattern pairs, each ended by a NUL
    std::wstring defaultExt;  // without the dot
    std::wstring folder;      // where to start; empty lets the system choose
};

// The file the user chose, or nothing when they cancelled.
using FileChooser = std::function<std::optional<std::filesystem::path>(HWND owner, const FileRequest& request)>;

// GetOpenFileNameW or GetSaveFileNameW, owned by the dialog.
std::optional<std::filesystem::path> AskWithCommonDialog(HWND owner, const FileRequest& request);

// Prints a document (the print dialog unless replaced); empty when printed
// or cancelled, else the message.
using DocumentPrinter = std::function<std::string(HWND owner, const report::Document& document)>;

class DeviceFeatures {
public:
    DeviceFeatures(HWND dialog, CMyDlg& core, bool factory, FileChooser choose);
    ~DeviceFeatures();
    DeviceFeatures(const DeviceFeatures&) = delete;
    DeviceFeatures& operator=(const DeviceFeatures&) = delete;

    // Appends a separator and the items; the caller adds the about item after them.
    void AddMenuItems(HMENU system);
    // True when the command was one of the items.
    bool OnSysCommand(UINT command);
    // How the printed pages reach paper (the print dialog unless replaced).
    void SetPrinter(DocumentPrinter print) { print_ = std::move(print); }

    // The trend window, once it has been opened.
    TrendWindow* Trend() const { return trend_.get(); }
    // The check window and what it shows, once it has been opened.
    CheckWindow* Check() const { return check_.get(); }
    CheckWindowModel* CheckModel() const { return checkModel_.get(); }
    const calib::LiveReadings& Live() const { return *live_; }

private:
    static LRESULT CALLBACK FilterHook(int code, WPARAM wParam, LPARAM lParam);
    bool TranslateShortcut(const MSG& msg) const;
    std::optional<std::filesystem::path> Ask(bool save, const char* caption, std::wstring filter,
                                             const wchar_t* defaultExt);
    std::optional<std::filesystem::path> AskFrom(HWND owner, bool save, const char* caption, std::wstring filter,
                                                 const wchar_t* defaultExt);
    void Complain(const std::string& text);
    void SaveConfiguration();
    void OpenConfiguration();
    void RecordOrStop();
    void NameRecordItem();
    void ShowTrend();
    void ShowCheck();
    void PrintDeviceReport();
    void PrintCertificate();
    calib::DialogContext DialogNow() const;

    HWND dialog_;
    CMyDlg& core_;
    bool factory_;
    FileChooser choose_;
    DocumentPrinter print_;
    std::wstring lastFolder_;
    LastBlockRead lastRead_;
    std::unique_ptr<calib::LiveReadings> live_;
    std::unique_ptr<TrendWindow> trend_;  // goes before the readings it shows
    std::unique_ptr<CheckWindowModel> checkModel_;
    std::unique_ptr<CheckWindow> check_;  // goes before the model it shows
    std::unique_ptr<ReadingsFeed> feed_;
    HHOOK hook_ = nullptr;
};

}  // namespace orv::app::win32
