#include "config/ConfigFile.h"

#include <cerrno>
#include <charconv>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <fstream>
#include <limits>
#include <nlohmann/json.hpp>
#include <random>
#include <sstream>
#include <stdexcept>
#include <system_error>

#include "config/InputTypeCatalogue.h"

#if !defined(_WIN32)
#include <fcntl.h>
#include <unistd.h>
#endif

namespace orv::config {

namespace {

using Json = nlohmann::ordered_json;

// A reason to refuse a file; thrown from deep inside the field readers and
// turned into the parse result in one place.
struct Refusal {
    std::string reason;
};

[[noreturn]] void Refuse(std::string reason) { throw Refusal{std::move(reason)}; }

// A file name for a message: UTF-8 on every platform, as the windows show it.
std::string Utf8(const std::filesystem::path& file) {
    const std::u8string s = file.u8string();
    return std::string(s.begin(), s.end());
}

std::string Quoted(std::string_view path) { return std::string("\"") + std::string(path) + "\""; }

const Json& Member(const Json& parent, std::string_view parentPath, const char* name) {
    const std::string path = parentPath.empty() ? name : std::string(parentPath) + "." + name;
    const auto it = parent.find(name);
    if (it == parent.end()) Refuse(std::string("the field ") + Quoted(path) + " is missing");
    return *it;
}

std::string Join(std::string_view parentPath, const char* name) {
    return parentPath.empty() ? std::string(name) : std::string(parentPath) + "." + name;
}

const Json& Object(const Json& parent, std::string_view parentPath, const char* name) {
    const Json& v = Member(parent, parentPath, name);
    if (!v.is_object()) Refuse(Quoted(Join(parentPath, name)) + " must be an object");
    return v;
}

std::string String(const Json& parent, std::string_view parentPath, const char* name) {
    const Json& v = Member(parent, parentPath, name);
    if (!v.is_string()) Refuse(Quoted(Join(parentPath, name)) + " must be text");
    return v.get<std::string>();
}

long long Integer(const Json& parent, std::string_view parentPath, const char* name, long long lo, long long hi) {
    const Json& v = Member(parent, parentPath, name);
    const std::string path = Join(parentPath, name);
    if (!v.is_number_integer()) Refuse(Quoted(path) + " must be a whole number");
    // Unsigned JSON numbers above the signed range are out of every range here.
    if (v.is_number_unsigned() && v.get<std::uint64_t>() > static_cast<std::uint64_t>(hi))
        Refuse(Quoted(path) + " is " + v.dump() + ", outside " + std::to_string(lo) + " to " + std::to_string(hi));
    const long long n = v.get<long long>();
    if (n < lo || n > hi)
        Refuse(Quoted(path) + " is " + std::to_string(n) + ", outside " + std::to_string(lo) + " to " +
               std::to_string(hi));
    return n;
}

float Float(const Json& parent, std::string_view parentPath, const char* name) {
    const Json& v = Member(parent, parentPath, name);
    const std::string path = Join(parentPath, name);
    if (!v.is_number()) Refuse(Quoted(path) + " must be a number");
    const double d = v.get<double>();
    // The field is single precision: a larger magnitude would arrive as infinity.
    if (!std::isfinite(d) || std::fabs(d) > std::numeric_limits<float>::max())
        Refuse(Quoted(path) + " is " + v.dump() + ", outside the range of the device's numbers");
    return static_cast<float>(d);
}

template <std::size_t N>
int Choice(const Json& parent, std::string_view parentPath, const char* name,
           const std::array<std::string_view, N>& words) {
    const std::string text = String(parent, parentPath, name);
    for (std::size_t k = 0; k < N; ++k)
        if (text == words[k]) return static_cast<int>(k);
    std::string allowed;
    for (std::size_t k = 0; k < N; ++k) allowed += (k ? " or " : "") + Quoted(words[k]);
    Refuse(Quoted(Join(parentPath, name)) + " is " + Quoted(text) + ", not " + allowed);
}

// Index order matches the device values below.
constexpr std::array<std::string_view, 2> kCjcWords{"external-cu50", "internal"};      // cjcMode 0, 1
constexpr std::array<std::string_view, 2> kBreakWords{"low", "high"};                   // breakAlarm 0, 1
constexpr std::array<std::string_view, 2> kDirectionWords{"20-4mA", "4-20mA"};          // outputDirection 0, 1
constexpr int kMaxDamping = 9;

// A float written in its shortest form that reads back as the same float, so
// 0.1f shows as 0.1 and not as its double widening 0.10000000149011612.
Json FloatJson(float f) {
    char buf[32];
    const auto end = std::to_chars(buf, buf + sizeof buf, f).ptr;
    double d = 0;
    std::from_chars(buf, end, d);
    return d;
}

Json Quantity(Json value, std::string_view unit) {
    Json q = Json::object();
    q["value"] = std::move(value);
    q["unit"] = std::string(unit);
    return q;
}

std::string HexBlock(const std::array<std::uint8_t, kParamBlockSize>& block) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string out;
    for (std::size_t k = 0; k < block.size(); ++k) {
        if (k) out += ' ';
        out += kDigits[block[k] >> 4];
        out += kDigits[block[k] & 0xF];
    }
    return out;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

std::array<std::uint8_t, kParamBlockSize> ParseHexBlock(const std::string& text) {
    std::array<std::uint8_t, kParamBlockSize> block{};
    const auto refuse = [] { Refuse("\"block\" must be the 36 bytes of the parameter block in hex"); };
    std::size_t n = 0;
    for (std::size_t i = 0; i < text.size();) {
        if (text[i] == ' ') {
            ++i;
            continue;
        }
        const int hi = HexDigit(text[i]);
        const int lo = i + 1 < text.size() ? HexDigit(text[i + 1]) : -1;
        if (hi < 0 || lo < 0 || n == block.size()) refuse();
        block[n++] = static_cast<std::uint8_t>(hi << 4 | lo);
        i += 2;
    }
    if (n != block.size()) refuse();
    return block;
}

// The model's list text and the type's name as the model's list shows it.
std::string_view ModelName(int model) { return Models()[static_cast<std::size_t>(model)].listText; }

bool Offers(int model, int code) {
    const int row = RowOfCode(code);
    return FindModel(model) && row != kNoRow && PositionOfRow(model, row) != kNoRow;
}

ConfigRecord ReadRecord(const Json& root) {
    if (!root.is_object()) Refuse("it is not an Orvane configuration (no format name)");
    const auto format = root.find("format");
    if (format == root.end() || !format->is_string() || format->get<std::string>() != kConfigFormat)
        Refuse(std::string("it is not an Orvane configuration (the format is not \"") + std::string(kConfigFormat) + "\")");
    const Json& version = Member(root, "", "version");
    if (!version.is_number_integer()) Refuse("\"version\" must be a whole number");
    if (version.is_number_unsigned() ? version.get<std::uint64_t>() > static_cast<std::uint64_t>(kConfigVersion)
                                     : version.get<long long>() > kConfigVersion)
        Refuse(std::string("it was written in format version ") + version.dump() + " by a newer program; this one reads version " +
               std::to_string(kConfigVersion));
    Integer(root, "", "version", 1, kConfigVersion);

    ConfigRecord rec;
    rec.tool = String(root, "", "tool");
    rec.savedAt = String(root, "", "saved");

    const Json& model = Object(root, "", "model");
    const int modelCode = static_cast<int>(Integer(model, "model", "code", 0, kModelCount - 1));
    if (String(model, "model", "name") != ModelName(modelCode))
        Refuse(std::string("\"model.name\" does not name model ") + std::to_string(modelCode) + " (" +
               std::string(ModelName(modelCode)) + ")");
    const Json& type = Object(root, "", "inputType");
    const int code = static_cast<int>(Integer(type, "inputType", "code", 0, 255));
    const int row = RowOfCode(code);
    if (row == kNoRow) Refuse(std::string("\"inputType.code\" ") + std::to_string(code) + " is no input type");
    const std::string_view typeName = InputTypes()[static_cast<std::size_t>(row)].modelText;
    if (String(type, "inputType", "name") != typeName)
        Refuse(std::string("\"inputType.name\" does not name input type ") + std::to_string(code) + " (" + std::string(typeName) +
               ")");
    if (!Offers(modelCode, code))
        Refuse(std::string("input type ") + std::to_string(code) + " (" + std::string(typeName) + ") is not offered by model " +
               std::to_string(modelCode) + " (" + std::string(ModelName(modelCode)) + ")");

    ParamFields& f = rec.fields;
    f.model = static_cast<std::uint8_t>(modelCode);
    f.inputType = static_cast<std::uint8_t>(code);

    const std::string_view unit = UnitOfCode(code);
    auto quantity = [&](const Json& parent, const char* name) -> const Json& {
        const std::string path = Join("settings", name);
        const Json& q = Object(parent, "settings", name);
        if (String(q, path, "unit") != unit)
            Refuse(Quoted(path + ".unit") + " is not " + Quoted(unit) + ", the unit of " + std::string(typeName));
        return q;
    };
    const Json& s = Object(root, "", "settings");
    f.cjcMode = static_cast<std::uint8_t>(Choice(s, "settings", "cjcMode", kCjcWords));
    f.wireCount = static_cast<std::uint8_t>(Integer(s, "settings", "wireCount", 2, 4));
    f.rangeZero = Float(quantity(s, "rangeZero"), "settings.rangeZero", "value");
    f.rangeFull = Float(quantity(s, "rangeFull"), "settings.rangeFull", "value");
    f.dampingLevel = static_cast<std::uint8_t>(Integer(s, "settings", "dampingLevel", 0, kMaxDamping));
    f.breakAlarm = static_cast<std::uint8_t>(Choice(s, "settings", "breakAlarm", kBreakWords));
    f.outputDirection = static_cast<std::uint8_t>(Choice(s, "settings", "outputDirection", kDirectionWords));
    f.offsetCorrection = static_cast<std::int8_t>(
        Integer(quantity(s, "offsetCorrection"), "settings.offsetCorrection", "value", -128, 127));

    const Json& c = Object(root, "", "calibration");
    constexpr long long kI16Lo = std::numeric_limits<std::int16_t>::min();
    constexpr long long kI16Hi = std::numeric_limits<std::int16_t>::max();
    constexpr long long kU16Hi = std::numeric_limits<std::uint16_t>::max();
    f.resistanceCal = Float(c, "calibration", "resistanceCal");
    f.millivoltCal = static_cast<std::int16_t>(Integer(c, "calibration", "millivoltCal", kI16Lo, kI16Hi));
    f.ambientCal = static_cast<std::uint16_t>(Integer(c, "calibration", "ambientCal", 0, kU16Hi));
    f.voltageCal = static_cast<std::int16_t>(Integer(c, "calibration", "voltageCal", kI16Lo, kI16Hi));
    f.currentCal = static_cast<std::int16_t>(Integer(c, "calibration", "currentCal", kI16Lo, kI16Hi));
    f.out1ZeroTrim = static_cast<std::uint16_t>(Integer(c, "calibration", "out1ZeroTrim", 0, kU16Hi));
    f.out1FullTrim = static_cast<std::uint16_t>(Integer(c, "calibration", "out1FullTrim", 0, kU16Hi));
    f.out2ZeroTrim = static_cast<std::uint16_t>(Integer(c, "calibration", "out2ZeroTrim", 0, kU16Hi));
    f.out2FullTrim = static_cast<std::uint16_t>(Integer(c, "calibration", "out2FullTrim", 0, kU16Hi));

    rec.block = ParseHexBlock(String(root, "", "block"));
    return rec;
}

}  // namespace

std::string_view UnitOfCode(int code) {
    const int row = RowOfCode(code);
    return row == kNoRow ? std::string_view{} : InputTypes()[static_cast<std::size_t>(row)].unit;
}

std::string SerializeConfig(const ConfigRecord& record) {
    const ParamFields& f = record.fields;
    const int row = RowOfCode(f.inputType);
    if (!FindModel(f.model) || row == kNoRow)
        throw std::invalid_argument(std::string("no known model and input type to save (model ") + std::to_string(f.model) +
                                    ", input type " + std::to_string(f.inputType) + ")");
    const std::string_view unit = UnitOfCode(f.inputType);

    Json root = Json::object();
    root["format"] = std::string(kConfigFormat);
    root["version"] = kConfigVersion;
    root["tool"] = record.tool;
    root["saved"] = record.savedAt;
    root["model"] = Json{{"code", f.model}, {"name", std::string(ModelName(f.model))}};
    root["inputType"] = Json{{"code", f.inputType},
                             {"name", std::string(InputTypes()[static_cast<std::size_t>(row)].modelText)}};

    Json s = Json::object();
    s["cjcMode"] = std::string(kCjcWords[f.cjcMode != 0 ? 1 : 0]);
    s["wireCount"] = f.wireCount;
    s["rangeZero"] = Quantity(FloatJson(f.rangeZero), unit);
    s["rangeFull"] = Quantity(FloatJson(f.rangeFull), unit);
    s["dampingLevel"] = f.dampingLevel;
    s["breakAlarm"] = std::string(kBreakWords[f.breakAlarm != 0 ? 1 : 0]);
    s["outputDirection"] = std::string(kDirectionWords[f.outputDirection != 0 ? 1 : 0]);
    s["offsetCorrection"] = Quantity(f.offsetCorrection, unit);
    root["settings"] = std::move(s);

    Json c = Json::object();
    c["resistanceCal"] = FloatJson(f.resistanceCal);
    c["millivoltCal"] = f.millivoltCal;
    c["ambientCal"] = f.ambientCal;
    c["voltageCal"] = f.voltageCal;
    c["currentCal"] = f.currentCal;
    c["out1ZeroTrim"] = f.out1ZeroTrim;
    c["out1FullTrim"] = f.out1FullTrim;
    c["out2ZeroTrim"] = f.out2ZeroTrim;
    c["out2FullTrim"] = f.out2FullTrim;
    root["calibration"] = std::move(c);
    root["block"] = HexBlock(record.block);
    return root.dump(2) + "\n";
}

ConfigParse ParseConfig(std::string_view text) {
    if (text.size() > kMaxConfigFileBytes) return {std::nullopt, "it is larger than 1 MiB"};
    Json root;
    try {
        root = Json::parse(text.begin(), text.end());
    } catch (const Json::parse_error& e) {
        // A file cut short fails where the text ends; anything else is not JSON.
        if (e.byte >= text.size()) return {std::nullopt, "it is truncated (the text ends inside the JSON)"};
        return {std::nullopt, std::string("it is not JSON (error at byte ") + std::to_string(e.byte) + ")"};
    }
    try {
        return {ReadRecord(root), {}};
    } catch (const Refusal& r) {
        return {std::nullopt, r.reason};
    } catch (const Json::exception& e) {
        return {std::nullopt, std::string("it holds an unreadable value (") + e.what() + ")"};
    }
}

ConfigLoad LoadConfigFile(const std::filesystem::path& file) {
    const std::string prefix = std::string("Cannot open the configuration \"") + Utf8(file) + "\": ";
    std::ifstream in(file, std::ios::binary);
    if (!in) return {std::nullopt, prefix + "the file cannot be read (" + std::strerror(errno) + ")"};
    // Read one byte past the limit rather than trusting a size that may change.
    std::string text(kMaxConfigFileBytes + 1, '\0');
    in.read(text.data(), static_cast<std::streamsize>(text.size()));
    if (in.bad()) return {std::nullopt, prefix + "the file cannot be read"};
    text.resize(static_cast<std::size_t>(in.gcount()));
    ConfigParse parsed = ParseConfig(text);
    if (!parsed.record) return {std::nullopt, prefix + parsed.reason};
    return {std::move(parsed.record), {}};
}

std::string CheckModelAccepts(int model, const ConfigRecord& record) {
    const int code = record.fields.inputType;
    if (!FindModel(model)) return "the connected device's model is not known: read the device first";
    if (Offers(model, code)) return {};
    const int row = RowOfCode(code);
    const std::string typeName = row == kNoRow ? std::to_string(code)
                                               : std::string(InputTypes()[static_cast<std::size_t>(row)].modelText);
    return std::string("the connected device (") + std::string(ModelName(model)) + ") does not accept the input type " + typeName;
}

void ApplyConfig(const ConfigRecord& record, ParamFields& fields, bool withCalibration) {
    const ParamFields& f = record.fields;
    fields.inputType = f.inputType;
    fields.cjcMode = f.cjcMode;
    fields.wireCount = f.wireCount;
    fields.rangeZero = f.rangeZero;
    fields.rangeFull = f.rangeFull;
    fields.dampingLevel = f.dampingLevel;
    fields.breakAlarm = f.breakAlarm;
    fields.outputDirection = f.outputDirection;
    fields.offsetCorrection = f.offsetCorrection;
    if (!withCalibration) return;
    fields.resistanceCal = f.resistanceCal;
    fields.millivoltCal = f.millivoltCal;
    fields.ambientCal = f.ambientCal;
    fields.voltageCal = f.voltageCal;
    fields.currentCal = f.currentCal;
    fields.out1ZeroTrim = f.out1ZeroTrim;
    fields.out1FullTrim = f.out1FullTrim;
    fields.out2ZeroTrim = f.out2ZeroTrim;
    fields.out2FullTrim = f.out2FullTrim;
}

void ApplyConfig(const ConfigRecord& record, ParamImage& image, bool withCalibration) {
    ParamFields fields = ParamFields::Read(image.bytes);
    ApplyConfig(record, fields, withCalibration);
    fields.Write(image.bytes);
}

std::string IsoTimestampNow() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
#if defined(_WIN32)
    localtime_s(&local, &now);
#else
    localtime_r(&now, &local);
#endif
    char buf[40];
    std::strftime(buf, sizeof buf, "%Y-%m-%dT%H:%M:%S%z", &local);
    std::string s = buf;
    // strftime gives +0100; ISO 8601's extended form wants +01:00.
    if (s.size() >= 5) s.insert(s.size() - 2, ":");
    return s;
}

