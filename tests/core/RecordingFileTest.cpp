// Recordings read back for the trend, and a recording whose writes fail:
// it ends, says so once, and leaves a file of whole lines.
#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#if !defined(_WIN32)
#include <sys/resource.h>
#endif

#include "app/core/features/FileFeatures.h"
#include "app/core/features/TrendTexts.h"
#include "calib/LiveReadings.h"
#include "calib/RecordingFile.h"
#include "support/FakeWindow.h"
#include "support/VirtualClock.h"

namespace orv::calib {
namespace {

constexpr char kHeader[] = "time,measured,ambient,unit,rv0,rv1,rv2,rv3,rv4\n";
constexpr char kCliHeader[] = "port,time,measured,unit,ambient,rv0,rv1,rv2,rv3,rv4\n";

std::string Line(int second, double measured, const char* unit = "℃") {
    char text[128];
    std::snprintf(text, sizeof text, "2026-12-09T02:%02d:%02d.000+01:00,%g,21.5,%s,1,2,3,4,5\n", second / 60, second % 60,
                  measured, unit);
    return text;
}

// The command line's recording as the one writer makes it, several ports in one file.
std::string PortRecording() {
    const protocol::MeasureBlock block{{1, 2, 3, 4, 5}, 21.0f, 12.5f};
    return CsvHeader(true) + "\n" + CsvLine("COM3", "2026-12-09T02:00:00.000+01:00", block, "V") + "\n" +
           CsvLine("COM4", "2026-12-09T02:00:00.100+01:00", block, "℃") + "\n" +
           CsvLine("COM3", "2026-12-09T02:00:01.000+01:00", block, "V") + "\n";
}

TEST(RecordingFile, ReadsBothKindsOfRecordingAndRefusesWhatItCannotReadNamingTheLine) {
    const struct {
        std::string text;
        std::size_t readings;
        std::string unitOrError;  // the unit when read, else the error
        std::string note;
    } cases[] = {
        {kHeader + Line(1, 20.5) + Line(2, 20.75) + Line(3, 21), 3, "℃", ""},
        {"\xEF\xBB\xBF" + std::string(kHeader) + Line(1, 1, "\"deg, C\"") + "\r\n", 1, "deg, C", ""},
        {std::string(kCliHeader) + "COM3,2026-12-09T01:00:00.000Z,12.5,℃,21,1,2,3,4,5\n" +
             "\"/dev/tty,x\",2026-12-09T01:00:00.100Z,99,℃,21,1,2,3,4,5\n" +
             "COM3,2026-12-09T01:00:01.000Z,12.75,℃,21,1,2,3,4,5\n",
         2, "℃", "it also holds readings of /dev/tty,x, not shown (only COM3 is)"},
        {PortRecording(), 2, "V", "it also holds readings of COM4, not shown (only COM3 is)"},
        {kHeader + Line(1, 20.5) + Line(2, 20.75) + "2026-12-09T02:00:03.000+01:00,2", 2, "℃",
         "its last line (4) was cut off and is left out"},
        {kHeader + Line(1, 20.5) + "2026-12-09T02:00:02.000+01:00,x,21.5,℃,1,2,3,4,5\n" + Line(3, 1), 0,
         "line 3 has \"x\" where the measured value belongs", ""},
        {kHeader + Line(1, 20.5) + "2026-12-09T02:00:02.000,1,21.5,℃,1,2,3,4,5\n", 0,
         "line 3 has \"2026-12-09T02:00:02.000\" where a time belongs", ""},
        {kHeader + std::string("1,2,3\n") + Line(1, 1), 0, "line 2 has 3 fields where the header names 9", ""},
        {"name,value\nrange,100\n", 0,
         "it is not a recording of readings: its first line names no time, measured and ambient columns", ""},
        {kHeader, 0, "it holds no readings", ""},
        {"", 0, "the file is empty", ""},
    };
    for (const auto& c : cases) {
        const RecordingLoad load = ParseRecording(c.text);
        if (c.readings == 0) {
            EXPECT_FALSE(load.recording) << c.text;
            EXPECT_EQ(load.error, c.unitOrError);
            continue;
        }
        ASSERT_TRUE(load.recording) << load.error;
        EXPECT_EQ(load.recording->readings, c.readings) << c.text;
        EXPECT_EQ(load.recording->unit, c.unitOrError);
        EXPECT_EQ(load.recording->note, c.note);
    }
}

TEST(RecordingFile, BreaksTheCurveWhereReadingsStopForLongerThanTheRunsUsualInterval) {
    const struct {
        std::vector<int> seconds;
        std::size_t runs;
    } cases[] = {
        {{0, 1, 2, 3, 9, 10, 11}, 2},        // one a second, 6 s missing
        {{0, 10, 20, 30, 40, 50}, 1},        // measure --interval 10
        {{0, 10, 20, 30, 100, 110, 120}, 2},
        {{5, 3, 4}, 1},                      // a clock set back: put in order
    };
    for (const auto& c : cases) {
        std::string text = kHeader;
        for (int s : c.seconds) text += Line(s, s);
        const RecordingLoad load = ParseRecording(text);
        ASSERT_TRUE(load.recording) << load.error;
        EXPECT_EQ(load.recording->series.Runs().size(), c.runs) << text;
        EXPECT_TRUE(std::is_sorted(load.recording->series.Runs()[0].begin(), load.recording->series.Runs()[0].end(),
                                   [](const TrendPoint& a, const TrendPoint& b) { return a.ms < b.ms; }));
    }
}

TEST(RecordingFile, IsoTimesNeedAValidDateAndTheirOffset) {
    const struct {
        const char* text;
        std::optional<std::int64_t> ms;
        int offset;
    } cases[] = {
        {"2026-12-09T02:00:00.000+01:00", 1796778000000, 60},
        {"2026-12-09T01:00:00Z", 1796778000000, 0},
        {"2026-12-08 19:30:00.5-05:30", 1796778000500, -330},
        {"2024-02-29T00:00:00Z", 1709164800000, 0},
        {"2026-02-29T00:00:00Z", std::nullopt, 0},
        {"2026-12-09T01:00:00", std::nullopt, 0},
        {"2026-12-09T01:00:00+01:00x", std::nullopt, 0},
    };
    for (const auto& c : cases) {
        const auto t = ParseIsoTime(c.text);
        EXPECT_EQ(t ? std::optional(t->ms) : std::nullopt, c.ms) << c.text;
        if (t) {
            EXPECT_EQ(t->offsetMinutes, c.offset) << c.text;
        }
    }
}

class FailingWriter : public LineWriter {
public:
    explicit FailingWriter(int lines) : left_(lines) {}
    std::string Append(std::string_view) override { return left_-- > 0 ? "" : "No space left on device"; }

private:
    int left_;
};

TEST(ReadingRecorder, AFailedWriteEndsTheRecordingAndSaysSoOnce) {
    std::int64_t now = 1796778000000;
    LiveReadings live([&] { return WallTime{now += 1000, 0}; }, {});
    test::VirtualClock clock;
    test::FakeWindow window(clock);
    app::ReportRecordingFailures(live, window);  // as both front ends do
    live.StartRecording(std::make_unique<ReadingRecorder>(std::make_unique<FailingWriter>(3), "/data/run.csv"));
    ASSERT_STREQ(app::RecordItemText(live), "Stop Recording");
    for (int k = 0; k < 5; ++k) live.OnMeasurement({});

    ASSERT_EQ(window.messages.size(), 1u);
    EXPECT_EQ(window.messages[0].icon, app::MessageIcon::Stop);
    EXPECT_EQ(window.messages[0].text, std::string("Recording to \"/data/run.csv\" stopped after 2 readings: No space left on "
                                             "device. The file holds every reading written before, each on a whole line."));
    EXPECT_EQ(live.Recorder(), nullptr);
    EXPECT_STREQ(app::RecordItemText(live), "Record to CSV...");
    EXPECT_EQ(live.Series().Runs()[0].size(), 5u);  // the trend goes on
    const TrendView view(live.Series());
    EXPECT_EQ(app::TrendStatusText(live, view, {}),
              "Not recording: the recording to \"/data/run.csv\" failed after 2 readings: No space left on device");
    live.StartRecording(std::make_unique<ReadingRecorder>(std::make_unique<FailingWriter>(9), "/data/b.csv"));
    live.StopRecording();
    EXPECT_EQ(app::TrendStatusText(live, view, {}), "Not recording: 0 readings recorded to \"/data/b.csv\"");
}

// The disk is full after kRoom bytes: on Linux the test sets a file size
// limit itself; under Wine the run sets it from outside (ulimit -f 1) and
// says so in ORVANE_FILE_SIZE_LIMIT.
TEST(ReadingRecorder, AFileThatCannotGrowKeepsOnlyWholeLines) {
    const auto file = std::filesystem::temp_directory_path() / "orvane-recorder-limit.csv";
#if defined(_WIN32)
    const char* limit = std::getenv("ORVANE_FILE_SIZE_LIMIT");
    if (!limit) GTEST_SKIP() << "needs a file size limit set by the run";
    const std::size_t kRoom = std::strtoul(limit, nullptr, 10);
#else
    constexpr std::size_t kRoom = 500;
    rlimit old{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = old;
    small.rlim_cur = kRoom;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
#endif
    std::size_t failures = 0;
    {
        LiveReadings live([] { return WallTime{1796778000000, 60}; }, [] { return std::string("℃"); });
        live.onRecordingFailed = [&](const EndedRecording&) { ++failures; };
        live.StartRecording(file);
        protocol::MeasureBlock block{};
        block.measured = 12.345f;
        block.ambient = 21.5f;
        for (int k = 0; k < 20; ++k) live.OnMeasurement(block);
    }
#if !defined(_WIN32)
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);
#endif

    std::ifstream in(file, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    in.close();
    std::filesystem::remove(file);
    EXPECT_EQ(failures, 1u);
    ASSERT_FALSE(text.str().empty());
    EXPECT_LE(text.str().size(), kRoom);
    EXPECT_EQ(text.str().back(), '\n') << text.str();
    const RecordingLoad load = ParseRecording(text.str());
    ASSERT_TRUE(load.recording) << load.error;
    EXPECT_EQ(load.recording->note, "");
}

}  // namespace
}  // namespace orv::calib
