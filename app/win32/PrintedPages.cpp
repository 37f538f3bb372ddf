#include "app/win32/PrintedPages.h"

#include <cderr.h>
#include <commdlg.h>
#include <winspool.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>

#include "app/win32/Utf16.h"
#include "link/serial/win32/PortErrors.h"

namespace orv::app::win32 {

namespace {

using report::Font;

constexpr std::array kFonts{Font::Title, Font::Heading, Font::Body, Font::Strong, Font::Small};
constexpr std::size_t Index(Font font) { return static_cast<std::size_t>(font); }

// Printed text in Arial, which every Windows has and links to a Chinese face.
constexpr wchar_t kFace[] = L"Arial";
constexpr double kMargin = 42.5197;  // 15 mm in points

class GdiFonts {
public:
    explicit GdiFonts(double dotsPerPoint) {
        for (Font f : kFonts) {
            const report::FontStyle style = report::StyleOf(f);
            fonts_[Index(f)] = CreateFontW(-static_cast<int>(std::lround(style.points * dotsPerPoint)), 0, 0, 0,
                                           style.bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                                           OUT_TT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                           DEFAULT_PITCH | FF_SWISS, kFace);
        }
    }
    ~GdiFonts() {
        for (HFONT f : fonts_)
            if (f) DeleteObject(f);
    }
    GdiFonts(const GdiFonts&) = delete;
    GdiFonts& operator=(const GdiFonts&) = delete;
    HFONT Of(Font font) const { return fonts_[Index(font)]; }

private:
    std::array<HFONT, kFonts.size()> fonts_{};
};

// Text measured on the DC the page goes to, in points.
class GdiMeasure : public report::TextMeasure {
public:
    GdiMeasure(HDC dc, const PaperOnDevice& paper, const GdiFonts& fonts)
        : dc_(dc), paper_(paper), fonts_(fonts), old_(SelectObject(dc, fonts.Of(Font::Body))) {
        for (Font f : kFonts) {
            SelectObject(dc_, fonts_.Of(f));
            TEXTMETRICW tm{};
            GetTextMetricsW(dc_, &tm);
            lines_[Index(f)] = {tm.tmAscent / paper_.dotsPerPointY,
                                (tm.tmHeight + tm.tmExternalLeading) / paper_.dotsPerPointY};
        }
    }
    ~GdiMeasure() override { SelectObject(dc_, old_); }
    GdiMeasure(const GdiMeasure&) = delete;
    GdiMeasure& operator=(const GdiMeasure&) = delete;

    double Width(Font font, std::string_view text) const override {
        SelectObject(dc_, fonts_.Of(font));
        const std::wstring wide = Widen(text);
        SIZE size{};
        GetTextExtentPoint32W(dc_, wide.c_str(), static_cast<int>(wide.size()), &size);
        return size.cx / paper_.dotsPerPointX;
    }
    report::LineMetrics Line(Font font) const override { return lines_[Index(font)]; }

private:
    HDC dc_;
    const PaperOnDevice& paper_;
    const GdiFonts& fonts_;
    HGDIOBJ old_;
    std::array<report::LineMetrics, kFonts.size()> lines_{};
};

// The printer chosen in the print dialog, offered again for the rest of the run.
HGLOBAL g_devMode = nullptr;
HGLOBAL g_devNames = nullptr;

void ForgetPrinter() {
    if (g_devMode) GlobalFree(g_devMode);
    if (g_devNames) GlobalFree(g_devNames);
    g_devMode = g_devNames = nullptr;
}

std::string DialogErrorText(DWORD code) {
    switch (code) {
        case PDERR_NODEFAULTPRN:
            return "no printer is installed. Add one in the Windows settings (Windows 10 and 11 have "
                   "\"Microsoft Print to PDF\") and try again.";
        case PDERR_PRINTERNOTFOUND: return "the printer chosen before is not there any more. Try again.";
        case PDERR_NODEVICES: return "no printer driver was found.";
        default: break;
    }
    char hex[16];
    std::snprintf(hex, sizeof hex, "0x%04lX", static_cast<unsigned long>(code));
    return std::string("the print dialog failed (error ") + hex + ").";
}

DWORD LastError() {
    const DWORD e = GetLastError();
    return e ? e : ERROR_GEN_FAILURE;
}

// Whether the spooler knows any printer, local or on the network.
bool AnyPrinter() {
    DWORD needed = 0, count = 0;
    EnumPrintersW(PRINTER_ENUM_LOCAL | PRINTER_ENUM_CONNECTIONS, nullptr, 4, nullptr, 0, &needed, &count);
    return needed > 0;
}

bool Cancelled(DWORD error) { return error == ERROR_CANCELLED || error == ERROR_PRINT_CANCELLED; }

// 0 when every page went to the spooler, else the error.
DWORD Spool(HDC dc, const report::Document& document) {
    const std::wstring name = Widen(document.name);
    DOCINFOW info{};
    info.cbSize = sizeof info;
    info.lpszDocName = name.c_str();
    if (StartDocW(dc, &info) <= 0) return LastError();
    const PaperOnDevice paper = PaperOf(dc, report::kA4);
    for (const report::Page& page : LayOutFor(dc, paper, document)) {
        if (StartPage(dc) <= 0) {
            const DWORD e = LastError();
            AbortDoc(dc);
            return e;
        }
        DrawPage(dc, paper, page);
        if (EndPage(dc) <= 0) {
            const DWORD e = LastError();
            AbortDoc(dc);
            return e;
        }
    }
    return EndDoc(dc) > 0 ? 0 : LastError();
}

}  // namespace

PaperOnDevice PaperOf(HDC dc, const report::PageGeometry& otherwise) {
    PaperOnDevice p;
    p.dotsPerPointX = GetDeviceCaps(dc, LOGPIXELSX) / 72.0;
    p.dotsPerPointY = GetDeviceCaps(dc, LOGPIXELSY) / 72.0;
    if (p.dotsPerPointX <= 0 || p.dotsPerPointY <= 0) p.dotsPerPointX = p.dotsPerPointY = 96.0 / 72.0;
    const int width = GetDeviceCaps(dc, PHYSICALWIDTH), height = GetDeviceCaps(dc, PHYSICALHEIGHT);
    if (width <= 0 || height <= 0) {
        p.geometry = otherwise;
        return p;
    }
    const int offsetX = GetDeviceCaps(dc, PHYSICALOFFSETX), offsetY = GetDeviceCaps(dc, PHYSICALOFFSETY);
    const int printableX = GetDeviceCaps(dc, HORZRES), printableY = GetDeviceCaps(dc, VERTRES);
    const auto margin = [](double edgeDots, double dotsPerPoint) { return std::max(kMargin, edgeDots / dotsPerPoint); };
    p.geometry = {width / p.dotsPerPointX,
                  height / p.dotsPerPointY,
                  margin(offsetX, p.dotsPerPointX),
                  margin(offsetY, p.dotsPerPointY),
                  margin(width - offsetX - printableX, p.dotsPerPointX),
                  margin(height - offsetY - printableY, p.dotsPerPointY)};
    p.offsetX = offsetX;
    p.offsetY = offsetY;
    return p;
}

std::vector<report::Page> LayOutFor(HDC dc, const PaperOnDevice& paper, const report::Document& document) {
    const GdiFonts fonts(paper.dotsPerPointY);
    const GdiMeasure measure(dc, paper, fonts);
    return report::LayOut(document, paper.geometry, measure);
}

void DrawPage(HDC dc, const PaperOnDevice& paper, const report::Page& page) {
    const GdiFonts fonts(paper.dotsPerPointY);
    const int saved = SaveDC(dc);
    SetMapMode(dc, MM_TEXT);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(0, 0, 0));
    SetTextAlign(dc, TA_BASELINE | TA_LEFT | TA_NOUPDATECP);
    const auto x = [&](double points) { return static_cast<int>(std::lround(points * paper.dotsPerPointX - paper.offsetX)); };
    const auto y = [&](double points) { return static_cast<int>(std::lround(points * paper.dotsPerPointY - paper.offsetY)); };

