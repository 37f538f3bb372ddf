// The main dialog as the program runs it (modal, on its own message loop),
// driven from a thread timer the way a user would answer it.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>

#include "app/core/CMyDlgPrivate.h"
#include "app/core/ControlIds.h"
#include "app/win32/BuiltinResources.h"
#include "app/win32/CMyDlgWindow.h"
#include "app/win32/SimulatedComm.h"
#include "app/win32/Utf16.h"
#include "winapp/StepDriver.h"
#include "app/win32/Win32Api.h"
#include "app/win32/Win32WindowServices.h"
#include "link/discovery/SimulatedBridge.h"
#include "protocol/CommError.h"

namespace orv::app::win32 {
namespace {

using test::OpenBox;
using test::RunDriven;
using test::StepDriver;

const ResourceTable& Table() {
    static const ResourceTable table = ResourceTable::Parse(BuiltinResourceText());
    return table;
}

std::string BoxText(HWND box) {
    wchar_t text[256] = {};
    GetDlgItemTextW(box, 0xFFFF, text, 256);
    return Narrow(text);
}

CMyDlgWindow::CommFactory SimulatedLine() {
    return [](link::UiPoster&) -> std::unique_ptr<protocol::CMSComm> {
        return std::make_unique<SimulatedComm>(discovery::kSimulatedPort, nullptr);
    };
}

HICON Icon() { return LoadIconW(nullptr, MAKEINTRESOURCEW(32512)); }  // IDI_APPLICATION

TEST(MainDialog, NoBridgeAsksForAPortThenRunsAsTheUserDrivesIt) {
    CMyDlgWindow window(Table(), SimulatedLine(), [] { return 0; }, false, Icon(), Icon());
    StepDriver d;
    std::string startMessage, errorMessage;
    auto dlg = [&] { return window.Handle(); };
    d.steps = {
        [&] {  // the start-up message comes before the window shows
            HWND box = OpenBox();
            if (!box || BoxText(box).empty()) return false;
            startMessage = BoxText(box);
            EXPECT_FALSE(IsWindowVisible(dlg()));
            PostMessageW(box, WM_COMMAND, IDOK, 0);
            return true;
        },
        [&] {
            if (!dlg() || !IsWindowVisible(dlg()) || OpenBox()) return false;
            EXPECT_EQ(SendDlgItemMessageW(dlg(), id::PortList, CB_GETCURSEL, 0, 0), 2);
            EXPECT_EQ(SendDlgItemMessageW(dlg(), id::PortList, CB_GETCOUNT, 0, 0), 11);
            EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dlg(), id::LoadBuffer)));
            EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dlg(), id::UpdateAll)));
            // The about item closes the system menu, after a separator.
            HMENU menu = GetSystemMenu(dlg(), FALSE);
            const int n = GetMenuItemCount(menu);
            EXPECT_EQ(GetMenuItemID(menu, n - 1), static_cast<UINT>(id::SysCmdAbout));
            wchar_t text[64] = {};
            GetMenuStringW(menu, n - 1, text, 64, MF_BYPOSITION);
            EXPECT_EQ(Narrow(text), Table().String(id::StrAboutItem));
            MENUITEMINFOW info{sizeof info, MIIM_FTYPE};
            GetMenuItemInfoW(menu, n - 2, TRUE, &info);
            EXPECT_TRUE(info.fType & MFT_SEPARATOR);
            EXPECT_EQ(reinterpret_cast<HICON>(SendMessageW(dlg(), WM_QUERYDRAGICON, 0, 0)), Icon());
            // The port is closed: the component's error comes as a stop box.
            // Posted, so the box's loop does not run inside this step.
            PostMessageW(GetDlgItem(dlg(), id::UploadParams), BM_CLICK, 0, 0);
            return true;
        },
        [&] {
            HWND box = OpenBox();
            if (!box || BoxText(box).empty()) return false;
            errorMessage = BoxText(box);
            PostMessageW(box, WM_COMMAND, IDOK, 0);
            return true;
        },
        [&] {
            if (OpenBox()) return false;
            SetDlgItemTextW(dlg(), id::RangeZero, L"12.5");
            // Enter in an edit field is the default button, "Exit": it collects.
            PostMessageW(dlg(), WM_COMMAND, IDOK, 0);
            return true;
        },
    };
    RunDriven(window, d);
    EXPECT_FALSE(d.stalled) << "stopped at step " << d.next;
    EXPECT_EQ(startMessage, "Auto Connected to Device fail, Please designated ports!");
    EXPECT_EQ(errorMessage, protocol::kErrPortNotOpen);
    EXPECT_EQ(app::CMyDlgPrivate::Of(*window.Core()).Values.Text(id::RangeZero), "12.5");
}

