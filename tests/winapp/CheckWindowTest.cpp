// The calibration check window of the Win32 program, opened from the system
// menu with no poll running, and a whole as-found run against the simulated
// transmitter in the process (TC K, 0..1300 degC, reading 13 degC high).
// Set ORVANE_SCREENSHOT_DIR (a Windows path) to keep a picture of it.
#include <gtest/gtest.h>

#include "app/win32/Win32Api.h"

#include <commctrl.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <variant>

#include "app/core/ControlIds.h"
#include "app/win32/BuiltinResources.h"
#include "app/win32/CMyDlgWindow.h"
#include "app/win32/CheckWindow.h"
#include "app/win32/SimulatedComm.h"
#include "app/win32/TrendImage.h"
#include "app/win32/Utf16.h"
#include "winapp/StepDriver.h"
#include "link/discovery/SimulatedBridge.h"
#include "sim/BlockFields.h"

namespace orv::app::win32 {
namespace {

using test::RunDriven;
using test::StepDriver;

std::string Text(HWND w) {
    wchar_t text[512] = {};
    GetWindowTextW(w, text, 512);
    return Narrow(text);
}

std::string Cell(HWND table, int row, int column) {
    wchar_t text[128] = {};
    LVITEMW item{};
    item.iSubItem = column;
    item.pszText = text;
    item.cchTextMax = 128;
    SendMessageW(table, LVM_GETITEMTEXTW, row, reinterpret_cast<LPARAM>(&item));
    return Narrow(text);
}

void Screenshot(HWND window, const std::wstring& name) {
    const wchar_t* dir = _wgetenv(L"ORVANE_SCREENSHOT_DIR");
    if (!dir || !*dir) return;
    RECT r{};
    GetClientRect(window, &r);
    MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&r), 2);
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, r.right - r.left, r.bottom - r.top);
    const HGDIOBJ old = SelectObject(dc, bitmap);
    BitBlt(dc, 0, 0, r.right - r.left, r.bottom - r.top, screen, r.left, r.top, SRCCOPY);
    SelectObject(dc, old);
    DeleteDC(dc);
    ReleaseDC(nullptr, screen);
    SavePng(bitmap, std::filesystem::path(dir) / name);
    DeleteObject(bitmap);
}

