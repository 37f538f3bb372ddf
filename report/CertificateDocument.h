#pragma once
// The certificate of a calibration check, built from its record alone, so a
// record opened again from its file prints the same page: the device and
// its settings as each run read them, the reference instrument, the points
// as found and as left, the result, and lines for the signatures.
#include "calib/CheckRecord.h"
#include "report/Document.h"

namespace orv::report {

namespace text {
inline constexpr char kCertificateTitle[] = "Calibration Certificate";
}

Document CertificateDocument(const calib::CheckRecord& record);

}  // namespace orv::report
