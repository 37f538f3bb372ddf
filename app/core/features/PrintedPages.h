#pragma once
// The window menu's printed pages as every front end offers them: the
// device report of what the window shows, and the certificate of a saved
// calibration check. Both come as page descriptions; the Qt window writes
// them as PDF, the Win32 window prints them, so the two show the same page.
#include <filesystem>
#include <optional>
#include <string>

#include "app/core/CMyDlg.h"
#include "app/core/features/ConfigTransfer.h"
#include "calib/LiveReadings.h"
#include "report/Document.h"

namespace orv::app {

namespace text {
// Linux saves the pages as PDF, Windows prints them (to paper or a PDF printer).
inline constexpr char kDeviceReport[] = "Device Report...";
inline constexpr char kPrintDeviceReport[] = "Print Device Report...";
inline constexpr char kPrintCertificate[] = "Print Certificate...";
inline constexpr char kDeviceReportCaption[] = "Device Report";
inline constexpr char kSaveCertificateCaption[] = "Save Certificate";
inline constexpr char kOpenCheckRecordCaption[] = "Open Check Record";
inline constexpr char kPdfFiles[] = "PDF documents (*.pdf)";
}  // namespace text

struct PageRequest {
    std::optional<report::Document> document;
    std::string error;  // the message when there is no document
};

// The report of the settings the window shows for the last block read, with
// the last readings of the poll; refused before a block was read.
PageRequest DeviceReportNow(CMyDlg& dlg, const LastBlockRead& lastRead, const calib::LiveReadings& live);

// The certificate of the check record in a file; a file that is no record
// is refused with its name and the reason.
PageRequest CertificateOf(const std::filesystem::path& recordFile);

}  // namespace orv::app
