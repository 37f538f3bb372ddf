#pragma once
// A dialog core wired to the fake window, the fake serial component and a
// simulated transmitter on port 3, on one virtual clock.
#include <array>
#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "app/core/CMyDlgPrivate.h"
#include "app/core/ControlIds.h"
#include "sim/Transmitter.h"
#include "support/FakeComm.h"
#include "support/FakeWindow.h"
#include "support/VirtualClock.h"

namespace orv::test {

// The Update and trim buttons the input-type rules switch on and off.
inline constexpr std::array kTypeButtons{1053, 1054, 1036, 1037, 1050, 1038, 1033,
                                         1035, 1072, 1073, 1075, 1076, 1067, 1070};

struct DialogHarness {
    VirtualClock clock;
    FakeWindow window{clock};
    FakeComm comm{clock};
    sim::Transmitter device;
    int bridgePort = 3;  // what discovery reports
    app::CMyDlgPrivate dlg{window, comm, [this] { return bridgePort; }};

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
    // An open line on port 3 with nothing answering: every answer is one the
    // test injects.
    void OpenSilentLine() {
        comm.Attach(3, nullptr);
        comm.SetCommPort(3);
        comm.SetPortOpen(true);
        comm.calls.clear();
    }
    void Click(int id) { dlg.OnCommand(id); }
    void Advance(std::uint64_t ms) { clock.Advance(ms); }
    std::vector<std::string> MessageTexts() const {
        std::vector<std::string> out;
        for (const auto& m : window.messages) out.push_back(m.text);
        return out;
    }
    std::set<int> EnabledTypeButtons() const {
        std::set<int> on;
        for (int c : kTypeButtons)
            if (window.IsControlEnabled(c)) on.insert(c);
        return on;
    }
    const std::vector<std::uint8_t>& LastFrame() const { return comm.sent.back(); }
};

}  // namespace orv::test
