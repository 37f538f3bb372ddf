// The dialog's start-up once its controls exist: show the empty settings,
// find the bridge and connect to it, or ask the user to choose a port.
#include "app/core/CMyDlgPrivate.h"
#include "app/core/ControlIds.h"

namespace orv::app {

namespace {
constexpr int kFallbackPortIndex = 2;  // "COM2"
}

void CMyDlgPrivate::OnInitDialog() {
    // Each step runs on its own, so that a failure in one is shown and the
    // window still ends up in a usable state: in particular a port that will
    // not open must not leave "Load Buffer" and "Update All" enabled.
    Dispatch([&] { ShowSettings(); });

    int port = 0;
    Dispatch([&] {
        if (findBridgePort_) port = findBridgePort_();
    });

    if (port > 0) {
        window_.SetCurSel(id::PortList, port);
        Dispatch([&] { OpenSelectedPort(); });
    } else {
        window_.MessageBox("Auto Connected to Device fail, Please designated ports!", MessageIcon::Exclamation);
        window_.SetCurSel(id::PortList, kFallbackPortIndex);
    }

    // Nothing has been encoded yet, so there is no buffer to load and no
    // settings the user has confirmed for a batch write.
    window_.EnableControl(id::LoadBuffer, false);
    window_.EnableControl(id::UpdateAll, false);
}

}  // namespace orv::app
