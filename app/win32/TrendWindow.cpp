#include "app/win32/TrendWindow.h"

#include <windowsx.h>

#include <algorithm>
#include <memory>

#include "app/core/features/FileFeatures.h"
#include "app/core/features/TrendTexts.h"
#include "app/win32/TrendPainter.h"
#include "app/win32/TrendImage.h"
#include "app/win32/SideWindow.h"
#include "app/win32/Utf16.h"

namespace orv::app::win32 {

namespace {

constexpr wchar_t kWindowClass[] = L"OrvaneTrend";
constexpr wchar_t kCanvasClass[] = L"OrvaneTrendCanvas";
constexpr int kMargin = 8, kRowHeight = 26;

HINSTANCE Instance() { return GetModuleHandleW(nullptr); }

}  // namespace

TrendWindow::TrendWindow(HWND owner, const calib::LiveReadings& live, Hooks hooks)
    : owner_(owner), live_(live), hooks_(std::move(hooks)), view_(live.Series()) {
    Create();
}

TrendWindow::~TrendWindow() {
    if (hwnd_) {
        SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
        DestroyWindow(hwnd_);
    }
    if (font_) DeleteObject(font_);
}

void TrendWindow::Create() {
    RegisterSideClass(kWindowClass, MAKEINTRESOURCEW(32512) /* IDC_ARROW */, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));
    // No background: the back buffer paints every pixel.
    RegisterSideClass(kCanvasClass, MAKEINTRESOURCEW(32515) /* IDC_CROSS */, nullptr, CS_DBLCLKS);
    const LOGFONTW face = DialogFace(owner_);
    font_ = CreateFontIndirectW(&face);

    hwnd_ = CreateWindowExW(0, kWindowClass, Widen(text::kTrendCaption).c_str(), WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN,
                            CW_USEDEFAULT, CW_USEDEFAULT, 900, 620, owner_, nullptr, Instance(), nullptr);
    SetWindowLongPtrW(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    SetWindowLongPtrW(hwnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&TrendWindow::Proc));

    const auto child = [&](const wchar_t* cls, const std::string& text, DWORD style, int id) {
        HWND c = CreateWindowExW(0, cls, Widen(text).c_str(), WS_CHILD | WS_VISIBLE | style, 0, 0, 10, 10, hwnd_,
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), Instance(), nullptr);
        SendMessageW(c, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
        return c;
    };
    HWND span = child(L"COMBOBOX", "", CBS_DROPDOWNLIST | WS_TABSTOP | WS_VSCROLL, kSpan);
    for (const char* s : text::kSpans) SendMessageW(span, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Widen(s).c_str()));
    SendMessageW(span, CB_SETCURSEL, static_cast<WPARAM>(view_.Viewport().Span()), 0);
    child(L"BUTTON", text::kPause, BS_AUTOCHECKBOX | BS_PUSHLIKE | WS_TABSTOP, kPause);
    child(L"BUTTON", text::kFollow, BS_PUSHBUTTON | WS_TABSTOP, kFollow);
    child(L"BUTTON", text::kShowOutput, BS_AUTOCHECKBOX | WS_TABSTOP, kOutput);
    child(L"BUTTON", text::kOpenRecording, BS_PUSHBUTTON | WS_TABSTOP, kOpen);
    child(L"BUTTON", text::kLiveReadings, BS_PUSHBUTTON | WS_TABSTOP, kLive);
    child(L"BUTTON", text::kSaveImage, BS_PUSHBUTTON | WS_TABSTOP, kSave);
    child(L"BUTTON", RecordItemText(live_), BS_PUSHBUTTON | WS_TABSTOP, kRecord);
    canvas_ = CreateWindowExW(0, kCanvasClass, L"", WS_CHILD | WS_VISIBLE, 0, 0, 10, 10, hwnd_,
                              reinterpret_cast<HMENU>(static_cast<INT_PTR>(kCanvas)), Instance(), nullptr);
    SetWindowLongPtrW(canvas_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    SetWindowLongPtrW(canvas_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&TrendWindow::CanvasProc));
    child(L"STATIC", "", SS_LEFT | SS_NOPREFIX, kStats);
    child(L"STATIC", "", SS_LEFT | SS_NOPREFIX, kStatus);
    Layout();
    Refresh();
}

