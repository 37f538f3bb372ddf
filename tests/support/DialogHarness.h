#pragma once
// A dialog core wired to the fake window, the fake serial component and a
// simulated transmitter on port 3, on one virtual clock.
#include <cstdint>
#include <string>
#include <vector>

#include "app/core/CMyDlg.h"
#include "app/core/ControlIds.h"
#include "sim/Transmitter.h"
#include "support/FakeComm.h"
#include "support/FakeWindow.h"
#include "support/VirtualClock.h"

namespace orv::test {

struct DialogHarness {
    VirtualClock clock;
    FakeWindow window{clock};
    FakeComm comm{clock};
    sim::Transmitter device;
    int bridgePort = 3;  // what discovery reports
    app::CMyDlg dlg{window, comm, [this] { return bridgePort; }};

    DialogHarness() {
        window.LoadTemplateDefaults();
        window.onTimer = [this](int id) { dlg.OnTimerEvent(id); };
        comm.Attach(3, &device);
    }

    // Start-up as the front end runs it, then lets the first read complete.
    void Start() {
        dlg.OnInitDialog();
        clock.Advance(1000);
    }
    void Click(int id) { dlg.OnCommand(id); }
    void Advance(std::uint64_t ms) { clock.Advance(ms); }
    std::vector<std::string> MessageTexts() const {
        std::vector<std::string> out;
        for (const auto& m : window.messages) out.push_back(m.text);
        return out;
    }
    const std::vector<std::uint8_t>& LastFrame() const { return comm.sent.back(); }
};

}  // namespace orv::test
