#pragma once
// Printed pages on Win32: a page description laid out for a device
// context's paper and resolution and drawn with GDI, on a printer the user
// picks in the print dialog (paper, or a PDF printer), or into any other DC
// (an enhanced metafile in the tests).
#include "app/win32/Win32Api.h"

#include <string>
#include <vector>

#include "report/Document.h"
#include "report/PageLayout.h"

namespace orv::app::win32 {

// The paper of a device context in points, and how points map onto it.
struct PaperOnDevice {
    report::PageGeometry geometry;
    double dotsPerPointX = 1.0;
    double dotsPerPointY = 1.0;
    // The paper's corner in the DC's coordinates, which start at the corner
    // of what the printer can print.
    double offsetX = 0.0;
    double offsetY = 0.0;
};

// A printer's paper, with margins of 15 mm or the printer's own unprintable
// edge if that is wider; a DC that is no printer gets `otherwise`.
PaperOnDevice PaperOf(HDC dc, const report::PageGeometry& otherwise);

// The pages as laid out for the DC.
std::vector<report::Page> LayOutFor(HDC dc, const PaperOnDevice& paper, const report::Document& document);
// One page as laid out for the DC.
void DrawPage(HDC dc, const PaperOnDevice& paper, const report::Page& page);

// Prints through the print dialog, remembering the printer chosen for the
// rest of the run. Empty when printed or cancelled, else the message.
std::string PrintDocument(HWND owner, const report::Document& document);

}  // namespace orv::app::win32
