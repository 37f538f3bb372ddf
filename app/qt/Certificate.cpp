#include "app/qt/Certificate.h"

#include "app/qt/PdfPages.h"
#include "report/CertificateDocument.h"

namespace orv::app::qt {

QString WriteCertificateTo(const QString& file, const calib::CheckRecord& record) {
    return WritePdf(file, report::CertificateDocument(record));
}

}  // namespace orv::app::qt
