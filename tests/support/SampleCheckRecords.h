#pragma once
// Check records for the certificate's tests, run through the check's own
// session so their verdicts are the ones the tool decides. A header of
// values like SampleBlock.h: it needs the calib layer only.
#include <array>
#include <cstdint>
#include <string>

#include "calib/CheckSession.h"
#include "config/ParamFields.h"

namespace orv::test {

inline std::array<std::uint8_t, 36> CheckBlock(std::int8_t offsetCorrection) {
    config::ParamFields f;
    f.model = 5;
    f.inputType = 0;  // TC K
    f.cjcMode = 1;
    f.wireCount = 3;
    f.rangeZero = 0.0f;
    f.rangeFull = 1300.0f;
    f.dampingLevel = 1;
    f.breakAlarm = 1;
    f.outputDirection = 1;
    f.offsetCorrection = offsetCorrection;
    std::array<std::uint8_t, 36> block{};
    f.Write(block);
    return block;
}

inline calib::CheckSetup CheckSetupForTests() {
    calib::CheckSetup setup;
    setup.readings = 2;
    setup.reference = {"Dry-block calibrator DB-650", "DB-23117", "2027-06-30"};
    setup.technician = "李伟";
    setup.tag = "TT-101";
    setup.location = "Boiler house, level 2";
    return setup;
}

// As found 13 ℃ high (1 % of span: every point fails), adjusted by the
// offset correction, as left within 0.5 ℃ (passes). The 50 % point has a
// meter current; the as-left 75 % point was cut short before its readings agreed.
inline calib::CheckRecord FoundAndLeftRecord() {
    calib::CheckSession s;
    s.SetSetup(CheckSetupForTests());
    s.BeginRun(calib::RunKind::AsFound, CheckBlock(0), "2026-12-09T10:02:11+01:00");
    for (float nominal : {0.0f, 325.0f, 650.0f, 975.0f, 1300.0f}) {
        s.Accept("", nominal == 650.0f ? "12.161" : "");
        s.OnReading(nominal + 13.0f);
        s.OnReading(nominal + 13.0f);
    }
    s.BeginRun(calib::RunKind::AsLeft, CheckBlock(-13), "2026-12-09T10:40:00+01:00");
    for (float nominal : {0.0f, 325.0f, 650.0f, 975.0f, 1300.0f}) {
        s.Accept("", nominal == 650.0f ? "12.003" : "");
        if (nominal == 975.0f) {
            // Readings 3 ℃ apart are not steady; their mean is 2 ℃ high.
            s.CutShort();
            s.OnReading(nominal + 0.5f);
            s.OnReading(nominal + 3.5f);
            continue;
        }
        s.OnReading(nominal + 0.5f);
        s.OnReading(nominal + 0.5f);
    }
    calib::CheckRecord r = s.Record();
    r.tool = "Orvane Revuvuvi 3.02";
    r.savedAt = "2026-12-09T10:45:00+01:00";
    return r;
}

// As found, cut off after two points by a device that stopped answering.
inline calib::CheckRecord IncompleteRecord() {
    calib::CheckSession s;
    s.SetSetup(CheckSetupForTests());
    s.BeginRun(calib::RunKind::AsFound, CheckBlock(0), "2026-12-10T08:00:00+01:00");
    for (float nominal : {0.0f, 325.0f}) {
        s.Accept("", "");
        s.OnReading(nominal + 0.2f);
        s.OnReading(nominal + 0.2f);
    }
    s.Stop("the device stopped answering");
    calib::CheckRecord r = s.Record();
    r.tool = "Orvane Revuvuvi 3.02";
    r.savedAt = "2026-12-10T08:05:00+01:00";
    return r;
}

}  // namespace orv::test
