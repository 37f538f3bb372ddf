#include "app/core/features/TrendTexts.h"

#include <charconv>
#include <cstdio>

#include "app/core/ControlIds.h"
#include "app/core/features/FileFeatures.h"

namespace orv::app {

namespace {

std::string Number(double v) {
    char text[32];
    std::snprintf(text, sizeof text, "%.6g", v == 0 ? 0.0 : v);
    return text;
}

std::string StatsLine(const char* what, const std::optional<calib::TrendStats>& s, const std::string& unit) {
    if (!s) return std::string(what) + ": no readings shown";
    return std::string(what) + " (" + (unit.empty() ? "-" : unit) + "): min " + Number(s->min) + "  max " +
           Number(s->max) + "  mean " + Number(s->mean) + "  std. dev. " + Number(s->stddev) + "  (" +
           std::to_string(s->count) + " readings)";
}

std::string Readings(std::size_t n) { return std::to_string(n) + (n == 1 ? " reading" : " readings"); }

std::optional<double> FieldNumber(const WindowServices& window, int id) {
    const std::string text = window.GetControlText(id);
    std::size_t begin = text.find_first_not_of(' ');
    if (begin == std::string::npos) return std::nullopt;
    if (text[begin] == '+') ++begin;
    double v = 0;
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data() + begin, end, v);
    if (ec != std::errc{} || text.find_first_not_of(' ', static_cast<std::size_t>(ptr - text.data())) != std::string::npos)
        return std::nullopt;
    return v;
}

}  // namespace

const char* RecordItemText(const calib::LiveReadings& live) {
    return live.Recorder() ? text::kStopRecording : text::kRecordCsv;
}

std::string TrendStatsText(const calib::TrendView& view, std::int64_t nowMs, const std::string& measuredUnit,
                           const std::string& ambientUnit) {
    const calib::Recording* shown = view.ShownRecording();
    const std::string unit = shown && !shown->unit.empty() ? shown->unit : measuredUnit;
    return StatsLine(calib::PlotName(calib::TrendPlotKind::Measured), view.Stats(nowMs, false), unit) + "\n" +
           StatsLine(calib::PlotName(calib::TrendPlotKind::Ambient), view.Stats(nowMs, true), ambientUnit);
}

std::string TrendStatusText(const calib::LiveReadings& live, const calib::TrendView& view,
                            const std::filesystem::path& shownFile) {
    std::string status;
    if (const calib::Recording* shown = view.ShownRecording()) {
        status = "Showing \"" + PathText(shownFile) + "\": " + Readings(shown->readings);
        if (!shown->note.empty()) status += " (" + shown->note + ")";
        status += ". ";
    }
    if (const calib::ReadingRecorder* rec = live.Recorder())
        return status + "Recording to \"" + PathText(rec->File()) + "\": " + Readings(rec->Count());
    if (const auto& ended = live.LastEnded()) {
        if (!ended->error.empty())
            return status + "Not recording: the recording to \"" + PathText(ended->file) + "\" failed after " +
                   Readings(ended->count) + ": " + ended->error;
        return status + "Not recording: " + Readings(ended->count) + " recorded to \"" + PathText(ended->file) + "\"";
    }
    return status + "Not recording";
}

std::string RecordingFailedText(const calib::EndedRecording& ended) {
    return "Recording to \"" + PathText(ended.file) + "\" stopped after " + Readings(ended.count) + ": " + ended.error +
           ". The file holds every reading written before, each on a whole line.";
}

void ReportRecordingFailures(calib::LiveReadings& live, WindowServices& window) {
    live.onRecordingFailed = [&window](const calib::EndedRecording& ended) {
        window.MessageBox(RecordingFailedText(ended), MessageIcon::Stop);
    };
}

std::string OpenRecordingFrom(const std::filesystem::path& file, std::optional<calib::Recording>& recording) {
    calib::RecordingLoad load = calib::ReadRecording(file);
    if (!load.recording) return "Cannot open the recording \"" + PathText(file) + "\": " + load.error;
    recording = std::move(load.recording);
    return {};
}

std::string SaveImageFailedText(const std::filesystem::path& file, const std::string& why) {
    return "Cannot save the image \"" + PathText(file) + "\": " + why;
}

std::optional<calib::OutputRange> ShownOutputRange(const WindowServices& window) {
    const auto zero = FieldNumber(window, id::RangeZero);
    const auto full = FieldNumber(window, id::RangeFull);
    if (!zero || !full || *zero == *full) return std::nullopt;
    return calib::OutputRange{*zero, *full, window.IsChecked(id::OutputReverse)};
}

}  // namespace orv::app
