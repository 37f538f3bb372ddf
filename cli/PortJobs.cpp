#include "cli/PortJobs.h"

#include <chrono>
#include <thread>

#include "cli/FilePath.h"
#include "cli/Version.h"
#include "config/ParamFields.h"
#include "protocol/CommandCatalogue.h"

namespace orv::cli {

namespace {

using Clock = std::chrono::steady_clock;

std::string Names(const std::vector<Assignment>& assignments) {
    std::string out;
    for (const auto& a : assignments) out += (out.empty() ? "" : ", ") + std::string(a.setting->name);
    return out;
}

Block ReadBlock(DeviceLine& line, const JobContext& c, const char* why) {
    c.step(why);
    return line.ReadParams();
}

void WriteEach(DeviceLine& line, const JobContext& c, const std::vector<Assignment>& assignments) {
    for (std::size_t i = 0; i < assignments.size(); ++i) {
        const auto& a = assignments[i];
        c.step("writing " + std::string(a.setting->name) + " (" + std::to_string(i + 1) + " of " +
               std::to_string(assignments.size()) + ")");
        try {
            line.WriteParams(a.setting->start, a.bytes);
        } catch (const DeviceFailure& e) {
            // The technician has to know the device may now hold half of it.
            std::vector<Assignment> done(assignments.begin(), assignments.begin() + static_cast<long>(i));
            throw DeviceFailure(e.Kind(), "writing " + std::string(a.setting->name) + ": " + e.what() +
                                              (done.empty() ? "" : "; acknowledged before it: " + Names(done)));
        }
    }
}

void Verify(DeviceLine& line, const JobContext& c, const std::vector<Assignment>& written, JobResult& result) {
    const Block back = ReadBlock(line, c, "reading back to verify");
    const auto wrong = Mismatches(written, back);
    result.json["verified"] = true;
    if (wrong.empty()) return;
    std::string text = "the device acknowledged the write but holds other values: ";
    for (std::size_t i = 0; i < wrong.size(); ++i) text += (i ? "; " : "") + wrong[i];
    throw DeviceFailure(FailureKind::Mismatch, text);
}

JobResult Read(DeviceLine& line, const JobContext& c) {
    const Block block = ReadBlock(line, c, "reading the parameters");
    JobResult r{SettingsText(block), SettingsJson(block)};
    if (!c.options.outputFile.empty()) {
        c.step("saving " + c.options.outputFile);
        config::ConfigRecord record;
        record.tool = std::string("orvane-cli ") + kVersion;
        record.savedAt = config::IsoTimestampNow();
        record.fields = config::ParamFields::Read(block);
        record.block = block;
        std::string error;
        try {
            error = config::WriteFileAtomically(FilePath(c.options.outputFile), config::SerializeConfig(record));
        } catch (const std::invalid_argument& e) {
            error = e.what();
        }
        if (!error.empty())
            throw DeviceFailure(FailureKind::File, "cannot save " + c.options.outputFile + ": " + error);
        r.json["saved"] = c.options.outputFile;
        r.text += "saved to " + c.options.outputFile + "\n";
    }
    return r;
}

JobResult Write(DeviceLine& line, const JobContext& c) {
    const config::ConfigRecord& file = *c.configuration;
    const Block device = ReadBlock(line, c, "reading the parameters");
    if (const std::string why = config::CheckModelAccepts(device[config::offset::model], file); !why.empty())
        throw DeviceFailure(FailureKind::Refused, c.options.inputFile + ": " + why + "; nothing was written");
    config::ParamFields fields = config::ParamFields::Read(device);
    config::ApplyConfig(file, fields, false);
    Block wanted = device;
    fields.Write(wanted);

    const auto differing = DifferingSettings(device, wanted);
    JobResult r;
    r.json["written"] = Json::array();
    for (const auto& a : differing) r.json["written"].push_back(a.setting->name);
    r.json["strategy"] = "differing-fields";
    if (differing.empty()) {
        r.text = "nothing to write: the device already holds every setting of " + c.options.inputFile + "\n";
    } else {
        WriteEach(line, c, differing);
        r.text = "wrote " + std::to_string(differing.size()) + " of " + std::to_string(AllSettings().size()) +
                 " settings that differed (" + Names(differing) +
                 "), each with its own write as the window's update buttons do; model and calibration are never "
                 "written\n";
    }
    if (c.options.verify) {
        // Everything the file asks for is checked, not only what was sent: a
        // device that changed a setting on its own is caught too.
        std::vector<Assignment> all;
        for (const auto& s : AllSettings()) all.push_back(FieldOf(s, wanted));
        Verify(line, c, all, r);
        r.text += "verified: the device holds the file's settings\n";
    }
    return r;
}

JobResult Set(DeviceLine& line, const JobContext& c) {
    const Block device = ReadBlock(line, c, "reading the parameters");
    if (auto why = CheckForDevice(c.options.assignments, device))
        throw DeviceFailure(FailureKind::Refused, *why + "; nothing was written");
    WriteEach(line, c, c.options.assignments);
    JobResult r;
    r.json["written"] = Json::array();
    for (const auto& a : c.options.assignments) r.json["written"].push_back(a.setting->name);
    Verify(line, c, c.options.assignments, r);
    Block now = device;
    for (const auto& a : c.options.assignments) Apply(a, now);
    for (const auto& a : c.options.assignments) {
        r.text += std::string(a.setting->name) + "=" + ValueText(a.setting->id, now);
        if (const auto unit = UnitOf(a.setting->id, now); !unit.empty()) r.text += " " + unit;
        r.text += " written and verified\n";
    }
    return r;
}

JobResult Measure(DeviceLine& line, const JobContext& c) {
    const Block block = ReadBlock(line, c, "reading the parameters for the unit");
    JobResult r;
    r.json["readings"] = Json::array();
    const auto interval = std::chrono::duration_cast<Clock::duration>(
        std::chrono::duration<double>(c.options.intervalSeconds));
    const auto start = Clock::now();
    for (int i = 0; i < c.options.count; ++i) {
        std::this_thread::sleep_until(start + interval * i);
        c.step("reading " + std::to_string(i + 1) + " of " + std::to_string(c.options.count));
        Reading reading;
        try {
            reading.values = line.ReadMeasure();
        } catch (const DeviceFailure& e) {
            throw DeviceFailure(e.Kind(), std::string(e.what()) + " (after " + std::to_string(i) + " readings)");
        }
        reading.time = UtcTimestampNow();
        r.json["readings"].push_back(ReadingJson(reading));
        if (c.options.json) continue;
        c.stream(c.options.csv ? ReadingCsv(c.label, reading, block) : ReadingText(c.label, reading, block));
    }
    r.json["unit"] = UnitOf(Setting::RangeZero, block);
    return r;
}

JobResult SendCommand(DeviceLine& line, const JobContext& c, std::uint8_t code, const char* what, const char* done) {
    c.step(std::string("sending ") + what);
    const std::uint8_t answered = line.Command(code);
    if (answered != code)
        throw DeviceFailure(FailureKind::BadAnswer, std::string("the device answered the ") + what + " with command " +
                                                        std::to_string(answered) + " instead of " + std::to_string(code));
    return JobResult{std::string(done) + "\n", Json::object()};
}

// A restarting device may go down before it acknowledges, so only its
// answering a read again shows the restart worked.
JobResult Restart(DeviceLine& line, const JobContext& c) {
    c.step("restarting, waiting for the device to answer again");
    const link::RestartOutcome outcome = line.Restart();
    JobResult r{"restarted\n", Json::object()};
    r.json["acknowledged"] = outcome.acknowledged;
    return r;
}

}  // namespace

std::vector<Assignment> DifferingSettings(const Block& device, const Block& wanted) {
    std::vector<Assignment> out;
    for (const auto& s : AllSettings()) {
        Assignment a = FieldOf(s, wanted);
        if (!Holds(a, device)) out.push_back(std::move(a));
    }
    return out;
}

std::vector<std::string> Mismatches(const std::vector<Assignment>& written, const Block& readBack) {
    std::vector<std::string> out;
    for (const auto& a : written) {
        if (Holds(a, readBack)) continue;
        Block intended = readBack;
        Apply(a, intended);
        out.push_back(std::string(a.setting->name) + ": wrote " + ValueText(a.setting->id, intended) +
                      ", the device holds " + ValueText(a.setting->id, readBack));
    }
    return out;
}

JobResult RunJob(DeviceLine& line, const JobContext& c) {
    c.step("opening");
    line.Open();
    switch (c.options.command) {
        case Command::Read: return Read(line, c);
        case Command::Write: return Write(line, c);
        case Command::Set: return Set(line, c);
        case Command::Measure: return Measure(line, c);
        case Command::Restart: return Restart(line, c);
        case Command::FactoryReset:
            return SendCommand(line, c, protocol::kCmdFactoryRestore, "factory reset", "factory settings restored");
        case Command::Ports: break;
    }
    return {};
}

}  // namespace orv::cli
