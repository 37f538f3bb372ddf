// The printed pages of the Win32 program, drawn into enhanced metafiles as
// onto a printer's pages and read back from their text records. Set
// ORVANE_SCREENSHOT_DIR to keep each document's first page as a PNG.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "app/win32/Win32Api.h"

#include <winspool.h>

#include "app/core/ControlIds.h"
#include "app/win32/BuiltinResources.h"
#include "app/win32/CMyDlgWindow.h"
#include "app/win32/PrintedPages.h"
#include "app/win32/SimulatedComm.h"
#include "app/win32/TrendImage.h"
#include "app/win32/Utf16.h"
#include "winapp/StepDriver.h"
#include "calib/CheckRecordFile.h"
#include "link/discovery/SimulatedBridge.h"
#include "report/CertificateDocument.h"
#include "support/SampleCheckRecords.h"

namespace orv::app::win32 {
namespace {

using test::RunDriven;
using test::StepDriver;

int CALLBACK CollectText(HDC, HANDLETABLE*, const ENHMETARECORD* record, int, LPARAM text) {
    if (record->iType == EMR_EXTTEXTOUTW) {
        const auto* out = reinterpret_cast<const EMREXTTEXTOUTW*>(record);
        const auto* chars = reinterpret_cast<const wchar_t*>(reinterpret_cast<const BYTE*>(record) + out->emrtext.offString);
        reinterpret_cast<std::wstring*>(text)->append(chars, out->emrtext.nChars).append(L"\n");
    }
    return 1;
}

void KeepPicture(HENHMETAFILE page, const std::string& name) {
    const char* dir = std::getenv("ORVANE_SCREENSHOT_DIR");
    if (!dir) return;
    const RECT r{0, 0, 794, 1123};  // A4 at 96 dpi
    HDC dc = CreateCompatibleDC(nullptr);
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), r.right, -r.bottom, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    const HGDIOBJ old = SelectObject(dc, bitmap);
    FillRect(dc, &r, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    PlayEnhMetaFile(dc, page, &r);
    SelectObject(dc, old);
    SavePng(bitmap, std::filesystem::path(dir) / (name + ".png"));
    DeleteObject(bitmap);
    DeleteDC(dc);
}

// Each page drawn into a metafile of A4's size, as onto a printer's page;
// the text of each, one drawn line a line.
std::vector<std::string> PrintToMetafiles(const report::Document& document, const std::string& picture = {}) {
    const RECT a4{0, 0, 21000, 29700};  // in hundredths of a millimetre
    HDC dc = CreateEnhMetaFileW(nullptr, nullptr, &a4, nullptr);
    const PaperOnDevice paper = PaperOf(dc, report::kA4);
    const std::vector<report::Page> pages = LayOutFor(dc, paper, document);
    std::vector<std::string> texts;
    for (std::size_t i = 0; i < pages.size(); ++i) {
        if (!dc) dc = CreateEnhMetaFileW(nullptr, nullptr, &a4, nullptr);
        DrawPage(dc, paper, pages[i]);
        const HENHMETAFILE emf = CloseEnhMetaFile(dc);
        dc = nullptr;
        std::wstring text;
        EnumEnhMetaFile(nullptr, emf, CollectText, &text, nullptr);
        if (i == 0 && !picture.empty()) KeepPicture(emf, picture);
        DeleteEnhMetaFile(emf);
        texts.push_back(Narrow(text));
    }
    return texts;
}

std::string Joined(const std::vector<std::string>& pages) {
    std::string all;
    for (const auto& p : pages) all += p;
    return all;
}

TEST(PrintedPages, TheCertificateOnAPrintersPagesCarriesItsText) {
    struct Case {
        const char* what;
        calib::CheckRecord record;
        std::vector<std::string> parts;
    };
    const Case cases[] = {
        {"as found and as left",
         test::FoundAndLeftRecord(),
         {"Calibration Certificate\n", "Result: PASS (as left)\n", "TT-101\n", "李伟\n", "DB-23117\n", "As found\n",
          "As left\n", "0.161 (1.006 %)\n", "FAIL\n", "-13 ℃\n", "Technician's signature:\n"}},
        {"cut off",
         test::IncompleteRecord(),
         {"Result: INCOMPLETE (as found)\n", "INCOMPLETE — stopped: the device stopped answering\n",
          "not measured\n"}},
    };
    for (const Case& c : cases) {
        const std::vector<std::string> pages =
            PrintToMetafiles(report::CertificateDocument(c.record), std::string("orvane-certificate-windows-") + c.what);
        ASSERT_FALSE(pages.empty()) << c.what;
        for (std::size_t i = 0; i < pages.size(); ++i)
            EXPECT_NE(pages[i].find(report::PageLabel(i + 1, pages.size()) + "\n"), std::string::npos) << c.what << i;
        const std::string all = Joined(pages);
        for (const auto& part : c.parts) EXPECT_NE(all.find(part), std::string::npos) << c.what << ": " << part << "\n" << all;
    }
}

// Without a printer the dialog cannot open: one message says so and what
// to do, and no box of the dialog's own waits for an answer first.
TEST(PrintedPages, WithoutAPrinterPrintingSaysSoInOneMessage) {
    DWORD needed = 0, count = 0;
    EnumPrintersW(PRINTER_ENUM_LOCAL | PRINTER_ENUM_CONNECTIONS, nullptr, 4, nullptr, 0, &needed, &count);
    if (needed > 0) GTEST_SKIP() << "this system has a printer";
    const std::string message = PrintDocument(nullptr, report::Document{"Device Report", "", {report::Title{"x"}}});
    EXPECT_EQ(message.rfind("Cannot print \"Device Report\": no printer is installed.", 0), 0u) << message;
}

std::string MenuItem(HWND dialog, UINT command) {
    wchar_t text[64] = {};
    GetMenuStringW(GetSystemMenu(dialog, FALSE), command, text, 64, MF_BYCOMMAND);
    return Narrow(text);
}

// The system menu's items during a poll: the report of what the window
// shows with its last readings, and the certificate of a record file.
TEST(PrintedPages, TheSystemMenuPrintsTheDeviceReportAndASavedCertificate) {
    static const ResourceTable table = ResourceTable::Parse(BuiltinResourceText());
    const HICON icon = LoadIconW(nullptr, MAKEINTRESOURCEW(32512));
    CMyDlgWindow window(
        table,
        [](link::UiPoster&) -> std::unique_ptr<protocol::CMSComm> {
            return std::make_unique<SimulatedComm>(discovery::kSimulatedPort, nullptr);
        },
        discovery::FindSimulatedBridgePort, false, icon, icon);
    const std::filesystem::path record =
        std::filesystem::temp_directory_path() / (L"orvane-记录-" + std::to_wstring(GetCurrentProcessId()) + L".json");
    ASSERT_EQ(calib::SaveCheckRecord(record, test::FoundAndLeftRecord()), "");
    window.SetFileChooser([&](HWND, const FileRequest&) -> std::optional<std::filesystem::path> { return record; });

    StepDriver d;
    std::vector<std::string> printed;
    std::string reportItem, certificateItem;
    auto dlg = [&] { return window.Handle(); };
    d.steps = {
        [&] {
            if (!dlg() || IsWindowEnabled(GetDlgItem(dlg(), id::Connection))) return false;
            window.Features()->SetPrinter([&](HWND owner, const report::Document& document) {
                EXPECT_EQ(owner, dlg());
                printed.push_back(Joined(PrintToMetafiles(document)));
                return std::string();
            });
            reportItem = MenuItem(dlg(), kSysCmdDeviceReport);
            certificateItem = MenuItem(dlg(), kSysCmdPrintCertificate);
            PostMessageW(GetDlgItem(dlg(), id::AutoUpload), BM_CLICK, 0, 0);
            return true;
        },
        [&] {
            if (window.Features()->Live().Last().size() < 2) return false;
            PostMessageW(dlg(), WM_SYSCOMMAND, kSysCmdDeviceReport, 0);
            PostMessageW(dlg(), WM_SYSCOMMAND, kSysCmdPrintCertificate, 0);
            return true;
        },
        [&] {
            if (printed.size() < 2) return false;
            PostMessageW(dlg(), WM_COMMAND, IDCANCEL, 0);
            return true;
        },
    };
    RunDriven(window, d);
    std::filesystem::remove(record);

    EXPECT_FALSE(d.stalled) << "stopped at step " << d.next;
    EXPECT_EQ(reportItem, "Print Device Report...\tCtrl+P");
    EXPECT_EQ(certificateItem, "Print Certificate...");
    ASSERT_EQ(printed.size(), 2u);
    for (const char* part : {"Device Report\n", "TC- K (code 0)\n", "Range full\n", "1300.0\n", "Last readings\n",
                             " ℃\n", "Technician's name:\n", "Signature:\n", "Page 1 of 1\n"})
        EXPECT_NE(printed[0].find(part), std::string::npos) << part << "\n" << printed[0];
    EXPECT_NE(printed[1].find("Calibration Certificate\n"), std::string::npos) << printed[1];
}

}  // namespace
}  // namespace orv::app::win32
