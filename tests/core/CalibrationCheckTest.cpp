// The calibration check end to end: the dialog's own read and poll against
// the simulated transmitter (TC K, 0..1300 degC), on the virtual clock. A
// technician's calibrator is the bench: each point's nominal value is put
// on it before the reference is accepted.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/core/features/CalibrationCheck.h"
#include "sim/BlockFields.h"
#include "support/DialogHarness.h"

namespace orv::test {
namespace {

namespace id = app::id;
using app::CalibrationCheck;
using calib::RunKind;
using calib::Verdict;

struct CheckBench {
    DialogHarness h;
    CalibrationCheck check{h.dlg, [] { return std::string("2026-12-09T10:00:00+01:00"); }};

    CheckBench() {
        // A device calibrated against its own hardware reads the bench truly.
        using namespace sim::field;
        auto& b = h.device.Block();
        PutF32(b, kResistanceCal, static_cast<float>(h.device.truth.referenceOhms * 50.0));
        PutU16(b, kMillivoltCal, static_cast<std::uint16_t>(h.device.truth.millivoltCounts));
        PutU16(b, kAmbientCal, static_cast<std::uint16_t>(h.device.truth.ambientCountsAt0));
        PutU16(b, kOut1Zero, static_cast<std::uint16_t>(h.device.truth.out1Zero));
        PutU16(b, kOut1Full, static_cast<std::uint16_t>(h.device.truth.out1Full));
        h.Start();
    }

    // Starts a run and measures until it ends or `points` more are taken;
    // the output current a meter on output 1 reads goes with each reference.
    void Run(RunKind kind, std::size_t points = 100) {
        ASSERT_EQ(check.StartRun(kind), "");
        h.Advance(1000);
        ASSERT_EQ(check.CurrentPhase(), CalibrationCheck::Phase::Measuring) << check.Notice();
        for (std::size_t n = 0; n < points && check.CurrentPhase() == CalibrationCheck::Phase::Measuring; ++n) {
            const std::size_t at = check.Session().PointIndex();
            h.device.ApplyInput(check.Session().Nominal());
            ASSERT_EQ(check.Accept("", calib::FloatText(static_cast<float>(h.device.Outputs().out1))), "");
            for (int s = 0; s < 120 && check.Session().Running() && check.Session().PointIndex() == at; ++s)
                h.Advance(1000);
        }
    }
    const calib::CheckRun& LastRun() const { return check.Session().Record().runs.back(); }
    std::vector<bool> Passes() const {
        std::vector<bool> out;
        for (const auto& p : LastRun().points) out.push_back(p.pass);
        return out;
    }
};

TEST(CalibrationCheck, VerdictsFollowTheDevicesError) {
    const struct {
        const char* name;
        double offset, gainPercent;
        std::vector<bool> passes;
    } cases[] = {
        {"within tolerance", 0, 0, {true, true, true, true, true}},
        {"offset of 1 % of span", 13.0, 0, {false, false, false, false, false}},
        // 0.3 % of 975 is 0.225 % of span, of 1300 0.3 %.
        {"gain error", 0, 0.3, {true, true, true, true, false}},
    };
    for (const auto& c : cases) {
        CheckBench b;
        b.h.device.error = {c.offset, c.gainPercent};
        b.Run(RunKind::AsFound);
        EXPECT_EQ(b.Passes(), c.passes) << c.name;
        const Verdict verdict = c.passes == std::vector<bool>(5, true) ? Verdict::Pass : Verdict::Fail;
        EXPECT_EQ(calib::RecordVerdict(b.check.Session().Record()), verdict) << c.name;
        for (const auto& p : b.LastRun().points) {
            EXPECT_EQ(p.settle, calib::Settle::Steady) << c.name;
            EXPECT_EQ(p.readings.size(), 5u) << c.name;
            // The output follows the measured value, so a meter sees the same error.
            EXPECT_NEAR(p.current->errorPercent, p.errorPercent, 0.05) << c.name;
        }
        // The poll was the check's: it ends with the run and gives the window back.
        EXPECT_FALSE(b.h.window.TimerRunning(id::TimerPoll)) << c.name;
        EXPECT_TRUE(b.h.window.IsControlEnabled(id::AutoUpload)) << c.name;
        EXPECT_TRUE(b.h.MessageTexts().empty()) << c.name;
    }
}

TEST(CalibrationCheck, AsFoundThenAdjustedThenAsLeft) {
    CheckBench b;
    b.h.device.error.offset = 13.0;
    b.Run(RunKind::AsFound);
    ASSERT_EQ(b.Passes(), std::vector<bool>(5, false));

    // The technician corrects the offset with the window's own update button.
    b.h.window.TypeText(id::Offset, "-13");
    b.h.Click(id::UpdateOffset);
    b.h.Advance(1000);
    ASSERT_EQ(b.h.MessageTexts(), std::vector<std::string>{"Update Success !"});
    b.Run(RunKind::AsLeft);

    const auto& record = b.check.Session().Record();
    ASSERT_EQ(record.runs.size(), 2u);
    EXPECT_EQ(record.runs[0].kind, RunKind::AsFound);
    EXPECT_EQ(record.runs[1].kind, RunKind::AsLeft);
    EXPECT_EQ(b.Passes(), std::vector<bool>(5, true));
    // Each run keeps the block as read at its start.
    EXPECT_EQ(record.runs[0].block[sim::field::kOffset], 0);
    EXPECT_EQ(static_cast<std::int8_t>(record.runs[1].block[sim::field::kOffset]), -13);
    EXPECT_EQ(calib::RecordVerdict(record), Verdict::Pass);
}

TEST(CalibrationCheck, ADeviceThatFallsSilentLeavesAnIncompleteRun) {
    CheckBench b;
    b.Run(RunKind::AsFound, 2);
    ASSERT_EQ(b.LastRun().points.size(), 2u);
    b.h.device.faults.silent = true;
    b.h.device.ApplyInput(b.check.Session().Nominal());
    ASSERT_EQ(b.check.Accept("", ""), "");
    b.h.Advance(3000);

    EXPECT_EQ(b.check.CurrentPhase(), CalibrationCheck::Phase::Idle);
    EXPECT_EQ(b.h.MessageTexts(), std::vector<std::string>{"Time Out !"});
    EXPECT_EQ(b.LastRun().points.size(), 2u);  // nothing measured is lost
    EXPECT_EQ(b.LastRun().stopped, "the device stopped answering");
    EXPECT_EQ(calib::RecordVerdict(b.check.Session().Record()), Verdict::Incomplete);
    EXPECT_NE(b.check.Notice().find("stopped at point 3 of 5"), std::string::npos) << b.check.Notice();

    // Nor does a run start on a device that does not answer the read.
    ASSERT_EQ(b.check.StartRun(RunKind::AsFound), "");
    b.h.Advance(2500);
    EXPECT_EQ(b.check.CurrentPhase(), CalibrationCheck::Phase::Idle);
    EXPECT_NE(b.check.Notice().find("did not answer the read"), std::string::npos) << b.check.Notice();
    EXPECT_EQ(b.check.Session().Record().runs.size(), 1u);
}

}  // namespace
}  // namespace orv::test
