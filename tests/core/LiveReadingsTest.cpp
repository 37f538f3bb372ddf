// The readings the poll brings in, as the trend and the CSV recording see
// them, on the virtual clock.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "app/core/features/ReadingsFeed.h"
#include "calib/LiveReadings.h"
#include "config/RangeFormat.h"
#include "support/DialogHarness.h"

namespace orv::test {
namespace {

namespace id = app::id;

std::vector<std::string> Lines(const std::filesystem::path& file) {
    std::ifstream in(file);
    std::vector<std::string> out;
    for (std::string line; std::getline(in, line);) out.push_back(line);
    return out;
}

std::vector<std::string> Fields(const std::string& line) {
    std::vector<std::string> out(1);
    for (char ch : line) {
        if (ch == ',')
            out.emplace_back();
        else
            out.back().push_back(ch);
    }
    return out;
}

TEST(LiveReadings, RecordsEachAnsweredPollAndLeavesAGapForAMissedOne) {
    constexpr std::int64_t kStart = 1796778000000;  // 2026-12-09T01:00:00Z
    DialogHarness h;
    calib::LiveReadings live([&] { return calib::WallTime{kStart + static_cast<std::int64_t>(h.clock.Now()), 60}; },
                             [&] { return h.window.GetControlText(id::UnitMeasured); });
    app::ReadingsFeed feed(live);
    h.dlg.AddObserver(&feed);
    h.Start();
    const auto file = std::filesystem::temp_directory_path() / "orvane-live-readings-test.csv";
    live.StartRecording(file);
    const auto t0 = static_cast<std::int64_t>(h.clock.Now());

    h.Click(id::AutoUpload);
    h.Advance(3500);  // answers to the polls at +1, +2 and +3 s
    const std::string shown = h.window.GetControlText(id::MeasuredValue);
    h.device.faults.silent = true;
    h.Advance(2000);  // the poll at +4 s goes unanswered and the tick at +5 s ends it
    ASSERT_EQ(h.MessageTexts(), std::vector<std::string>{"Time Out !"});
    h.device.faults.silent = false;
    h.Click(id::AutoUpload);
    h.Advance(2500);  // answers at +6.5 and +7.5 s
    live.StopRecording();
    // Stopped by hand and started again later: a gap as well.
    h.Click(id::StopUpload);
    h.Advance(5000);
    h.Click(id::AutoUpload);
    h.Advance(1500);
    h.Click(id::StopUpload);

    const auto& runs = live.Series().Runs();
    ASSERT_EQ(runs.size(), 3u);
    EXPECT_EQ(runs[0].size(), 3u);
    EXPECT_EQ(runs[1].size(), 2u);

    const auto lines = Lines(file);
    std::filesystem::remove(file);
    ASSERT_EQ(lines.size(), 6u);
    EXPECT_EQ(lines[0], "time,measured,ambient,unit,rv0,rv1,rv2,rv3,rv4");
    // The answer lands 248 ms after its tick: 4 request bytes (34 ms), the device's
    // 30 ms, 22 answer bytes (184 ms) at 1200 baud.
    const std::vector<std::int64_t> answeredAt{1248, 2248, 3248, 6748, 7748};
    for (std::size_t k = 0; k < answeredAt.size(); ++k) {
        const auto f = Fields(lines[k + 1]);
        ASSERT_EQ(f.size(), 9u) << lines[k + 1];
        EXPECT_EQ(f[0], calib::FormatIsoTime(kStart + t0 + answeredAt[k], 60));
        EXPECT_EQ(f[3], "℃");
        EXPECT_EQ(std::stof(f[1]), static_cast<float>(runs[k < 3 ? 0 : 1][k < 3 ? k : k - 3].measured));
    }
    // The measured column is the value the window showed, not the ambient one.
    const auto third = Fields(lines[3]);
    EXPECT_EQ(config::FormatFixed(std::stod(third[1]), 1), shown);
}

TEST(LiveReadings, IsoTimesCarryTheDateAndOffset) {
    const struct {
        std::int64_t ms;
        int offset;
        const char* text;
    } cases[] = {
        {0, 0, "1970-01-01T00:00:00.000+00:00"},
        {1709251199999, 0, "2024-02-29T23:59:59.999+00:00"},  // leap day
        {1709251199999, 60, "2024-03-01T00:59:59.999+01:00"},  // offset crosses midnight
        {1000, -330, "1969-12-31T18:30:01.000-05:30"},         // before the epoch locally
    };
    for (const auto& c : cases) EXPECT_EQ(calib::FormatIsoTime(c.ms, c.offset), c.text);
}

TEST(LiveReadings, StatisticsCoverOnlyTheShownTime) {
    calib::TrendSeries s;
    s.BreakRun();  // a gap before anything makes no empty run
    for (int k = 0; k < 4; ++k) s.Add({k * 1000, 1.0 + k, 20.0});
    s.BreakRun();
    s.BreakRun();
    s.Add({9000, NAN, 21.0});
    s.Add({10000, 100.0, 22.0});
    EXPECT_EQ(s.Runs().size(), 2u);

    const auto all = s.Stats(0, 3000);
    ASSERT_TRUE(all);
    EXPECT_EQ(all->count, 4u);
    EXPECT_DOUBLE_EQ(all->mean, 2.5);
    EXPECT_DOUBLE_EQ(all->stddev, std::sqrt(1.25));
    EXPECT_EQ(all->min, 1.0);
    EXPECT_EQ(all->max, 4.0);
    const auto late = s.Stats(5000, 20000);  // the NaN reading does not count
    ASSERT_TRUE(late);
    EXPECT_EQ(late->count, 1u);
    EXPECT_EQ(late->mean, 100.0);
    EXPECT_EQ(s.Stats(5000, 20000, true)->mean, 21.5);
    EXPECT_FALSE(s.Stats(4000, 8000));
}

}  // namespace
}  // namespace orv::test
