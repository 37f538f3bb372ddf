#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <limits>
#include <map>
#include <string>

#include "calib/CalibrationMath.h"
#include "config/ParamFields.h"
#include "support/Frames.h"
#include "support/DialogHarness.h"

namespace orv::test {
namespace {

namespace id = app::id;
using calib::StepFault;

constexpr std::array kValueFields{id::ResistanceCal, id::MillivoltCal, id::AmbientCal, id::VoltageCal,
                                  id::CurrentCal};
constexpr std::array kLiveFields{id::AmbientValue, id::MeasuredValue, 1026, 1027, 1028, 1029, 1030};

std::uint16_t Wire(int value) { return static_cast<std::uint16_t>(value); }

std::map<int, std::string> Texts(const DialogHarness& h, std::span<const int> ids) {
    std::map<int, std::string> out;
    for (int c : ids) out[c] = h.window.GetControlText(c);
    return out;
}

// A started dialog whose device stays silent, so each answer is the test's own.
struct SilentDevice : DialogHarness {
    SilentDevice() {
        Start();
        device.faults.silent = true;
    }
    void View(int button, const std::map<int, std::string>& typed, const std::array<std::uint16_t, 5>& raw) {
        for (const auto& [control, text] : typed) window.TypeText(control, text);
        Click(button);
        comm.Inject(MeasureAnswer(raw, 21.5f, 300.0f));
    }
};

TEST(CalibrationView, EachButtonAsksForMeasurementsUnderItsOwnStepAndTimer) {
    const std::array<std::pair<int, int>, 5> buttons{
        {{id::ViewResistance, 1}, {id::ViewMillivolt, 2}, {id::ViewAmbient, 3}, {id::ViewVoltage, 4}, {id::ViewCurrent, 5}}};
    for (const auto& [button, step] : buttons) {
        SilentDevice h;
        h.Click(button);
        EXPECT_EQ(h.LastFrame(), kMeasureRequest) << button;
        EXPECT_EQ(h.dlg.MeasureStep, step) << button;
        EXPECT_EQ(h.window.TimerInterval(id::TimerViewBase + step), 2000u) << button;
    }
}

TEST(CalibrationView, StepsDeriveTheirConstantFromTheRawReadings) {
    struct Case {
        int button;
        std::map<int, std::string> typed;
        std::array<std::uint16_t, 5> raw;
        int field;
        const char* shown;
    };
    const std::map<int, std::string> range400{{id::RangeZero, "0"}, {id::RangeFull, "400"}};
    auto with = [](std::map<int, std::string> m, int c, const char* t) {
        m[c] = t;
        return m;
    };
    const Case cases[]{
        {id::ViewResistance, with(range400, id::RefResistance, "400.5"), {10000, 0, 0, Wire(-10038), 0},
         id::ResistanceCal, "402.0"},
        {id::ViewResistance, with(range400, id::RefResistance, ""), {10000, 0, 0, 5, 0}, id::ResistanceCal, "0.0"},
        {id::ViewAmbient, {{id::RefTemperature, "25"}}, {0, 0, 0, 0, 19000}, id::AmbientCal, "20156"},
        {id::ViewAmbient, {{id::RefTemperature, "-500"}}, {0, 0, 0, 0, 0}, id::AmbientCal, "42399"},
        {id::ViewAmbient, {{id::RefTemperature, "none"}}, {0, 0, 0, 0, 0xFFFF}, id::AmbientCal, "65535"},
        {id::ViewMillivolt, {}, {1, Wire(-1234), 2, 3, 4}, id::MillivoltCal, "-1234"},
        {id::ViewVoltage, {}, {1, Wire(-1234), 2, 3, 4}, id::VoltageCal, "-1234"},
        {id::ViewCurrent, {}, {1, 2, 0x8000, 3, 4}, id::CurrentCal, "-32768"},
    };
    for (const auto& c : cases) {
        SilentDevice h;
        auto others = Texts(h, kValueFields);
        others.erase(c.field);
        const auto live = Texts(h, kLiveFields);
        h.View(c.button, c.typed, c.raw);
        EXPECT_EQ(h.window.GetControlText(c.field), c.shown) << c.field;
        for (const auto& [control, text] : others) EXPECT_EQ(h.window.GetControlText(control), text) << control;
        EXPECT_EQ(Texts(h, kLiveFields), live);
        EXPECT_TRUE(h.window.messages.empty());
    }
}

// The operator sees the constant rounded to the range's decimals; the device
// must get it as worked out.
TEST(CalibrationView, TheResistanceConstantIsWrittenUnrounded) {
    SilentDevice h;
    h.View(id::ViewResistance, {{id::RangeZero, "0"}, {id::RangeFull, "400"}, {id::RefResistance, "400.5"}},
           {10000, 0, 0, Wire(-10038), 0});
    ASSERT_EQ(h.window.GetControlText(id::ResistanceCal), "402.0");
    h.dlg.EncodeParams();
    EXPECT_EQ(config::ParamFields::Read(h.dlg.ParamImage.bytes).resistanceCal,
              calib::ResistanceCalibration(400.5f, 10000, -10038).value * 50.0f);
}

TEST(CalibrationView, AFurtherAnswerRunsTheSameStepAgain) {
    SilentDevice h;
    const std::string voltage = h.window.GetControlText(id::VoltageCal);
    h.View(id::ViewMillivolt, {}, {0, 5, 0, 0, 0});
    h.comm.Inject(MeasureAnswer({0, 6, 0, 0, 0}));
    EXPECT_EQ(h.window.GetControlText(id::MillivoltCal), "6");
    EXPECT_EQ(h.window.GetControlText(id::VoltageCal), voltage);
}

// The device would store whatever the field says, so a step without a real
// number must leave the field alone and tell the operator.
TEST(CalibrationView, AStepWithoutAFiniteResultKeepsItsFieldAndSaysWhy) {
    struct Case {
        int button;
        std::map<int, std::string> typed;
        std::array<std::uint16_t, 5> raw;
        int field;
        const char* message;
    };
    const Case cases[]{
        {id::ViewResistance, {{id::RefResistance, "400.5"}}, {0, 0, 0, Wire(-10038), 0}, id::ResistanceCal,
         "Resistance calibration failed: reading RV0 is 0."},
        {id::ViewResistance, {{id::RefResistance, "400.5"}}, {0, 0, 0, 0, 0}, id::ResistanceCal,
         "Resistance calibration failed: reading RV0 is 0."},
        {id::ViewResistance, {{id::RefResistance, "1e39"}}, {10000, 0, 0, Wire(-10038), 0}, id::ResistanceCal,
         "Resistance calibration failed: the result is not a finite number."},
        {id::ViewResistance, {{id::RefResistance, "3e38"}}, {1, 0, 0, 0x8000, 0}, id::ResistanceCal,
         "Resistance calibration failed: the result is not a finite number."},
        {id::ViewAmbient, {{id::RefTemperature, "1e39"}}, {0, 0, 0, 0, 0}, id::AmbientCal,
         "Ambient calibration failed: the result is not a finite number."},
        {id::ViewAmbient, {{id::RefTemperature, "1e9"}}, {0, 0, 0, 0, 0}, id::AmbientCal,
         "Ambient calibration failed: the result is out of range."},
    };
    for (const auto& c : cases) {
        SilentDevice h;
        h.window.TypeText(c.field, "123");
        h.View(c.button, c.typed, c.raw);
        EXPECT_EQ(h.window.GetControlText(c.field), "123") << c.message;
        ASSERT_EQ(h.window.messages.size(), 1u) << c.message;
        EXPECT_EQ(h.window.messages[0], (ShownMessage{c.message, app::MessageIcon::Exclamation}));
    }
}

TEST(CalibrationArithmetic, MatchesTheWorkedExamplesAndTruncatesTowardZero) {
    EXPECT_FLOAT_EQ(calib::ResistanceCalibration(400.5f, 10000, -10038).value, 402.0219f);
    EXPECT_FLOAT_EQ(calib::ResistanceCalibration(100.0f, -4, 2).value, 50.0f);  // signs taken as read

    struct Case {
        float reference;
        std::int16_t rv4;
        std::uint16_t value;
        StepFault fault;
    };
    const float inf = std::numeric_limits<float>::infinity();
    const Case cases[]{
        {25.0f, 19000, 20156, StepFault::None},
        {-500.0f, 0, 42399, StepFault::None},
        {-0.01f, 0, 0, StepFault::None},  // -0.47 truncates to 0, not to -1 (65535)
        {0.0f, -32768, 32768, StepFault::None},
        {1e6f, 0, 7320, StepFault::None},  // 46275734.69 is 46275736 in single precision
        {1e9f, 0, 0, StepFault::OutOfRange},
        {-1e9f, 0, 0, StepFault::OutOfRange},
        {inf, 0, 0, StepFault::NotFinite},
        {std::nanf(""), 0, 0, StepFault::NotFinite},
    };
    for (const auto& c : cases) {
        const auto r = calib::AmbientCalibration(c.reference, c.rv4);
        EXPECT_EQ(r.fault, c.fault) << c.reference;
        if (c.fault == StepFault::None) {
            EXPECT_EQ(r.value, c.value) << c.reference;
        }
    }
}

}  // namespace
}  // namespace orv::test
