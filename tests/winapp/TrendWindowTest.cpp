// The trend window of the Win32 program, opened from the system menu while
// the dialog polls, as the program runs it.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

#include "app/core/ControlIds.h"
#include "app/win32/BuiltinResources.h"
#include "app/win32/CMyDlgWindow.h"
#include "app/win32/SimulatedComm.h"
#include "app/win32/TrendWindow.h"
#include "app/win32/Utf16.h"
#include "winapp/StepDriver.h"
#include "link/discovery/SimulatedBridge.h"

namespace orv::app::win32 {
namespace {

using test::RunDriven;
using test::StepDriver;

std::wstring Text(HWND w) {
    wchar_t text[512] = {};
    GetWindowTextW(w, text, 512);
    return text;
}

std::wstring MenuItem(HWND dialog, UINT command) {
    wchar_t text[64] = {};
    GetMenuStringW(GetSystemMenu(dialog, FALSE), command, text, 64, MF_BYCOMMAND);
    return text;
}

TEST(TrendWindow, OpenedFromTheSystemMenuDuringAPollItPlotsTheReadingsBesideTheDialogAndRecords) {
    static const ResourceTable table = ResourceTable::Parse(BuiltinResourceText());
    const HICON icon = LoadIconW(nullptr, MAKEINTRESOURCEW(32512));
    CMyDlgWindow window(
        table,
        [](link::UiPoster&) -> std::unique_ptr<protocol::CMSComm> {
            return std::make_unique<SimulatedComm>(discovery::kSimulatedPort, nullptr);
        },
        discovery::FindSimulatedBridgePort, false, icon, icon);
    const std::filesystem::path csv =
        std::filesystem::temp_directory_path() / (L"orvane-趋势-" + std::to_wstring(GetCurrentProcessId()) + L".csv");
    window.SetFileChooser([&](HWND, const FileRequest&) -> std::optional<std::filesystem::path> { return csv; });

    StepDriver d;
    HWND trend = nullptr;
    RECT trendRect{}, buttons{};
    std::wstring recordingItem, stoppedItem, status, shown;
    std::string saved, opened;
    const std::filesystem::path png = std::filesystem::path(csv).replace_extension(L".png");
    std::size_t curves = 0;
    auto dlg = [&] { return window.Handle(); };
    auto press = [&](int id) { PostMessageW(GetDlgItem(trend, id), BM_CLICK, 0, 0); };
    d.steps = {
        [&] {
            if (!dlg() || IsWindowEnabled(GetDlgItem(dlg(), id::Connection))) return false;
            PostMessageW(GetDlgItem(dlg(), id::AutoUpload), BM_CLICK, 0, 0);
            PostMessageW(dlg(), WM_SYSCOMMAND, kSysCmdTrend, 0);
            return true;
        },
        [&] {
            trend = FindWindowW(L"OrvaneTrend", nullptr);
            if (!trend || !IsWindowVisible(trend)) return false;
            EXPECT_EQ(GetWindow(trend, GW_OWNER), dlg());
            EXPECT_EQ(Narrow(Text(trend)), "Trend - Orvane Revuvuvi");
            GetWindowRect(trend, &trendRect);
            for (int id : {id::AutoUpload, id::StopUpload, id::Exit}) {
                RECT r{};
                GetWindowRect(GetDlgItem(dlg(), id), &r);
                UnionRect(&buttons, &buttons, &r);
            }
            press(TrendWindow::kRecord);  // asks for the file, then records
            return true;
        },
        [&] {
            const auto& runs = window.Features()->Live().Series().Runs();
            if (!window.Features()->Live().Recorder() || runs.empty() || runs.back().size() < 3) return false;
            RedrawWindow(trend, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
            const auto& scene = window.Features()->Trend()->View().Last();
            curves = scene.plots.empty() ? 0 : scene.plots[0].curves.size() + scene.plots[1].curves.size();
            recordingItem = MenuItem(dlg(), kSysCmdRecordCsv);
            EXPECT_EQ(Narrow(Text(GetDlgItem(trend, TrendWindow::kRecord))), "Stop Recording");
            press(TrendWindow::kRecord);
            return true;
        },
        [&] {
            if (window.Features()->Live().Recorder()) return false;
            stoppedItem = MenuItem(dlg(), kSysCmdRecordCsv);
            status = Text(GetDlgItem(trend, TrendWindow::kStatus));
            // The picture through GDI+, and the recording read back.
            saved = window.Features()->Trend()->SaveImageTo(png);
            opened = window.Features()->Trend()->OpenRecordingFrom(csv);
            shown = Text(GetDlgItem(trend, TrendWindow::kStatus));
            PostMessageW(dlg(), WM_COMMAND, IDCANCEL, 0);
            return true;
        },
    };
    RunDriven(window, d);

    EXPECT_FALSE(d.stalled) << "stopped at step " << d.next;
    RECT overlap{};
    EXPECT_FALSE(IntersectRect(&overlap, &trendRect, &buttons)) << "the trend covers the dialog's buttons";
    EXPECT_EQ(curves, 2u);
    EXPECT_EQ(Narrow(recordingItem), "Stop Recording\tCtrl+R");
    EXPECT_EQ(Narrow(stoppedItem), "Record to CSV...\tCtrl+R");
    EXPECT_EQ(Narrow(status).rfind("Not recording: ", 0), 0u) << Narrow(status);
    EXPECT_EQ(saved, "");
    EXPECT_EQ(opened, "");
    EXPECT_EQ(Narrow(shown).rfind("Showing \"", 0), 0u) << Narrow(shown);
    std::ifstream image(png, std::ios::binary);
    char signature[8] = {};
    image.read(signature, 8);
    image.close();
    std::filesystem::remove(png);
    EXPECT_EQ(std::string(signature, 8), std::string("\x89PNG\r\n\x1a\n", 8));
    std::ifstream in(csv);
    std::string line;
    int lines = 0;
    while (std::getline(in, line)) ++lines;
    in.close();
    std::filesystem::remove(csv);
    EXPECT_GE(lines, 4);
}

}  // namespace
}  // namespace orv::app::win32