TEST(CheckWindow, OpenedFromTheSystemMenuItRunsAsFoundAgainstTheSimulatedDevice) {
    // The set-up is kept in %APPDATA%\Orvane: this test's own.
    const std::filesystem::path appData =
        std::filesystem::temp_directory_path() / (L"orvane-检定-" + std::to_wstring(GetCurrentProcessId()));
    _wputenv_s(L"APPDATA", appData.c_str());
    static const ResourceTable table = ResourceTable::Parse(BuiltinResourceText());
    const HICON icon = LoadIconW(nullptr, MAKEINTRESOURCEW(32512));
    SimulatedComm* comm = nullptr;
    CMyDlgWindow window(
        table,
        [&](link::UiPoster&) -> std::unique_ptr<protocol::CMSComm> {
            auto c = std::make_unique<SimulatedComm>(discovery::kSimulatedPort, nullptr);
            sim::Transmitter& t = c->Device();
            using namespace sim::field;
            PutF32(t.Block(), kResistanceCal, static_cast<float>(t.truth.referenceOhms * 50.0));
            PutU16(t.Block(), kMillivoltCal, static_cast<std::uint16_t>(t.truth.millivoltCounts));
            PutU16(t.Block(), kAmbientCal, static_cast<std::uint16_t>(t.truth.ambientCountsAt0));
            t.error.offset = 13.0;  // 1 % of span: every point fails
            comm = c.get();
            return c;
        },
        discovery::FindSimulatedBridgePort, false, icon, icon);

    StepDriver d;
    d.limit = 800;  // 40 s: a run of three points
    HWND check = nullptr;
    std::string item, caption;
    bool owned = false, pollRunAtOpen = true, pollGivenBack = false;
    std::vector<std::string> verdicts;
    std::string error, result, device;
    std::uint64_t accepted = 0;
    std::vector<std::string> certificateFields;
    int settled = 0;
    auto dlg = [&] { return window.Handle(); };
    auto model = [&] { return window.Features()->CheckModel(); };
    auto press = [&](int id) { PostMessageW(GetDlgItem(check, id), BM_CLICK, 0, 0); };
    d.steps = {
        [&] {
            if (!dlg() || IsWindowEnabled(GetDlgItem(dlg(), id::Connection))) return false;
            window.Features()->SetPrinter([&](HWND, const report::Document& page) {
                for (const report::Block& b : page.blocks)
                    if (const auto* f = std::get_if<report::Fields>(&b))
                        for (const auto& row : f->rows) certificateFields.push_back(row.second);
                return std::string();
            });
            wchar_t text[64] = {};
            GetMenuStringW(GetSystemMenu(dlg(), FALSE), kSysCmdCheck, text, 64, MF_BYCOMMAND);
            item = Narrow(text);
            PostMessageW(dlg(), WM_SYSCOMMAND, kSysCmdCheck, 0);
            return true;
        },
        [&] {
            check = FindWindowW(L"OrvaneCheck", nullptr);
            if (!check || !IsWindowVisible(check)) return false;
            owned = GetWindow(check, GW_OWNER) == dlg();
            caption = Text(check);
            pollRunAtOpen = !IsWindowEnabled(GetDlgItem(dlg(), id::AutoUpload));
            // Typed into the form, as a user types.
            SetDlgItemTextW(check, CheckWindow::kField + static_cast<int>(FormField::Points), L"0, 50, 100");
            SetDlgItemTextW(check, CheckWindow::kField + static_cast<int>(FormField::Readings), L"2");
            SetDlgItemTextW(check, CheckWindow::kField + static_cast<int>(FormField::Technician), L"李伟");
            SetDlgItemTextW(check, CheckWindow::kField + static_cast<int>(FormField::Tag), L"TT-101 锅炉");
            SetDlgItemTextW(check, CheckWindow::kField + static_cast<int>(FormField::ReferenceName), L"Dry-block DB-650");
            SetDlgItemTextW(check, CheckWindow::kField + static_cast<int>(FormField::Location), L"Boiler house");
            press(CheckWindow::kAsFound);
            return true;
        },
        [&] {
            // Each point's value goes on the calibrator, then the reference shown is accepted.
            const auto& session = model()->Check().Session();
            if (session.Running() && model()->Point().key != accepted && IsWindowEnabled(GetDlgItem(check, CheckWindow::kAccept))) {
                accepted = model()->Point().key;
                comm->Device().ApplyInput(session.Nominal());
                press(CheckWindow::kAccept);
            }
            return !session.Record().runs.empty() && !session.Running() &&
                   model()->Check().CurrentPhase() == CalibrationCheck::Phase::Idle;
        },
        [&] {
            pollGivenBack = IsWindowEnabled(GetDlgItem(dlg(), id::AutoUpload)) != FALSE;
            HWND table = GetDlgItem(check, CheckWindow::kTable);
            const auto rows = static_cast<int>(SendMessageW(table, LVM_GETITEMCOUNT, 0, 0));
            for (int r = 0; r < rows; ++r) verdicts.push_back(Cell(table, r, 8));
            error = Cell(table, 0, 5);
            result = Text(GetDlgItem(check, CheckWindow::kResult));
            device = Text(GetDlgItem(check, CheckWindow::kDevice));
            SendMessageW(GetDlgItem(check, CheckWindow::kCertificate), BM_CLICK, 0, 0);
            return true;
        },
        [&] {
            // The picture once the last redraw has reached the screen.
            if (++settled < 10) return false;
            Screenshot(check, L"orvane-check-windows.png");
            PostMessageW(dlg(), WM_COMMAND, IDCANCEL, 0);
            return true;
        },
    };
    RunDriven(window, d);

    EXPECT_FALSE(d.stalled) << "stopped at step " << d.next;
    EXPECT_EQ(item, "Calibration Check...\tCtrl+K");
    EXPECT_TRUE(owned);
    EXPECT_EQ(caption, "Calibration Check - Orvane Revuvuvi");
    EXPECT_FALSE(pollRunAtOpen) << "opening the check started no poll";
    EXPECT_TRUE(pollGivenBack);
    EXPECT_EQ(verdicts, (std::vector<std::string>{"Fail", "Fail", "Fail"}));
    EXPECT_EQ(error.rfind("13.", 0), 0u) << error;
    EXPECT_EQ(result, "Result: fail (as found: fail)");
    EXPECT_EQ(device, "QV-UN2：万能输入：双输出, TC- K, 0.0 to 1300.0 ℃, 4-20mA");
    EXPECT_NE(std::find(certificateFields.begin(), certificateFields.end(), "TT-101 锅炉"), certificateFields.end())
        << "the certificate printed from the window holds its record";
    std::ifstream kept(appData / L"Orvane" / L"check-setup.json");
    std::string text((std::istreambuf_iterator<char>(kept)), std::istreambuf_iterator<char>());
    kept.close();
    std::filesystem::remove_all(appData);
    EXPECT_NE(text.find("\"technician\": \"李伟\""), std::string::npos) << text;
    EXPECT_NE(text.find("\"readings\": 2"), std::string::npos) << text;
}

}  // namespace
}  // namespace orv::app::win32
