// How long one redraw of the trend takes with the whole series in view
// (the scene worked out by the core, painted with the window's painter into
// an offscreen 1600 x 600 image), for an hour, a day and a week of readings
// at one a second; and what a week costs in memory, read back from a CSV
// recording as "Open Recording..." reads it.
#include <QApplication>
#include <QFont>
#include <QImage>
#include <QPainter>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <vector>

#include "app/qt/TrendPainter.h"
#include "calib/ReadingRecorder.h"
#include "calib/RecordingFile.h"
#include "calib/TrendView.h"

namespace {

constexpr std::int64_t kStart = 1796778000000;

// A value that wanders, with noise and now and then a spike, as a sensor's does.

double Measured(int k, std::mt19937& random) {
    std::normal_distribution<double> noise(0, 0.05);
    double v = 250 + 40 * std::sin(k / 3600.0) + 5 * std::sin(k / 97.0) + noise(random);
    if (k % 50'000 == 777) v += 120;
    return v;
}

std::size_t HeldBytes(const orv::calib::TrendSeries& series) {
    std::size_t bytes = sizeof series;
    for (const auto& run : series.Runs()) bytes += sizeof run + run.capacity() * sizeof(orv::calib::TrendPoint);
    return bytes;
}

long PeakResidentKb() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmHWM:", 0) == 0) return std::strtol(line.c_str() + 6, nullptr, 10);
    return 0;
}

double RedrawMs(const orv::calib::TrendSeries& series) {
    using namespace orv;
    calib::TrendView view(series);
    view.Viewport().SetSpan(calib::TrendSpan::WholeRun);
    view.SetShowOutput(true);
    const calib::DialogContext dialog{*series.LastMs(), 60, "℃", "℃", calib::OutputRange{200, 300, false}};
    QImage image(1600, 600, QImage::Format_ARGB32_Premultiplied);
    std::vector<double> times;
    for (int k = 0; k < 25; ++k) {
        const auto t0 = std::chrono::steady_clock::now();
        QPainter painter(&image);
        view.Build(image.width(), image.height(), app::qt::TrendTextMetrics(painter.fontMetrics()), dialog);
        app::qt::PaintTrendScene(painter, view.Last());
        painter.end();
        times.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count());
    }
    std::sort(times.begin(), times.end());
    if (const char* dir = std::getenv("ORVANE_BENCH_IMAGES"))
        image.save(QString::fromUtf8(dir) + QStringLiteral("/trend-%1.png").arg(series.Runs().empty() ? 0 : series.Runs()[0].size()));
    return times[times.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    using namespace orv;
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    std::mt19937 random(1);
    for (const int n : {3'600, 86'400, 604'800}) {
        calib::TrendSeries series;
        for (int k = 0; k < n; ++k) series.Add({kStart + k * 1000LL, Measured(k, random), 21 + std::sin(k / 20000.0)});
        std::printf("trend %d points: %.2f ms per redraw (held in %.1f MB)\n", n, RedrawMs(series),
                    static_cast<double>(HeldBytes(series)) / 1e6);
        std::fflush(stdout);
    }

    // A week recorded to CSV and opened again.
    const auto file = std::filesystem::temp_directory_path() / "orvane-trend-bench-week.csv";
    {
        std::ofstream out(file, std::ios::binary);
        out << calib::ReadingRecorder::kHeader << '\n';
        protocol::MeasureBlock block{};
        for (int k = 0; k < 604'800; ++k) {
            block.measured = static_cast<float>(Measured(k, random));
            block.ambient = 21.5f;
            out << calib::CsvLine(calib::FormatIsoTime(kStart + k * 1000LL, 60), block, "℃") << '\n';
        }
    }
    const long before = PeakResidentKb();
    const auto t0 = std::chrono::steady_clock::now();
    const calib::RecordingLoad load = calib::ReadRecording(file);
    const double readMs = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
    const long after = PeakResidentKb();
    std::filesystem::remove(file);
    if (!load.recording) {
        std::fprintf(stderr, "cannot read the week back: %s\n", load.error.c_str());
        return 1;
    }
    std::printf("trend week from CSV: %zu readings read in %.0f ms, held in %.1f MB, peak memory grew %.1f MB; "
                "%.2f ms per redraw\n",
                load.recording->readings, readMs, static_cast<double>(HeldBytes(load.recording->series)) / 1e6,
                static_cast<double>(after - before) / 1024.0, RedrawMs(load.recording->series));
    return 0;
}