void TrendWindow::Show(const RECT& frame) {
    SetWindowPos(hwnd_, nullptr, frame.left, frame.top, frame.right - frame.left, frame.bottom - frame.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    ShowWindow(hwnd_, SW_SHOWNORMAL);
    SetForegroundWindow(hwnd_);
}

void TrendWindow::Layout() {
    RECT client{};
    GetClientRect(hwnd_, &client);
    HDC dc = GetDC(hwnd_);
    const HGDIOBJ old = SelectObject(dc, font_);
    const auto widthOf = [&](int id) {
        wchar_t text[128] = {};
        GetDlgItemTextW(hwnd_, id, text, 128);
        SIZE size{};
        GetTextExtentPoint32W(dc, text, lstrlenW(text), &size);
        return static_cast<int>(size.cx) + (id == kOutput ? 28 : 20);
    };
    TEXTMETRICW tm{};
    GetTextMetricsW(dc, &tm);
    int x = kMargin;
    MoveWindow(GetDlgItem(hwnd_, kSpan), x, kMargin, 90, 200, TRUE);
    x += 90 + 6;
    for (int id : {kPause, kFollow, kOutput}) {
        const int w = widthOf(id);
        MoveWindow(GetDlgItem(hwnd_, id), x, kMargin, w, kRowHeight - 2, TRUE);
        x += w + 6;
    }
    int right = client.right - kMargin;
    for (int id : {kRecord, kSave, kLive, kOpen}) {
        if (id == kLive && !IsWindowVisible(GetDlgItem(hwnd_, kLive))) continue;
        const int w = std::max(widthOf(id), id == kRecord ? 120 : 0);
        right -= w;
        MoveWindow(GetDlgItem(hwnd_, id), right, kMargin, w, kRowHeight - 2, TRUE);
        right -= 6;
    }
    const int line = tm.tmHeight + tm.tmExternalLeading;
    const int statusHeight = 2 * line, statsHeight = 2 * line;
    const int bottom = client.bottom - kMargin;
    MoveWindow(GetDlgItem(hwnd_, kStatus), kMargin, bottom - statusHeight, client.right - 2 * kMargin, statusHeight, TRUE);
    MoveWindow(GetDlgItem(hwnd_, kStats), kMargin, bottom - statusHeight - statsHeight - 4, client.right - 2 * kMargin,
               statsHeight, TRUE);
    const int top = kMargin + kRowHeight + 4;
    MoveWindow(canvas_, kMargin, top, client.right - 2 * kMargin,
               std::max(10, bottom - statusHeight - statsHeight - 8 - top), TRUE);
    SelectObject(dc, old);
    ReleaseDC(hwnd_, dc);
}

void TrendWindow::Refresh() {
    const calib::DialogContext context = hooks_.dialog ? hooks_.dialog() : calib::DialogContext{};
    SetDlgItemTextW(hwnd_, kStats, Widen(TrendStatsText(view_, context.nowMs, context.measuredUnit, context.ambientUnit)).c_str());
    SetDlgItemTextW(hwnd_, kStatus, Widen(TrendStatusText(live_, view_, shownFile_)).c_str());
    SetDlgItemTextW(hwnd_, kRecord, Widen(RecordItemText(live_)).c_str());
    const bool showingFile = view_.ShownRecording() != nullptr;
    if (showingFile != (IsWindowVisible(GetDlgItem(hwnd_, kLive)) != FALSE)) {
        ShowWindow(GetDlgItem(hwnd_, kLive), showingFile ? SW_SHOW : SW_HIDE);
        Layout();
    }
    EnableWindow(GetDlgItem(hwnd_, kFollow), view_.Viewport().Zoomed());
    InvalidateRect(canvas_, nullptr, FALSE);
}

void TrendWindow::CanvasChanged(bool zoomed) {
    if (zoomed)
        Refresh();
    else
        InvalidateRect(canvas_, nullptr, FALSE);
}

std::string TrendWindow::OpenRecordingFrom(const std::filesystem::path& file) {
    std::optional<calib::Recording> recording;
    if (std::string error = app::OpenRecordingFrom(file, recording); !error.empty()) return error;
    shownFile_ = file;
    view_.ShowRecording(std::move(*recording));
    CheckDlgButton(hwnd_, kPause, BST_UNCHECKED);
    Refresh();
    return {};
}

std::string TrendWindow::SaveImageTo(const std::filesystem::path& file) {
    RECT r{};
    GetClientRect(canvas_, &r);
    HDC screen = GetDC(canvas_);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, r.right, r.bottom);
    const HGDIOBJ oldBitmap = SelectObject(dc, bitmap);
    Paint(dc, r.right, r.bottom);
    SelectObject(dc, oldBitmap);
    DeleteDC(dc);
    ReleaseDC(canvas_, screen);
    const std::string why = SavePng(bitmap, file);
    DeleteObject(bitmap);
    return why.empty() ? std::string() : SaveImageFailedText(file, why);
}

void TrendWindow::Paint(HDC dc, int width, int height) {
    const HGDIOBJ old = SelectObject(dc, font_);
    view_.Build(width, height, TrendTextMetrics(dc), hooks_.dialog ? hooks_.dialog() : calib::DialogContext{});
    PaintTrendScene(dc, view_.Last(), view_.DragRect());
    SelectObject(dc, old);
}