TEST(MainDialog, BridgeFoundConnectsAndFillsTheFormWithoutAMessage) {
    CMyDlgWindow window(Table(), SimulatedLine(), discovery::FindSimulatedBridgePort, true, Icon(), Icon());
    StepDriver d;
    bool sawBox = false;
    auto dlg = [&] { return window.Handle(); };
    d.steps = {
        [&] {
            sawBox = sawBox || OpenBox();
            // "connection" goes disabled once the parameter block is in.
            if (!dlg() || IsWindowEnabled(GetDlgItem(dlg(), id::Connection))) return false;
            EXPECT_EQ(SendDlgItemMessageW(dlg(), id::PortList, CB_GETCURSEL, 0, 0), discovery::kSimulatedPort);
            EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dlg(), id::PortList)));
            wchar_t text[32] = {};
            GetDlgItemTextW(dlg(), id::RangeFull, text, 32);
            EXPECT_STREQ(text, L"1300.0000");
            // The factory panel is shown and its model list enabled by the core.
            EXPECT_TRUE(IsWindowVisible(GetDlgItem(dlg(), id::ModelList)));
            EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dlg(), id::ModelList)));
            PostMessageW(dlg(), WM_SYSCOMMAND, id::SysCmdAbout, 0);  // the about item
            return true;
        },
        [&] {
            HWND about = FindWindowW(nullptr, L"About Orvane");
            if (!about || !IsWindowVisible(about)) return false;
            EXPECT_EQ(GetWindow(about, GW_OWNER), dlg());
            bool named = false;
            for (HWND c = GetWindow(about, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
                wchar_t text[64] = {};
                GetWindowTextW(c, text, 64);
                named = named || Narrow(text) == "Orvane Revuvuvi v3.02";
            }
            EXPECT_TRUE(named);
            PostMessageW(about, WM_COMMAND, IDOK, 0);
            return true;
        },
        [&] {
            if (FindWindowW(nullptr, L"About Orvane")) return false;
            SetDlgItemTextW(dlg(), id::RangeZero, L"7");
            PostMessageW(dlg(), WM_COMMAND, IDCANCEL, 0);  // Escape: nothing collected
            return true;
        },
    };
    RunDriven(window, d);
    EXPECT_FALSE(d.stalled) << "stopped at step " << d.next;
    EXPECT_FALSE(sawBox);
    EXPECT_NE(app::CMyDlgPrivate::Of(*window.Core()).Values.Text(id::RangeZero), "7");
}

TEST(MainDialog, SavedConfigurationOpensAgainAndARefusedFileLeavesTheWindowAsItWas) {
    // A folder named in Chinese: the file calls must not go through the ANSI code page.
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / (L"orvane-配置-" + std::to_wstring(GetCurrentProcessId()));
    std::filesystem::create_directories(folder);
    const std::filesystem::path file = folder / L"工厂.json";

    CMyDlgWindow window(Table(), SimulatedLine(), discovery::FindSimulatedBridgePort, false, Icon(), Icon());
    std::vector<FileRequest> asked;
    window.SetFileChooser([&](HWND, const FileRequest& request) -> std::optional<std::filesystem::path> {
        asked.push_back(request);
        return file;
    });
    StepDriver d;
    std::wstring saveItem, refusal;
    auto dlg = [&] { return window.Handle(); };
    auto rangeFull = [&] {
        wchar_t text[32] = {};
        GetDlgItemTextW(dlg(), id::RangeFull, text, 32);
        return std::wstring(text);
    };
    d.steps = {
        [&] {
            if (!dlg() || IsWindowEnabled(GetDlgItem(dlg(), id::Connection))) return false;
            wchar_t text[64] = {};
            GetMenuStringW(GetSystemMenu(dlg(), FALSE), kSysCmdSaveConfiguration, text, 64, MF_BYCOMMAND);
            saveItem = text;
            PostMessageW(dlg(), WM_SYSCOMMAND, kSysCmdSaveConfiguration, 0);
            return true;
        },
        [&] {
            if (HWND box = OpenBox()) {
                ADD_FAILURE() << BoxText(box);
                PostMessageW(box, WM_COMMAND, IDOK, 0);
                return false;
            }
            if (asked.size() < 1) return false;
            SetDlgItemTextW(dlg(), id::RangeFull, L"500");
            PostMessageW(dlg(), WM_SYSCOMMAND, kSysCmdOpenConfiguration, 0);
            return true;
        },
        [&] {
            if (HWND box = OpenBox()) {
                ADD_FAILURE() << BoxText(box);
                PostMessageW(box, WM_COMMAND, IDOK, 0);
                return false;
            }
            // As a read of the parameters shows it.
            if (rangeFull() != L"1300.0") return false;
            std::filesystem::resize_file(file, std::filesystem::file_size(file) / 2);
            SetDlgItemTextW(dlg(), id::RangeFull, L"500");
            PostMessageW(dlg(), WM_SYSCOMMAND, kSysCmdOpenConfiguration, 0);
            return true;
        },
        [&] {
            HWND box = OpenBox();
            if (!box || BoxText(box).empty()) return false;
            refusal = Widen(BoxText(box));
            PostMessageW(box, WM_COMMAND, IDOK, 0);
            return true;
        },
        [&] {
            if (OpenBox()) return false;
            EXPECT_EQ(rangeFull(), L"500");
            PostMessageW(dlg(), WM_COMMAND, IDCANCEL, 0);
            return true;
        },
    };
    RunDriven(window, d);
    std::filesystem::remove_all(folder);
    EXPECT_FALSE(d.stalled) << "stopped at step " << d.next ;
    EXPECT_EQ(saveItem, L"Save Configuration...\tCtrl+S");
    EXPECT_NE(refusal.find(file.wstring()), std::wstring::npos) << Narrow(refusal);
    EXPECT_NE(refusal.find(L"truncated"), std::wstring::npos) << Narrow(refusal);
    // Save, then the two opens; the folder chosen is kept for the next question.
    ASSERT_EQ(asked.size(), 3u);
    EXPECT_TRUE(asked[0].save);
    EXPECT_FALSE(asked[1].save);
    EXPECT_EQ(asked[1].folder, folder.wstring());
}

}  // namespace
}  // namespace orv::app::win32
