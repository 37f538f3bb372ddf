#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "protocol/CommError.h"
#include "support/DialogHarness.h"
#include "support/Frames.h"

namespace orv::test {
namespace {

using app::MessageIcon;
namespace id = app::id;

const std::string kNoBridge = "Auto Connected to Device fail, Please designated ports!";

TEST(StartUp, DiscoveryDecidesBetweenConnectingAndAskingForAPort) {
    struct Case {
        const char* what;
        int discovered;
        std::string openError;  // non-empty: the component refuses port 3
        std::vector<ShownMessage> shown;
        int selected;
        bool reading;  // a read-parameters request is under way
    };
    const Case cases[] = {
        {"bridge on port 3", 3, "", {}, 3, true},
        {"no bridge examined", 0, "", {{kNoBridge, MessageIcon::Exclamation}}, 2, false},
        {"bridge without a port", -1, "", {{kNoBridge, MessageIcon::Exclamation}}, 2, false},
        {"port in use", 3, "Device or resource busy", {{"Device or resource busy", MessageIcon::Stop}}, 3, false},
        // The list ends at COM10: a higher port has no entry to select.
        {"port beyond the list", 12, "", {{protocol::kErrInvalidPortNumber, MessageIcon::Stop}}, -1, false},
    };
    for (const auto& c : cases) {
        DialogHarness h;
        h.comm.Attach(3, nullptr);
        h.bridgePort = c.discovered;
        if (!c.openError.empty()) h.comm.FailOpen(3, c.openError);
        h.dlg.OnInitDialog();
        EXPECT_EQ(h.window.messages, c.shown) << c.what;
        EXPECT_EQ(h.window.GetCurSel(id::PortList), c.selected) << c.what;
        EXPECT_EQ(h.comm.GetPortOpen(), c.reading) << c.what;
        EXPECT_EQ(h.window.TimerRunning(id::TimerReadParams), c.reading) << c.what;
        const std::vector<Bytes> expectSent =
            c.reading ? std::vector<Bytes>{kReadParamsRequest} : std::vector<Bytes>{};
        EXPECT_EQ(h.comm.sent, expectSent) << c.what;
        // Whatever happened, there is nothing to load and nothing confirmed to batch-write yet.
        EXPECT_FALSE(h.window.IsControlEnabled(id::LoadBuffer)) << c.what;
        EXPECT_FALSE(h.window.IsControlEnabled(id::UpdateAll)) << c.what;
        EXPECT_TRUE(h.window.IsControlEnabled(id::Connection)) << c.what;
    }
}

// A missing or failing discovery must still leave the user a way to a port.
TEST(StartUp, WithoutWorkingDiscoveryAsksForAPort) {
    struct Case {
        std::function<int()> discover;  // empty: none given
        std::vector<ShownMessage> shown;
    };
    const Case cases[] = {
        {{}, {{kNoBridge, MessageIcon::Exclamation}}},
        {[]() -> int { throw std::runtime_error("bridge library missing"); },
         {{"bridge library missing", MessageIcon::Stop}, {kNoBridge, MessageIcon::Exclamation}}},
    };
    for (const auto& c : cases) {
        VirtualClock clock;
        FakeWindow window(clock);
        FakeComm comm(clock);
        window.LoadTemplateDefaults();
        app::CMyDlg dlg(window, comm, c.discover);
        dlg.OnInitDialog();
        EXPECT_EQ(window.messages, c.shown);
        EXPECT_EQ(window.GetCurSel(id::PortList), 2);
        EXPECT_FALSE(window.IsControlEnabled(id::UpdateAll));
    }
}

TEST(StartUp, ShowsTheEmptySettingsBeforeAnythingElse) {
    DialogHarness h;
    h.comm.Attach(3, nullptr);
    h.window.ClickRadio(id::CjcExternal);
    h.window.ClickRadio(id::OutputReverse);
    h.window.TypeText(id::RangeZero, "12.5");
    h.dlg.OnInitDialog();
    for (int radio : {id::CjcInternal, id::CjcExternal, id::Wire2, id::Wire3, id::Wire4, id::BreakLow, id::BreakHigh,
                      id::OutputNormal, id::OutputReverse})
        EXPECT_FALSE(h.window.IsChecked(radio)) << radio;
    EXPECT_EQ(h.window.GetControlText(id::RangeZero), "");
}

TEST(StartUp, WithTheDeviceAttachedTheFormFillsAndThePortIsFixed) {
    DialogHarness h;
    h.Start();
    EXPECT_TRUE(h.window.messages.empty());
    EXPECT_EQ(h.window.GetCurSel(id::PortList), 3);
    EXPECT_FALSE(h.window.TimerRunning(id::TimerReadParams));
    EXPECT_FALSE(h.window.IsControlEnabled(id::Connection));
    EXPECT_FALSE(h.window.IsControlEnabled(id::PortList));
    EXPECT_FALSE(h.window.IsControlEnabled(id::LoadBuffer));
    h.Advance(10000);
    EXPECT_TRUE(h.window.messages.empty());
}

}  // namespace
}  // namespace orv::test