namespace {

std::string WriteWhole(const std::filesystem::path& file, std::string_view text) {
#if defined(_WIN32)
    // The narrow call would take the name in the ANSI code page: a folder
    // named in Chinese would be out of reach.
    std::FILE* out = _wfopen(file.c_str(), L"wb");
#else
    std::FILE* out = std::fopen(file.c_str(), "wb");
#endif
    if (!out) return std::strerror(errno);
    std::string error;
    if (std::fwrite(text.data(), 1, text.size(), out) != text.size() || std::fflush(out) != 0)
        error = std::strerror(errno);
#if !defined(_WIN32)
    // The rename must not reach the disk before the data does.
    if (error.empty() && ::fsync(fileno(out)) != 0) error = std::strerror(errno);
#endif
    if (std::fclose(out) != 0 && error.empty()) error = std::strerror(errno);
    return error;
}

}  // namespace

std::string WriteFileAtomically(const std::filesystem::path& target, std::string_view text, const FileWriter& writer) {
    std::random_device entropy;
    std::filesystem::path temp = target;
    temp += std::string(".tmp-") + std::to_string(entropy() % 1000000u);
    std::string error = writer ? writer(temp, text) : WriteWhole(temp, text);
    if (error.empty()) {
        std::error_code ec;
        std::filesystem::rename(temp, target, ec);
        if (!ec) return {};
        error = ec.message();
    }
    std::error_code ignored;
    std::filesystem::remove(temp, ignored);
    return std::string("Cannot save \"") + Utf8(target) + "\": " + error;
}

}  // namespace orv::config
