#include "app/core/features/PrintedPages.h"

#include "app/core/features/FileFeatures.h"
#include "calib/CheckRecordFile.h"
#include "config/ConfigFile.h"
#include "report/CertificateDocument.h"
#include "report/DeviceReportDocument.h"

namespace orv::app {

PageRequest DeviceReportNow(CMyDlg& dlg, const LastBlockRead& lastRead, const calib::LiveReadings& live) {
    const CapturedConfig captured = CaptureConfig(dlg, lastRead);
    if (!captured.record) return {std::nullopt, "Cannot make the device report: " + captured.error};
    config::ConfigRecord record = *captured.record;
    record.tool = kToolName;
    record.savedAt = config::IsoTimestampNow();
    return {report::DeviceReportDocument(record, live.Last()), {}};
}

PageRequest CertificateOf(const std::filesystem::path& recordFile) {
    calib::CheckRecordLoad loaded = calib::LoadCheckRecord(recordFile);
    if (!loaded.record) return {std::nullopt, std::move(loaded.error)};
    return {report::CertificateDocument(*loaded.record), {}};
}

}  // namespace orv::app
