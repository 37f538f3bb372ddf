// The Win32 window services and the dialog built from the resource table,
// on real dialog-manager windows (run under Wine on the build machine).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/core/ControlIds.h"
#include "app/win32/BuiltinResources.h"
#include "app/win32/DialogTemplateBuilder.h"
#include "app/win32/Utf16.h"
#include "app/win32/Win32Api.h"
#include "app/win32/Win32WindowServices.h"

namespace orv::app::win32 {
namespace {

const ResourceTable& Table() {
    static const ResourceTable table = ResourceTable::Parse(BuiltinResourceText());
    return table;
}

INT_PTR CALLBACK QuietProc(HWND, UINT message, WPARAM, LPARAM) { return message == WM_INITDIALOG; }

// A modeless copy of a dialog, made exactly as the program makes its modal one.
class Dialog {
public:
    explicit Dialog(int dialogId, bool factory = false)
        : tpl_(Table().Dialog(dialogId)), built_(BuildDialogTemplate(tpl_, factory, true)) {
        hwnd_ = CreateDialogIndirectParamW(GetModuleHandleW(nullptr), static_cast<LPCDLGTEMPLATEW>(built_.Data()),
                                           nullptr, QuietProc, 0);
    }
    ~Dialog() {
        if (hwnd_) DestroyWindow(hwnd_);
    }
    HWND hwnd() const { return hwnd_; }
    const DialogTemplate& tpl() const { return tpl_; }

private:
    const DialogTemplate& tpl_;
    BuiltTemplate built_;
    HWND hwnd_ = nullptr;
};

std::wstring ClassOf(HWND w) {
    wchar_t name[64] = {};
    GetClassNameW(w, name, 64);
    return name;
}

TEST(Win32DialogTemplate, EveryControlOfTheTableIsCreatedWithItsKindAndState) {
    for (const bool factory : {false, true}) {
        Dialog dlg(id::MainDialog, factory);
        ASSERT_NE(dlg.hwnd(), nullptr) << "factory " << factory;
        int checked = 0;
        for (const ControlTemplate& c : dlg.tpl().controls) {
            if (c.id <= 0 || c.kind == ControlKind::Comm) continue;
            HWND w = GetDlgItem(dlg.hwnd(), c.id);
            ASSERT_NE(w, nullptr) << c.id;
            const std::wstring cls = ClassOf(w);
            const wchar_t* expected = c.kind == ControlKind::Edit   ? L"Edit"
                                      : c.kind == ControlKind::List ? L"ComboBox"
                                      : c.kind == ControlKind::Label || c.kind == ControlKind::Icon ? L"Static"
                                                                                                     : L"Button";
            EXPECT_EQ(_wcsicmp(cls.c_str(), expected), 0) << c.id;
            const bool shown = !c.hidden || (c.factory && factory && !c.neverShown);
            EXPECT_EQ(GetWindowLongW(w, GWL_STYLE) & WS_VISIBLE ? true : false, shown) << c.id << " factory " << factory;
            const bool enabled = !c.disabled || (c.factory && factory && !c.neverShown && c.kind == ControlKind::Edit);
            EXPECT_EQ(IsWindowEnabled(w) != FALSE, enabled) << c.id << " factory " << factory;
            ++checked;
        }
        EXPECT_GT(checked, 80);
        EXPECT_EQ(GetDlgItem(dlg.hwnd(), id::Comm), nullptr);  // the serial component has no window
    }
}

TEST(Win32DialogTemplate, SizeCaptionAndFontFollowTheTable) {
    struct Case {
        int dialog;
        bool factory;
        DuSize size;
    };
    const Case cases[] = {
        {id::MainDialog, false, {381, 327}},
        {id::MainDialog, true, {765, 345}},
        {id::AboutDialog, false, {235, 55}},
    };
    for (const auto& c : cases) {
        Dialog dlg(c.dialog, c.factory);
        ASSERT_NE(dlg.hwnd(), nullptr);
        RECT du{0, 0, c.size.width, c.size.height};
        MapDialogRect(dlg.hwnd(), &du);
        RECT client;
        GetClientRect(dlg.hwnd(), &client);
        EXPECT_EQ(client.right, du.right) << c.dialog << " factory " << c.factory;
        EXPECT_EQ(client.bottom, du.bottom) << c.dialog << " factory " << c.factory;
        wchar_t caption[64] = {};
        GetWindowTextW(dlg.hwnd(), caption, 64);
        EXPECT_EQ(Narrow(caption), dlg.tpl().caption);
        LOGFONTW font{};
        GetObjectW(reinterpret_cast<HFONT>(SendMessageW(dlg.hwnd(), WM_GETFONT, 0, 0)), sizeof font, &font);
        EXPECT_EQ(Narrow(font.lfFaceName), "宋体");
    }
    // An ampersand in a frame's caption is shown, not taken as a mnemonic.
    EXPECT_EQ(DisplayCaption("Reset & Recovery"), "Reset && Recovery");
}

// A click on a radio button must move the check within its own group only:
// the group boundaries come from the table's group flags.
TEST(Win32WindowServices, RadioGroupsAreSeparateAndCanBeLeftEmpty) {
    Dialog dlg(id::MainDialog);
    Win32WindowServices services(dlg.hwnd(), dlg.tpl());
    const std::vector<int> radios{id::CjcInternal, id::CjcExternal, id::Wire2,     id::Wire3,       id::Wire4,
                                  id::BreakLow,    id::BreakHigh,   id::OutputNormal, id::OutputReverse};
    auto state = [&] {
        std::string s;
        for (int r : radios) s += services.IsChecked(r) ? '1' : '0';
        return s;
    };
    struct Step {
        const char* what;
        int id;
        bool click;  // a user's click (BM_CLICK) rather than the core's SetChecked
        bool checked;
        const char* after;
    };
    const Step steps[] = {
        {"set in a group", id::Wire3, false, true, "000100000"},
        {"set another group", id::CjcExternal, false, true, "010100000"},
        {"set moves the check", id::Wire4, false, true, "010010000"},
        {"user click stays in its group", id::Wire2, true, true, "011000000"},
        {"user click in the last group", id::OutputReverse, true, true, "011000001"},
        {"unset leaves the group empty", id::Wire2, false, false, "010000001"},
        {"click after a button row", id::BreakLow, true, true, "010001001"},
    };
    for (const auto& s : steps) {
        if (s.click) SendMessageW(GetDlgItem(dlg.hwnd(), s.id), BM_CLICK, 0, 0);
        else services.SetChecked(s.id, s.checked);
        EXPECT_EQ(state(), s.after) << s.what;
    }
}

TEST(Win32WindowServices, ListsTextsAndEnablingByIdInUtf8) {
    Dialog dlg(id::MainDialog);
    Win32WindowServices services(dlg.hwnd(), dlg.tpl());
    services.AddString(id::Damping, "Pass Filter");
    services.AddString(id::Damping, "0 ~ 4KΩ");
    EXPECT_EQ(services.GetCurSel(id::Damping), -1);  // appending selects nothing
    services.SetCurSel(id::Damping, 1);
    EXPECT_EQ(services.GetCurSel(id::Damping), 1);
    services.SetCurSel(id::Damping, 12);  // outside the list: no selection
    EXPECT_EQ(services.GetCurSel(id::Damping), -1);
    EXPECT_EQ(services.GetCount(id::Damping), 2);
    services.ResetContent(id::Damping);
    EXPECT_EQ(services.GetCount(id::Damping), 0);

    for (const std::string& text : std::vector<std::string>{"", "1300.0000", "℃", "校准值更新", std::string(300, '7')}) {
        services.SetControlText(id::RangeZero, text);
        EXPECT_EQ(services.GetControlText(id::RangeZero), text);
    }
    services.EnableControl(id::LoadBuffer, false);
    EXPECT_FALSE(services.IsControlEnabled(id::LoadBuffer));
    services.EnableControl(id::LoadBuffer, true);
    EXPECT_TRUE(services.IsControlEnabled(id::LoadBuffer));
    EXPECT_THROW(services.GetControlText(4242), std::logic_error);
}

// A button that disables itself while it has the focus (as "Auto Upload"
// does) hands the focus on to the next enabled control, so the keyboard
// keeps working.
TEST(Win32WindowServices, DisablingTheFocusedControlMovesTheFocusOn) {
    Dialog dlg(id::MainDialog);
    Win32WindowServices services(dlg.hwnd(), dlg.tpl());
    ShowWindow(dlg.hwnd(), SW_SHOW);
    SetForegroundWindow(dlg.hwnd());
    for (const int button : {id::AutoUpload, id::UploadParams}) {
        HWND control = GetDlgItem(dlg.hwnd(), button);
        ASSERT_TRUE(IsWindowEnabled(control)) << button;
        SetFocus(control);
        ASSERT_EQ(GetFocus(), control) << button;
        services.EnableControl(button, false);
        HWND now = GetFocus();
        EXPECT_NE(now, control) << button;
        ASSERT_NE(now, nullptr) << button;
        EXPECT_TRUE(IsChild(dlg.hwnd(), now) && IsWindowEnabled(now) && IsWindowVisible(now)) << button;
        services.EnableControl(button, true);
    }
    // A control without the focus leaves the focus where it is.
    HWND focused = GetFocus();
    const int other = GetDlgItem(dlg.hwnd(), id::LoadBuffer) == focused ? id::UpdateAll : id::LoadBuffer;
    services.EnableControl(other, false);
    EXPECT_EQ(GetFocus(), focused);
}

// The dialog's window procedure: counts ticks of one timer and answers the
// box that is open meanwhile once enough ticks have come.
struct TickCounter {
    int ticks = 0;
    int ticksWhileBoxOpen = 0;
    bool boxOpen = false;
    bool watchdogFired = false;
};
TickCounter* g_counter = nullptr;
constexpr UINT_PTR kPollTimer = 4;
constexpr UINT_PTR kWatchdogTimer = 99;

BOOL CALLBACK CloseBox(HWND w, LPARAM) {
    if (w != nullptr && GetWindow(w, GW_OWNER) == nullptr && ClassOf(w) == L"#32770" && IsWindowVisible(w)) {
        wchar_t title[64] = {};
        GetWindowTextW(w, title, 64);
        if (Win32WindowServices::MessageTitle() == title) PostMessageW(w, WM_COMMAND, IDOK, 0);
    }
    return TRUE;
}

INT_PTR CALLBACK CountingProc(HWND, UINT message, WPARAM wParam, LPARAM) {
    if (message == WM_INITDIALOG) return TRUE;
    if (message != WM_TIMER || !g_counter) return FALSE;
    if (wParam == kWatchdogTimer) {
        g_counter->watchdogFired = true;
        EnumThreadWindows(GetCurrentThreadId(), CloseBox, 0);
        return TRUE;
    }
    ++g_counter->ticks;
    if (g_counter->boxOpen && ++g_counter->ticksWhileBoxOpen == 3) EnumThreadWindows(GetCurrentThreadId(), CloseBox, 0);
    return TRUE;
}

TEST(Win32WindowServices, TimerKeepsTickingWhileAMessageBoxIsOpen) {
    const DialogTemplate& tpl = Table().Dialog(id::AboutDialog);
    const BuiltTemplate built = BuildDialogTemplate(tpl, false, true);
    HWND hwnd = CreateDialogIndirectParamW(GetModuleHandleW(nullptr), static_cast<LPCDLGTEMPLATEW>(built.Data()),
                                           nullptr, CountingProc, 0);
    ASSERT_NE(hwnd, nullptr);
    TickCounter counter;
    g_counter = &counter;
    Win32WindowServices services(hwnd, tpl);
    services.SetTimer(static_cast<int>(kPollTimer), 20);
    ::SetTimer(hwnd, kWatchdogTimer, 10000, nullptr);  // a box nobody closes must not hang the run
    counter.boxOpen = true;
    services.MessageBox("Time Out !", MessageIcon::Exclamation);  // returns once CloseBox answers it
    counter.boxOpen = false;
    services.KillTimer(static_cast<int>(kPollTimer));
    ::KillTimer(hwnd, kWatchdogTimer);
    g_counter = nullptr;
    DestroyWindow(hwnd);
    EXPECT_FALSE(counter.watchdogFired);
    EXPECT_GE(counter.ticksWhileBoxOpen, 3);
}

}  // namespace
}  // namespace orv::app::win32