void TrendWindow::OnCommand(int id, int code) {
    switch (id) {
        case kSpan:
            if (code != CBN_SELCHANGE) return;
            view_.Viewport().SetSpan(static_cast<calib::TrendSpan>(SendDlgItemMessageW(hwnd_, kSpan, CB_GETCURSEL, 0, 0)));
            view_.Viewport().Follow();
            break;
        case kPause:
            view_.SetPaused(IsDlgButtonChecked(hwnd_, kPause) == BST_CHECKED, hooks_.dialog ? hooks_.dialog().nowMs : 0);
            break;
        case kFollow: view_.DoubleClick(); break;
        case kOutput: view_.SetShowOutput(IsDlgButtonChecked(hwnd_, kOutput) == BST_CHECKED); break;
        case kLive: view_.ShowLive(); break;
        case kRecord:
            if (hooks_.recordOrStop) hooks_.recordOrStop();
            return;  // the live readings' change redraws
        case kOpen: {
            if (!hooks_.ask) return;
            const auto file = hooks_.ask(hwnd_, false, text::kOpenRecordingCaption,
                                         FileFilter({{text::kCsvFiles, L"*.csv"}, {text::kAllFiles, L"*.*"}}), L"csv");
            if (!file) return;
            if (const std::string error = OpenRecordingFrom(*file); !error.empty() && hooks_.complain) hooks_.complain(error);
            return;
        }
        case kSave: {
            if (!hooks_.ask) return;
            const auto file = hooks_.ask(hwnd_, true, text::kSaveImageCaption, FileFilter({{text::kPngFiles, L"*.png"}}), L"png");
            if (!file) return;
            if (const std::string error = SaveImageTo(*file); !error.empty() && hooks_.complain) hooks_.complain(error);
            return;
        }
        default: return;
    }
    Refresh();
}

LRESULT CALLBACK TrendWindow::Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = ServedBy<TrendWindow>(hwnd);
    if (!self) return DefWindowProcW(hwnd, message, wParam, lParam);
    return Guarded(self->hooks_.complain, [&] { return self->Handle(message, wParam, lParam); });
}

LRESULT TrendWindow::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_SIZE: Layout(); return 0;
        case WM_GETMINMAXINFO: {
            auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
            info->ptMinTrackSize = {560, 400};
            return 0;
        }
        case WM_COMMAND: OnCommand(LOWORD(wParam), HIWORD(wParam)); return 0;
        case WM_CLOSE: ShowWindow(hwnd_, SW_HIDE); return 0;  // kept, with its view, until the dialog goes
        default: return DefWindowProcW(hwnd_, message, wParam, lParam);
    }
}

LRESULT CALLBACK TrendWindow::CanvasProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = ServedBy<TrendWindow>(hwnd);
    if (!self) return DefWindowProcW(hwnd, message, wParam, lParam);
    return Guarded(self->hooks_.complain, [&] { return self->Canvas(message, wParam, lParam); });
}

LRESULT TrendWindow::Canvas(UINT message, WPARAM wParam, LPARAM lParam) {
    const int x = GET_X_LPARAM(lParam), y = GET_Y_LPARAM(lParam);
    switch (message) {
        case WM_ERASEBKGND: return 1;
        case WM_PAINT: {
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(canvas_, &ps);
            RECT r{};
            GetClientRect(canvas_, &r);
            // Drawn whole into a bitmap, then copied at once: no flicker.
            HDC buffer = CreateCompatibleDC(dc);
            HBITMAP bitmap = CreateCompatibleBitmap(dc, std::max<LONG>(r.right, 1), std::max<LONG>(r.bottom, 1));
            const HGDIOBJ old = SelectObject(buffer, bitmap);
            Paint(buffer, r.right, r.bottom);
            BitBlt(dc, 0, 0, r.right, r.bottom, buffer, 0, 0, SRCCOPY);
            SelectObject(buffer, old);
            DeleteObject(bitmap);
            DeleteDC(buffer);
            EndPaint(canvas_, &ps);
            return 0;
        }
        case WM_MOUSEWHEEL: {
            POINT at{x, y};
            ScreenToClient(canvas_, &at);  // the wheel's position comes in screen pixels
            if (view_.Wheel(at.x, GET_WHEEL_DELTA_WPARAM(wParam) / WHEEL_DELTA)) CanvasChanged(true);
            return 0;
        }
        case WM_LBUTTONDOWN:
            SetFocus(canvas_);
            if (view_.Press(x, y)) {
                SetCapture(canvas_);
                CanvasChanged(false);
            }
            return 0;
        case WM_MOUSEMOVE:
            if (!tracking_) {
                TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, canvas_, 0};
                tracking_ = TrackMouseEvent(&track) != FALSE;
            }
            if (view_.Move(x, y)) CanvasChanged(false);
            return 0;
        case WM_LBUTTONUP:
            if (GetCapture() == canvas_) ReleaseCapture();
            if (view_.Release(x, y)) CanvasChanged(true);
            return 0;
        case WM_LBUTTONDBLCLK:
            if (view_.DoubleClick()) CanvasChanged(true);
            return 0;
        case WM_MOUSELEAVE:
            tracking_ = false;
            if (view_.Leave()) CanvasChanged(false);
            return 0;
        default: return DefWindowProcW(canvas_, message, wParam, lParam);
    }
}

}  // namespace orv::app::win32
