#pragma once
// The trend window on Win32: the same controls, texts and plots as the Qt
// window, its scene worked out by the core's trend view and painted with
// GDI through a back buffer, so a redraw never flickers. It is owned by the
// dialog (above it, gone with it) and takes input while the dialog runs.
#include "app/win32/Win32Api.h"

#include <filesystem>
#include <functional>
#include <optional>
#include <string>

#include "calib/LiveReadings.h"
#include "calib/TrendView.h"

namespace orv::app::win32 {

class TrendWindow {
public:
    struct Hooks {
        std::function<calib::DialogContext()> dialog;  // units, range and the time now
        std::function<void()> recordOrStop;             // the record button
        // Asks for a file; nothing when the user cancelled.
        std::function<std::optional<std::filesystem::path>(HWND owner, bool save, const char* caption,
                                                           std::wstring filter, const wchar_t* defaultExt)>
            ask;
        std::function<void(const std::string&)> complain;
    };

    // Control ids, for tests that press them.
    enum : int { kSpan = 100, kPause, kFollow, kOutput, kOpen, kLive, kSave, kRecord, kCanvas = 110, kStats, kStatus };

    TrendWindow(HWND owner, const calib::LiveReadings& live, Hooks hooks);
    ~TrendWindow();
    TrendWindow(const TrendWindow&) = delete;
    TrendWindow& operator=(const TrendWindow&) = delete;

    HWND Handle() const { return hwnd_; }
    void Show(const RECT& frame);
    // Redraws from the readings; the live readings call it on every change.
    void Refresh();

    // Each returns an empty string when it worked, else the message to show.
    std::string OpenRecordingFrom(const std::filesystem::path& file);
    std::string SaveImageTo(const std::filesystem::path& file);

    calib::TrendView& View() { return view_; }

private:
    static LRESULT CALLBACK Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK CanvasProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT Canvas(UINT message, WPARAM wParam, LPARAM lParam);
    void Create();
    void Layout();
    void OnCommand(int id, int code);
    void Paint(HDC dc, int width, int height);
    void CanvasChanged(bool zoomed);

    HWND owner_;
    const calib::LiveReadings& live_;
    Hooks hooks_;
    calib::TrendView view_;
    std::filesystem::path shownFile_;
    HWND hwnd_ = nullptr;
    HWND canvas_ = nullptr;
    HFONT font_ = nullptr;
    bool tracking_ = false;  // asked for WM_MOUSELEAVE
};

}  // namespace orv::app::win32
