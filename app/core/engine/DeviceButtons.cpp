// "Upload Para.", "Restart" and "Rec. Factory": the buttons that talk to the
// device without writing any settings.
#include "app/core/CMyDlgPrivate.h"
#include "app/core/ControlIds.h"
#include "protocol/CommandCatalogue.h"
#include "protocol/RequestTimers.h"

namespace orv::app {

namespace {

void SendCatalogueCommand(CMyDlgPrivate& dlg, std::uint8_t code) {
    const auto entry = protocol::FindCommand(code);
    dlg.SendCommand(entry->code, entry->first, entry->second);
    if (entry->timeoutMs != 0) dlg.Window().SetTimer(id::TimerCommand, entry->timeoutMs);
}

}  // namespace

void CMyDlgPrivate::OnUploadParams() {
    SendReadParams();
    window_.SetTimer(id::TimerReadParams, protocol::kReadParamsTimeoutMs);
}

void CMyDlgPrivate::OnRestart() { SendCatalogueCommand(*this, protocol::kCmdRestart); }

void CMyDlgPrivate::OnRecFactory() { SendCatalogueCommand(*this, protocol::kCmdFactoryRestore); }

}  // namespace orv::app
