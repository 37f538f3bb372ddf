#include <gtest/gtest.h>

#if !defined(_WIN32)
#include <sys/stat.h>
#endif

#include <array>
#include <bit>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <initializer_list>
#include <utility>
#include <string>

#include "calib/CheckRecordFile.h"
#include "calib/CheckSession.h"
#include "config/ParamFields.h"

namespace orv::calib {
namespace {

// Two runs on a 0..100 V range: as found complete, with readings whose
// floats are not short in binary; as left cut off by a silent device.
CheckRecord SampleRecord() {
    CheckSetup setup;
    setup.points = {0, 33.3f, 100};
    setup.downwards = true;
    setup.readings = 1;
    setup.reference = {"Calibrator 9", "SN 0042", "2027-06-30"};
    setup.technician = "李伟";
    setup.tag = "TT-101";
    setup.location = "Boiler house, level 2";
    CheckSession s;
    EXPECT_TRUE(s.SetSetup(setup).empty());
    config::ParamFields f;
    f.model = 5;
    f.inputType = 32;
    f.rangeZero = 0.0f;
    f.rangeFull = 100.0f;
    f.outputDirection = 1;
    std::array<std::uint8_t, config::kParamBlockSize> block{};
    f.Write(block);
    EXPECT_EQ(s.BeginRun(RunKind::AsFound, block, "2026-12-09T10:00:00+01:00"), "");
    const float readings[] = {1e-45f, 1.0f / 3.0f, 99.99999f, 33.3f + 0.1f, -0.0f};
    for (float r : readings) {
        EXPECT_EQ(s.Accept("", "4.000001"), "");
        s.OnReading(r);
    }
    EXPECT_EQ(s.BeginRun(RunKind::AsLeft, block, "2026-12-09T10:30:00+01:00"), "");
    EXPECT_EQ(s.Accept("0.1", ""), "");
    s.OnReading(0.1f);
    s.Stop("the device stopped answering");
    CheckRecord rec = s.Record();
    rec.tool = "Orvane Revuvuvi 3.02";
    rec.savedAt = "2026-12-09T10:31:00+01:00";
    return rec;
}

void Replace(std::string& text, const std::string& from, const std::string& to) {
    const auto at = text.find(from);
    ASSERT_NE(at, std::string::npos) << from;
    text.replace(at, from.size(), to);
}

TEST(CheckRecordFile, SavedAndOpenedAgainBitForBit) {
    const CheckRecord rec = SampleRecord();
    ASSERT_EQ(rec.runs.size(), 2u);
    ASSERT_EQ(rec.runs[0].points.size(), 5u);
    const auto file = std::filesystem::temp_directory_path() / "orvane-check-record-test.json";
    ASSERT_EQ(SaveCheckRecord(file, rec), "");
    const CheckRecordLoad loaded = LoadCheckRecord(file);
    std::filesystem::remove(file);
    ASSERT_TRUE(loaded.record) << loaded.error;
    const CheckRecord& back = *loaded.record;

    EXPECT_EQ(SerializeCheckRecord(back), SerializeCheckRecord(rec));
    const auto bits = [](float f) { return std::bit_cast<std::uint32_t>(f); };
    for (std::size_t r = 0; r < rec.runs.size(); ++r) {
        EXPECT_EQ(back.runs[r].block, rec.runs[r].block);
        ASSERT_EQ(back.runs[r].points.size(), rec.runs[r].points.size());
        for (std::size_t k = 0; k < rec.runs[r].points.size(); ++k) {
            const PointResult &a = rec.runs[r].points[k], &b = back.runs[r].points[k];
            using Pair = std::pair<float, float>;
            for (auto [x, y] : std::initializer_list<Pair>{{a.readings[0], b.readings[0]}, {a.measured, b.measured},
                                                          {a.error, b.error}, {a.errorPercent, b.errorPercent},
                                                          {a.reference, b.reference}, {a.nominal, b.nominal}})
                EXPECT_EQ(bits(x), bits(y)) << r << "/" << k;
            EXPECT_EQ(a.current.has_value(), b.current.has_value());
        }
    }
    EXPECT_EQ(back.setup.technician, "李伟");
    EXPECT_EQ(back.runs[1].stopped, "the device stopped answering");
    EXPECT_EQ(RecordVerdict(back), Verdict::Incomplete);
}

TEST(CheckRecordFile, RefusesWhatIsNotAGoodRecord) {
    const std::string good = SerializeCheckRecord(SampleRecord());
    ASSERT_TRUE(ParseCheckRecord(good).record) << ParseCheckRecord(good).reason;
    const struct {
        const char* name;
        std::function<void(std::string&)> spoil;
        const char* reason;
    } cases[] = {
        {"not JSON", [](std::string& t) { t = "points=0,25\n"; }, "it is not JSON in UTF-8"},
        {"truncated", [](std::string& t) { t.resize(t.size() / 2); }, "it is truncated"},
        {"not UTF-8", [](std::string& t) { Replace(t, "李伟", "\xc0\xaf"); }, "it is not JSON in UTF-8"},
        {"other format", [](std::string& t) { Replace(t, "orvane-calibration-check", "orvane-configuration"); },
         "it is not an Orvane check record"},
        {"newer version", [](std::string& t) { Replace(t, "\"version\": 1", "\"version\": 2"); },
         "format version 2 by a newer program"},
        {"beyond double range", [](std::string& t) { Replace(t, "\"tolerance\": 0.25", "\"tolerance\": 1e400"); },
         "it holds a number too large"},
        {"a field gone", [](std::string& t) { Replace(t, "\"stopped\"", "\"halted\""); },
         "the field \"runs[0].stopped\" is missing"},
        {"settings not the block's", [](std::string& t) { Replace(t, "\"rangeFull\": 100.0", "\"rangeFull\": 200.0"); },
         "\"runs[0].settings\" do not agree with the run's \"block\""},
        {"a failed point called passed", [](std::string& t) { Replace(t, "\"pass\": false", "\"pass\": true"); },
         "\"runs[0].points[1].pass\" is true, but its errors are outside the tolerance"},
        {"an incomplete check called passed",
         [](std::string& t) { Replace(t, "\"result\": \"incomplete\"", "\"result\": \"pass\""); },
         "\"result\" is not \"incomplete\""},
        {"larger than 4 MiB", [](std::string& t) { t.append(kMaxCheckRecordBytes, ' '); }, "larger than 4 MiB"},
    };
    for (const auto& c : cases) {
        std::string text = good;
        c.spoil(text);
        const CheckRecordParse parsed = ParseCheckRecord(text);
        EXPECT_FALSE(parsed.record) << c.name;
        EXPECT_NE(parsed.reason.find(c.reason), std::string::npos) << c.name << ": " << parsed.reason;
    }
    const auto missing = std::filesystem::temp_directory_path() / "orvane-no-such-record.json";
    const CheckRecordLoad load = LoadCheckRecord(missing);
    EXPECT_FALSE(load.record);
    EXPECT_NE(load.error.find("\"" + missing.string() + "\": the file cannot be read"), std::string::npos) << load.error;
#if !defined(_WIN32)
    // Chosen in a file dialog by mistake, a named pipe is refused at once
    // rather than waited on until someone writes to it.
    const auto pipe = std::filesystem::temp_directory_path() / "orvane-check-record-pipe";
    std::filesystem::remove(pipe);
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    const CheckRecordLoad fromPipe = LoadCheckRecord(pipe);
    std::filesystem::remove(pipe);
    EXPECT_NE(fromPipe.error.find("it is not a regular file"), std::string::npos) << fromPipe.error;
#endif
}

}  // namespace
}  // namespace orv::calib
