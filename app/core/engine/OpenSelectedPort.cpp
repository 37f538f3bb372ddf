// Opening the port chosen in the port list and starting the first exchange.
// A refusal by the component (no such port, port in use, no selection) is
// not handled here: it ends the handler and the dispatch shows its text, so
// nothing after the failing step runs and no timer is left waiting.
#include <cstdint>

#include "app/core/CMyDlgPrivate.h"
#include "app/core/ControlIds.h"
#include "protocol/LineFormat.h"
#include "protocol/RequestTimers.h"

namespace orv::app {

namespace {
constexpr short kBufferSize = 1024;
constexpr long kInputBinary = 1;
constexpr short kOpenThreshold = 5;
constexpr short kInputAll = 0;
}  // namespace

void CMyDlgPrivate::OpenSelectedPort() {
    // The list starts at "COM0", so the selection index is the port number;
    // no selection gives -1, which the component refuses to open.
    const auto port = static_cast<std::int16_t>(window_.GetCurSel(id::PortList));

    // Pressing "connection" again re-opens, possibly on another port.
    if (comm_.GetPortOpen()) comm_.SetPortOpen(false);

    comm_.SetCommPort(port);
    comm_.SetInBufferSize(kBufferSize);
    comm_.SetOutBufferSize(kBufferSize);

    if (comm_.GetPortOpen()) {
        window_.MessageBox("Unable to open the specified communication port", MessageIcon::Exclamation);
        return;
    }

    comm_.SetPortOpen(true);
    comm_.SetInputMode(kInputBinary);
    comm_.SetSettings(protocol::kLineSettingsText);
    comm_.SetRThreshold(kOpenThreshold);
    comm_.SetInputLen(kInputAll);

    SendReadParams();
    window_.SetTimer(id::TimerReadParams, protocol::kReadParamsTimeoutMs);
}

}  // namespace orv::app
