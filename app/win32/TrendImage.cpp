#include "app/win32/TrendImage.h"

#include <algorithm>
#include <system_error>

// GDI+'s headers need min and max, which NOMINMAX keeps out of <windows.h>.
namespace Gdiplus {
using std::max;
using std::min;
}  // namespace Gdiplus
#include <objidl.h>  // left out by WIN32_LEAN_AND_MEAN, needed by GDI+
#include <gdiplus.h>

namespace orv::app::win32 {

namespace {

// {557CF406-1A04-11D3-9A73-0000F81EF32E}: GDI+'s built-in PNG encoder.
constexpr CLSID kPngEncoder = {0x557cf406, 0x1a04, 0x11d3, {0x9a, 0x73, 0x00, 0x00, 0xf8, 0x1e, 0xf3, 0x2e}};

}  // namespace

std::string SavePng(HBITMAP bitmap, const std::filesystem::path& file) {
    Gdiplus::GdiplusStartupInput input;
    ULONG_PTR token = 0;
    if (Gdiplus::GdiplusStartup(&token, &input, nullptr) != Gdiplus::Ok) return "the image library did not start";
    std::string why;
    {
        Gdiplus::Bitmap image(bitmap, nullptr);
        SetLastError(0);
        const Gdiplus::Status status = image.Save(file.c_str(), &kPngEncoder, nullptr);
        if (status != Gdiplus::Ok) {
            // GDI+ gives a status, not the system's reason: ask the system.
            const DWORD error = GetLastError();
            why = error ? std::system_category().message(static_cast<int>(error))
                        : "the image library failed (status " + std::to_string(static_cast<int>(status)) + ")";
            DeleteFileW(file.c_str());
        }
    }
    Gdiplus::GdiplusShutdown(token);
    return why;
}

}  // namespace orv::app::win32