    for (const report::PlacedFill& f : page.fills) {
        const auto level = static_cast<BYTE>(std::clamp(std::lround(f.grey * 255.0), 0L, 255L));
        const HBRUSH brush = CreateSolidBrush(RGB(level, level, level));
        const RECT r{x(f.x), y(f.y), x(f.x + f.width), y(f.y + f.height)};
        FillRect(dc, &r, brush);
        DeleteObject(brush);
    }
    for (const report::PlacedRule& r : page.rules) {
        const int width = std::max(1, static_cast<int>(std::lround(r.width * paper.dotsPerPointX)));
        const HPEN pen = CreatePen(PS_SOLID, width, RGB(0, 0, 0));
        const HGDIOBJ old = SelectObject(dc, pen);
        MoveToEx(dc, x(r.x1), y(r.y1), nullptr);
        LineTo(dc, x(r.x2), y(r.y2));
        SelectObject(dc, old);
        DeleteObject(pen);
    }
    for (const report::PlacedText& t : page.texts) {
        SelectObject(dc, fonts.Of(t.font));
        const std::wstring wide = Widen(t.text);
        ExtTextOutW(dc, x(t.x), y(t.baseline), 0, nullptr, wide.c_str(), static_cast<UINT>(wide.size()), nullptr);
    }
    RestoreDC(dc, saved);  // lets go of the fonts before they are deleted
}

std::string PrintDocument(HWND owner, const report::Document& document) {
    const std::string failed = "Cannot print \"" + document.name + "\": ";
    // Asked first: Wine's dialog warns of a missing printer even when told
    // not to, and one message saying what to do is enough.
    if (!AnyPrinter()) return failed + DialogErrorText(PDERR_NODEFAULTPRN);
    PRINTDLGW pd{};
    pd.lStructSize = sizeof pd;
    pd.hwndOwner = owner;
    pd.hDevMode = g_devMode;
    pd.hDevNames = g_devNames;
    // Copies are the driver's business; every printer Windows ships handles them.
    pd.Flags = PD_RETURNDC | PD_NOPAGENUMS | PD_NOSELECTION | PD_USEDEVMODECOPIESANDCOLLATE | PD_NOWARNING;
    pd.nCopies = 1;
    const BOOL chosen = PrintDlgW(&pd);
    g_devMode = pd.hDevMode;
    g_devNames = pd.hDevNames;
    if (!chosen) {
        const DWORD error = CommDlgExtendedError();
        if (error == 0) return {};  // cancelled
        ForgetPrinter();
        return failed + DialogErrorText(error);
    }
    if (!pd.hDC) return failed + "the printer gave no device context to draw on.";
    const DWORD error = Spool(pd.hDC, document);
    DeleteDC(pd.hDC);
    if (error == 0 || Cancelled(error)) return {};
    return failed + link::SystemErrorText(error);
}

}  // namespace orv::app::win32
