#pragma once
// The calibration check beside the dialog on Win32: the same form, buttons,
// point panel, points table and texts as the Qt window, filled from the
// core's check window model, every press and edit handed back to it. It is
// owned by the dialog (above it, gone with it) and takes input while the
// dialog runs; the dialog's message filter gives it Tab and Enter.
#include "app/win32/Win32Api.h"

#include <array>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "app/core/features/CheckWindowModel.h"
#include "report/Document.h"

namespace orv::app::win32 {

class CheckWindow {
public:
    struct Hooks {
        // Asks for a file; nothing when the user cancelled.
        std::function<std::optional<std::filesystem::path>(HWND owner, bool save, const char* caption,
                                                           std::wstring filter, const wchar_t* defaultExt)>
            ask;
        std::function<void(const std::string&)> complain;
        // Prints a page through the print dialog; empty when printed or cancelled, else the message.
        std::function<std::string(HWND owner, const report::Document&)> print;
    };

    // Control ids, for tests that press and read them. The form's edits are
    // kField + FormField, their labels kFieldLabel + FormField.
    enum : int {
        kField = 100,
        kFieldLabel = 120,
        kDownwards = 140,
        kProblems,
        kAsFound,
        kAsLeft,
        kNewCheck,
        kOpen,
        kSave,
        kHeading,
        kApplyLabel,
        kApply,
        kMeasuredLabel,
        kMeasured,
        kState,
        kReferenceLabel,
        kReference,
        kMeterLabel,
        kMeter,
        kAccept,
        kCutShort,
        kAbort,
        kTable,
        kResult,
        kNotice,
        kSetupGroup,
        kPointGroup,
        kDevice,
        kCertificate,
    };

    CheckWindow(HWND owner, CheckWindowModel& model, Hooks hooks);
    ~CheckWindow();
    CheckWindow(const CheckWindow&) = delete;
    CheckWindow& operator=(const CheckWindow&) = delete;

    HWND Handle() const { return hwnd_; }
    void Show(const RECT& frame);
    // Shows the model again; its onChange calls this.
    void Refresh();
    // For the loop the dialog runs: Tab, Shift+Tab and Enter among this
    // window's controls. True when the message was taken.
    bool TakeDialogKeys(MSG& msg);

private:
    static LRESULT CALLBACK Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);
    void Create();
    void Layout();
    void OnCommand(int id, int code);
    LRESULT OnNotify(const NMHDR& header, LPARAM lParam);
    void Edited();
    void ShowRows();
    void SizeColumns(const std::vector<CheckRow>& rows);
    std::wstring ItemText(int id) const;

    HWND owner_;
    CheckWindowModel& model_;
    Hooks hooks_;
    HWND hwnd_ = nullptr;
    HWND table_ = nullptr;
    HFONT font_ = nullptr;
    HFONT bold_ = nullptr;
    bool filling_ = false;  // the window sets the edits: no edit to report
    std::uint64_t shownForm_ = 0;
    std::uint64_t shownPoint_ = 0;
    std::vector<CheckRow> shownRows_;
};

}  // namespace orv::app::win32
