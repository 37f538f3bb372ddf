#include "app/win32/Certificate.h"

#include "app/win32/PrintedPages.h"
#include "report/CertificateDocument.h"

namespace orv::app::win32 {

std::string PrintCertificate(HWND owner, const calib::CheckRecord& record) {
    return PrintDocument(owner, report::CertificateDocument(record));
}

}  // namespace orv::app::win32
