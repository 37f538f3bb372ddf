// "Upload Para.", "Restart" and "Rec. Factory": the buttons that talk to the
// device without writing any settings.
#include "app/core/CMyDlg.h"
#include "app/core/ControlIds.h"
#include "protocol/CommandCatalogue.h"
#include "protocol/RequestTimeouts.h"

namespace orv::app {

using protocol::FindCommand;
using protocol::kCmdFactoryRestore;
using protocol::kCmdRestart;
using protocol::kReadParamsTimeoutMs;

namespace {

void SendCatalogueCommand(CMyDlg& dlg, std::uint8_t code) {
    const auto entry = FindCommand(code);
    dlg.SendCommand(entry->code, entry->first, entry->second);
    if (entry->timeoutMs != 0) dlg.Window().SetTimer(id::TimerCommand, entry->timeoutMs);
}

}  // namespace

void CMyDlg::OnUploadParams() {
    SendReadParams();
    window_.SetTimer(id::TimerReadParams, kReadParamsTimeoutMs);
}

void CMyDlg::OnRestart() { SendCatalogueCommand(*this, kCmdRestart); }

void CMyDlg::OnRecFactory() { SendCatalogueCommand(*this, kCmdFactoryRestore); }

}  // namespace orv::app
