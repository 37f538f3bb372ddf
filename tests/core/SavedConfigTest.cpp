// Saved configurations against the dialog: what the window shows goes to a
// file, and a file comes back into the window as "Load Buffer" would put it,
// with nothing sent until an update button is pressed.
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "app/core/features/ConfigTransfer.h"
#include "support/DialogHarness.h"
#include "support/Frames.h"
#include "support/SampleBlock.h"

namespace orv::test {
namespace {

namespace id = app::id;

// Everything a user can see of the settings, to compare two moments.
std::map<int, std::string> Shown(const FakeWindow& w) {
    std::map<int, std::string> out;
    for (int c : app::kBoundTextIds) out[c] = w.GetControlText(c);
    for (int list : {id::InputType, id::Damping, id::ModelList}) out[list] = std::to_string(w.GetCurSel(list));
    for (int radio : {id::CjcInternal, id::CjcExternal, id::Wire2, id::Wire3, id::Wire4, id::BreakLow, id::BreakHigh,
                      id::OutputNormal, id::OutputReverse})
        out[radio] = w.IsChecked(radio) ? "checked" : "";
    return out;
}

struct Connected {
    DialogHarness h;
    app::LastBlockRead lastRead;
    explicit Connected(const Block& block) {
        h.device.Block() = block;
        h.dlg.AddObserver(&lastRead);
        h.Start();
    }
    void Read(const Block& block) {
        h.device.Block() = block;
        h.Click(id::UploadParams);
        h.Advance(1000);
    }
    config::ConfigRecord Saved() {
        const auto captured = app::CaptureConfig(h.window, h.dlg.ShownValues, lastRead);
        EXPECT_TRUE(captured.record) << captured.error;
        // Through the text, as a file would carry it.
        auto parsed = config::ParseConfig(config::SerializeConfig(*captured.record));
        EXPECT_TRUE(parsed.record) << parsed.reason;
        return *parsed.record;
    }
};

config::ParamFields OtherDevice() {
    config::ParamFields f = SampleFields();  // same model, everything else different
    f.inputType = 16;                        // PT100
    f.cjcMode = 0;
    f.wireCount = 4;
    f.rangeZero = -50.0f;
    f.rangeFull = 150.0f;
    f.dampingLevel = 7;
    f.breakAlarm = 0;
    f.outputDirection = 0;
    f.offsetCorrection = 3;
    f.millivoltCal = 11;
    f.out2FullTrim = 4000;
    return f;
}

TEST(SavedConfig, OpenedOnAnotherDeviceShowsTheSameAndUpdateAllWritesTheBlockRead) {
    config::ParamFields fields = SampleFields();
    // Values whose shown texts are rounded must still travel exactly.
    fields.rangeZero = -199.97f;
    fields.resistanceCal = 20102.2012f;
    const Block original = ToBlock(fields);
    for (bool factory : {false, true}) {
        Connected c(original);
        c.Read(original);  // the second read settles the range's decimals
        const auto shownAtSave = Shown(c.h.window);
        const config::ConfigRecord file = c.Saved();
        EXPECT_EQ(file.block, original);

        c.Read(ToBlock(OtherDevice()));
        const auto sent = c.h.comm.sent.size();
        ASSERT_EQ(app::ApplyConfigToWindow(c.h.dlg, file, factory), "");
        EXPECT_EQ(c.h.comm.sent.size(), sent) << "opening sends nothing";

        auto expected = shownAtSave;
        if (!factory) {
            // Calibration and trims stay the connected device's own.
            const auto other = Shown(c.h.window);
            for (int cal : {id::ResistanceCal, id::MillivoltCal, id::Out2FullTrim, id::Out2FullSim})
                expected[cal] = other.at(cal);
            EXPECT_EQ(c.h.window.GetControlText(id::MillivoltCal), "11");
        }
        EXPECT_EQ(Shown(c.h.window), expected) << factory;

        c.h.Click(id::UpdateAll);
        EXPECT_EQ(c.h.LastFrame(), WriteFrame(1, Bytes(original.begin() + 1, original.begin() + 14)));
        if (factory) {
            c.h.Click(id::UpdateAllSettings);
            EXPECT_EQ(c.h.LastFrame(), WriteFrame(0, Bytes(original.begin(), original.end())));
        }
    }
}

TEST(SavedConfig, ARefusedFileLeavesTheWindowAsItWas) {
    config::ParamFields sensorModel = SampleFields();
    sensorModel.model = 2;
    Connected c(ToBlock(sensorModel));
    config::ConfigRecord voltage = c.Saved();
    voltage.fields.inputType = 32;
    const auto before = Shown(c.h.window);
    const std::string why = app::ApplyConfigToWindow(c.h.dlg, voltage, true);
    EXPECT_NE(why.find("does not accept the input type Voltage"), std::string::npos) << why;
    EXPECT_EQ(Shown(c.h.window), before);
}

TEST(SavedConfig, NothingToSaveBeforeABlockIsRead) {
    DialogHarness h;
    app::LastBlockRead lastRead;
    h.dlg.AddObserver(&lastRead);
    h.bridgePort = 0;  // no device found at start
    h.Start();
    EXPECT_FALSE(app::CaptureConfig(h.window, h.dlg.ShownValues, lastRead).record);
}

}  // namespace
}  // namespace orv::test
