// A CSV recording opened in the trend, whatever the file holds: either it is
// refused with a reason, or every reading it yields is in a run that runs
// forward in time, and the plots drawn from it keep to their few points per
// pixel column.
#include <cstddef>
#include <cstdint>
#include <algorithm>
#include <string_view>

#include "FuzzCheck.h"
#include "calib/RecordingFile.h"
#include "calib/TrendScene.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace orv::calib;
    const RecordingLoad load = ParseRecording(std::string_view(reinterpret_cast<const char*>(data), size));
    if (!load.recording) {
        ORV_FUZZ_CHECK(!load.error.empty(), "refused without a reason");
        return 0;
    }
    const TrendSeries& series = load.recording->series;
    std::size_t readings = 0;
    for (const auto& run : series.Runs()) {
        ORV_FUZZ_CHECK(!run.empty(), "an empty run");
        for (std::size_t k = 1; k < run.size(); ++k) ORV_FUZZ_CHECK(run[k - 1].ms <= run[k].ms, "a run goes back in time");
        readings += run.size();
    }
    ORV_FUZZ_CHECK(readings == load.recording->readings, "%zu readings in runs, %zu counted", readings,
                   load.recording->readings);

    SceneInput in;
    in.series = &series;
    in.window = {*series.FirstMs(), std::max(*series.LastMs(), *series.FirstMs() + 1)};
    in.width = 300;
    in.height = 200;
    in.range = OutputRange{0, 100, false};
    in.showOutput = true;
    in.cursorX = 150;
    const TrendScene scene = BuildTrendScene(in);
    for (const ScenePlot& plot : scene.plots) {
        std::size_t points = 0;
        for (const auto& curve : plot.curves) points += curve.size();
        ORV_FUZZ_CHECK(points <= series.Runs().size() * 2 + 4 * static_cast<std::size_t>(plot.area.width + 1),
                       "%zu points for %d columns", points, plot.area.width);
    }
    return 0;
}
