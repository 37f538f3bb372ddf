#include "cli/PortJobs.h"

#include <algorithm>
#include <chrono>
#include <thread>

#include "OrvaneVersion.h"
#include "calib/ReadingRecorder.h"
#include "cli/CheckJob.h"
#include "cli/FilePath.h"
#include "config/ParamFields.h"
#include "config/RangeFormat.h"
#include "config/SettingText.h"
#include "protocol/CommandCatalogue.h"

namespace orv::cli {

namespace {

using Clock = std::chrono::steady_clock;

std::string Names(const std::vector<Assignment>& assignments) {
    std::string out;
    for (const auto& a : assignments) out += (out.empty() ? "" : ", ") + std::string(a.setting->word);
    return out;
}

void WriteEach(DeviceLine& line, const JobContext& c, const std::vector<Assignment>& assignments, JobResult& r) {
    r.planned.clear();
    for (const auto& a : assignments) r.planned.emplace_back(a.setting->word);
    r.acknowledged = 0;
    for (std::size_t i = 0; i < assignments.size(); ++i) {
        const auto& a = assignments[i];
        StopPoint(c);
        c.step("writing " + std::string(a.setting->word) + " (" + std::to_string(i + 1) + " of " +
               std::to_string(assignments.size()) + ")");
        try {
            line.WriteParams(a.setting->offset, a.bytes);
        } catch (const DeviceFailure& e) {
            // The technician has to know the device may now hold half of it.
            std::vector<Assignment> done(assignments.begin(), assignments.begin() + static_cast<long>(i));
            throw DeviceFailure(e.Kind(), "writing " + std::string(a.setting->word) + ": " + e.what() +
                                              (done.empty() ? "" : "; acknowledged before it: " + Names(done)));
        }
        r.acknowledged = i + 1;
    }
}

void Verify(DeviceLine& line, const JobContext& c, const std::vector<Assignment>& written, JobResult& result) {
    const Block back = ReadBlock(line, c, "reading back to verify");
    const auto wrong = Mismatches(written, back);
    if (wrong.empty()) {
        result.verified = true;
        return;
    }
    std::string text = "the device acknowledged the write but holds other values: ";
    for (std::size_t i = 0; i < wrong.size(); ++i) text += (i ? "; " : "") + wrong[i];
    throw DeviceFailure(FailureKind::Mismatch, text);
}

void Read(DeviceLine& line, const JobContext& c, JobResult& r) {
    const Block block = ReadBlock(line, c, "reading the parameters");
    r.text = SettingsText(block);
    r.json = SettingsJson(block);
    if (c.options.outputFile.empty()) return;
    c.step("saving " + c.options.outputFile);
    config::ConfigRecord record;
    record.tool = orv::kProductVersion;
    record.savedAt = config::IsoTimestampNow();
    record.fields = config::ParamFields::Read(block);
    record.block = block;
    if (const std::string error = config::WriteFileAtomically(FilePath(c.options.outputFile), config::SerializeConfig(record));
        !error.empty())
        throw DeviceFailure(FailureKind::File, error);
    r.json["saved"] = c.options.outputFile;
    r.text += "saved to " + c.options.outputFile + "\n";
}

void Write(DeviceLine& line, const JobContext& c, JobResult& r) {
    const config::ConfigRecord& file = *c.configuration;
    const Block device = ReadBlock(line, c, "reading the parameters");
    if (const std::string why = config::CheckModelAccepts(device[config::offset::model], file); !why.empty())
        throw DeviceFailure(FailureKind::Refused, c.options.inputFile + ": " + why + "; nothing was written");
    const config::AppliedConfig applied = config::ApplyConfig(file, config::ParamFields::Read(device), false);
    r.left = applied.left;
    Block wanted = device;
    applied.fields.Write(wanted);

    const auto differing = DifferingSettings(device, wanted);
    r.json["strategy"] = "differing-fields";
    if (differing.empty()) {
        r.text = "nothing to write: the device already holds every setting of " + c.options.inputFile +
                 (r.left.empty() ? "" : " it can take") + "\n";
    } else {
        WriteEach(line, c, differing, r);
        const std::size_t matched = SettableSettings().size() - differing.size() - r.left.size();
        r.text = "wrote the " + std::to_string(differing.size()) + " setting" + (differing.size() == 1 ? "" : "s") +
                 " that differed from the file (" + Names(differing) +
                 "), each with its own write as the window's update buttons do; " + std::to_string(matched) +
                 " already matched; model and calibration are never written\n";
    }
    if (!r.left.empty()) r.text += "left as the device has them: " + config::DescribeLeft(r.left) + "\n";
    if (c.options.verify) {
        // Everything the file asks for is checked, not only what was sent: a
        // device that changed a setting on its own is caught too.
        std::vector<Assignment> all;
        for (const auto* s : SettableSettings()) all.push_back(FieldOf(*s, wanted));
        Verify(line, c, all, r);
        r.text += r.left.empty() ? "verified: the device holds the file's settings\n"
                                 : "verified: the device holds the file's other settings\n";
    }
}

void Set(DeviceLine& line, const JobContext& c, JobResult& r) {
    const Block device = ReadBlock(line, c, "reading the parameters");
    if (auto why = CheckForDevice(c.options.assignments, device))
        throw DeviceFailure(FailureKind::Refused, *why + "; nothing was written");
    WriteEach(line, c, c.options.assignments, r);
    Verify(line, c, c.options.assignments, r);
    Block now = device;
    for (const auto& a : c.options.assignments) Apply(a, now);
    for (const auto& a : c.options.assignments) {
        r.text += std::string(a.setting->word) + "=" + config::ValueText(*a.setting, now);
        if (const auto unit = config::UnitIn(*a.setting, now); !unit.empty()) r.text += " " + unit;
        r.text += " written and verified\n";
    }
}

// Sleeps until the moment, or until a stop is asked for.
void WaitUntil(const JobContext& c, Clock::time_point until) {
    constexpr auto kSlice = std::chrono::milliseconds(20);
    for (auto now = Clock::now(); now < until; now = Clock::now()) {
        StopPoint(c);
        std::this_thread::sleep_for(std::min<Clock::duration>(kSlice, until - now));
    }
}

void Measure(DeviceLine& line, const JobContext& c, JobResult& r) {
    const Block block = ReadBlock(line, c, "reading the parameters for the unit");
    r.json["unit"] = config::UnitIn(config::InfoOf(config::Setting::RangeZero), block);
    r.json["readings"] = Json::array();
    const auto interval = std::chrono::duration_cast<Clock::duration>(
        std::chrono::duration<double>(c.options.intervalSeconds));
    const auto start = Clock::now();
    for (int i = 0; i < c.options.count; ++i) {
        WaitUntil(c, start + interval * i);
        StopPoint(c);
        c.step("reading " + std::to_string(i + 1) + " of " + std::to_string(c.options.count));
        Reading reading;
        try {
            reading.values = line.ReadMeasure();
        } catch (const DeviceFailure& e) {
            throw DeviceFailure(e.Kind(), std::string(e.what()) + " (after " + std::to_string(i) + " readings)");
        }
        reading.time = calib::IsoTimeNow();
        r.json["readings"].push_back(ReadingJson(reading));
        if (c.options.json) continue;
        c.stream(c.options.csv ? ReadingCsv(c.label, reading, block) : ReadingText(c.label, reading, block));
    }
}

void SendCommand(DeviceLine& line, const JobContext& c, JobResult& r, std::uint8_t code, const char* what,
                 const char* done) {
    StopPoint(c);
    c.step(std::string("sending ") + what);
    const std::uint8_t answered = line.Command(code);
    if (answered != code)
        throw DeviceFailure(FailureKind::BadAnswer, std::string("the device answered the ") + what + " with command " +
                                                        std::to_string(answered) + " instead of " + std::to_string(code));
    r.text = std::string(done) + "\n";
}

// A restarting device may go down before it acknowledges, so only its
// answering a read again shows the restart worked.
void Restart(DeviceLine& line, const JobContext& c, JobResult& r) {
    StopPoint(c);
    c.step("restarting, waiting for the device to answer again");
    const link::RestartOutcome outcome = line.Restart();
    r.text = "restarted\n";
    r.json["acknowledged"] = outcome.acknowledged;
}

}  // namespace

std::vector<Assignment> DifferingSettings(const Block& device, const Block& wanted) {
    std::vector<Assignment> out;
    for (const auto* s : SettableSettings()) {
        Assignment a = FieldOf(*s, wanted);
        if (!Holds(a, device)) out.push_back(std::move(a));
    }
    return out;
}

std::vector<std::string> Mismatches(const std::vector<Assignment>& written, const Block& readBack) {
    // One range for the decimals of every number in the message: the one the
    // written settings make together.
    Block intended = readBack;
    for (const auto& a : written) Apply(a, intended);
    const auto shown = [&](const config::SettingInfo& s, const Block& block) {
        if (s.encoding == config::Encoding::F32 && s.inRangeUnit) return config::InRangeText(config::FloatField(s, block), intended);
        return config::ValueText(s, block);
    };
    std::vector<std::string> out;
    for (const auto& a : written) {
        if (Holds(a, readBack)) continue;
        out.push_back(std::string(a.setting->word) + ": wrote " + shown(*a.setting, intended) + ", the device holds " +
                      shown(*a.setting, readBack));
    }
    return out;
}

void StopPoint(const JobContext& c) {
    if (c.stop && c.stop->load()) throw Interrupted{};
}

Block ReadBlock(DeviceLine& line, const JobContext& c, const char* why) {
    StopPoint(c);
    c.step(why);
    return line.ReadParams();
}

void RunJob(DeviceLine& line, const JobContext& c, JobResult& r) {
    StopPoint(c);
    c.step("opening");
    line.Open();
    switch (c.options.command) {
        case Command::Read: return Read(line, c, r);
        case Command::Write: return Write(line, c, r);
        case Command::Set: return Set(line, c, r);
        case Command::Measure: return Measure(line, c, r);
        case Command::Restart: return Restart(line, c, r);
        case Command::FactoryReset:
            return SendCommand(line, c, r, protocol::kCmdFactoryRestore, "factory reset", "factory settings restored");
        case Command::Check: return RunCheck(line, c, r);
        case Command::Ports: break;
    }
}

}  // namespace orv::cli
