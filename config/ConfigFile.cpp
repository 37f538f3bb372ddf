#include "config/ConfigFile.h"

#include <algorithm>
#include <bit>
#include <charconv>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <map>
#include <nlohmann/json.hpp>
#include <random>
#include <system_error>

#include "config/BlockHex.h"
#include "config/FloatText.h"
#include "config/InputTypeCatalogue.h"
#include "config/RegularFile.h"
#include "config/SettingCatalogue.h"

#if defined(_WIN32)
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace orv::config {

namespace {

// Written in the file's order; read into a map-based document, whose cost
// stays n log n however many keys a hostile file holds.
using OrderedJson = nlohmann::ordered_json;
using Json = nlohmann::json;

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

std::string Join(std::string_view parentPath, const char* name) {
    return parentPath.empty() ? std::string(name) : std::string(parentPath) + "." + name;
}

// The parsed document and, for every number JSON writes with a fraction or
// exponent, its text: a float field is read from that text, not from the
// double the parser made of it.
struct Document {
    Json root;
    std::map<std::string, std::string> numberTexts;  // by dotted path
};

// Builds the document from the parser's events, refusing a key given twice
// (a hand-edited file would otherwise mean its last one, silently).
class DocumentBuilder : public nlohmann::json_sax<Json> {
public:
    explicit DocumentBuilder(Document& doc) : doc_(doc) {}

    bool null() override { return Put(nullptr); }
    bool boolean(bool v) override { return Put(v); }
    bool number_integer(number_integer_t v) override { return Put(v); }
    bool number_unsigned(number_unsigned_t v) override { return Put(v); }
    bool number_float(number_float_t v, const string_t& text) override {
        const bool named = open_.empty() || open_.back()->is_object();
        if (named && path_.size() <= kDeepestField) doc_.numberTexts[Path(pendingKey_)] = text;
        return Put(v);
    }
    bool string(string_t& v) override { return Put(std::move(v)); }
    bool binary(binary_t&) override { return false; }  // JSON text holds none
    bool start_object(std::size_t) override { return Open(Json::object()); }
    bool end_object() override { return Close(); }
    bool start_array(std::size_t) override { return Open(Json::array()); }
    bool end_array() override { return Close(); }
    bool key(string_t& k) override {
        if (open_.back()->contains(k)) {
            refusal_ = "the key " + Quoted(Path(k)) + " is given twice";
            return false;
        }
        pendingKey_ = std::move(k);
        return true;
    }
    bool parse_error(std::size_t position, const std::string& token, const nlohmann::detail::exception& e) override {
        errorPosition_ = position;
        errorToken_ = token;
        errorId_ = e.id;
        return false;
    }

    const std::string& Refusal() const { return refusal_; }
    std::size_t ErrorPosition() const { return errorPosition_; }
    const std::string& ErrorToken() const { return errorToken_; }
    int ErrorId() const { return errorId_; }

private:
    // Fields are at most three levels down ("settings.rangeZero.value").
    static constexpr std::size_t kDeepestField = 3;

    std::string Path(const std::string& last) const {
        std::string out;
        for (const auto& p : path_) out += p + ".";
        return out + last;
    }
    Json* Insert(Json&& value) {
        if (open_.empty()) {
            doc_.root = std::move(value);
            return &doc_.root;
        }
        Json& parent = *open_.back();
        if (parent.is_array()) {
            parent.push_back(std::move(value));
            return &parent.back();
        }
        return &(parent[pendingKey_] = std::move(value));
    }
    bool Put(Json&& value) {
        Insert(std::move(value));
        return true;
    }
    bool Open(Json&& container) {
        const bool inObject = !open_.empty() && open_.back()->is_object();
        if (!open_.empty()) path_.push_back(inObject ? pendingKey_ : std::string("[]"));
        open_.push_back(Insert(std::move(container)));
        return true;
    }
    bool Close() {
        open_.pop_back();
        if (!path_.empty()) path_.pop_back();
        return true;
    }

    Document& doc_;
    std::vector<Json*> open_;
    std::vector<std::string> path_;
    std::string pendingKey_;
    std::string refusal_;
    std::size_t errorPosition_ = 0;
    std::string errorToken_;
    int errorId_ = 0;
};

// ---- Field readers ----------------------------------------------------------

class Reader {
public:
    explicit Reader(const Document& doc) : doc_(doc) {}

    const Json& Member(const Json& parent, std::string_view parentPath, const char* name) const {
        const auto it = parent.find(name);
        if (it == parent.end()) Refuse(std::string("the field ") + Quoted(Join(parentPath, name)) + " is missing");
        return *it;
    }

    const Json& Object(const Json& parent, std::string_view parentPath, const char* name) const {
        const Json& v = Member(parent, parentPath, name);
        if (!v.is_object()) Refuse(Quoted(Join(parentPath, name)) + " must be an object");
        return v;
    }

    std::string String(const Json& parent, std::string_view parentPath, const char* name) const {
        const Json& v = Member(parent, parentPath, name);
        if (!v.is_string()) Refuse(Quoted(Join(parentPath, name)) + " must be text");
        return v.get<std::string>();
    }

    long long Integer(const Json& parent, std::string_view parentPath, const char* name, long long lo,
                      long long hi) const {
        const Json& v = Member(parent, parentPath, name);
        const std::string path = Join(parentPath, name);
        const std::string range = ", outside " + std::to_string(lo) + " to " + std::to_string(hi);
        if (!v.is_number_integer()) {
            // A whole number too large for 64 bits arrives as a float.
            if (v.is_number_float() && IsWholeText(path)) Refuse(Quoted(path) + " is " + NumberText(v, path) + range);
            Refuse(Quoted(path) + " must be a whole number");
        }
        // Unsigned JSON numbers above the signed range are out of every range here.
        if (v.is_number_unsigned() && v.get<std::uint64_t>() > static_cast<std::uint64_t>(hi))
            Refuse(Quoted(path) + " is " + v.dump() + range);
        const long long n = v.get<long long>();
        if (n < lo || n > hi) Refuse(Quoted(path) + " is " + std::to_string(n) + range);
        return n;
    }

    std::uint8_t Byte(const Json& parent, std::string_view parentPath, const char* name) const {
        return static_cast<std::uint8_t>(Integer(parent, parentPath, name, 0, 255));
    }

    // A number straight from its text, or the text form of a non-finite value.
    float Float(const Json& parent, std::string_view parentPath, const char* name) const {
        const Json& v = Member(parent, parentPath, name);
        const std::string path = Join(parentPath, name);
        if (v.is_string()) {
            if (const auto f = FloatFromNonFiniteText(v.get<std::string>())) return *f;
            Refuse(Quoted(path) + " must be a number, or \"inf\", \"-inf\" or \"nan:\" with 8 hexadecimal digits");
        }
        if (!v.is_number()) Refuse(Quoted(path) + " must be a number");
        // Whole numbers are exact in 64 bits and rounded to float once.
        if (v.is_number_unsigned()) return static_cast<float>(v.get<std::uint64_t>());
        if (v.is_number_integer()) return static_cast<float>(v.get<std::int64_t>());
        const std::string& text = NumberText(v, path);
        if (const auto f = FloatFromDecimal(text)) return *f;
        Refuse(Quoted(path) + " is " + text + ", outside the range of the device's numbers");
    }

    // A choice by its word, or by the byte a device held when it is no word.
    std::uint8_t Choice(const Json& parent, std::string_view parentPath, const SettingInfo& setting) const {
        const std::string name(setting.word);
        const Json& v = Member(parent, parentPath, name.c_str());
        if (v.is_number()) return Byte(parent, parentPath, name.c_str());
        const std::string text = String(parent, parentPath, name.c_str());
        if (const auto code = CodeOfWord(setting, text)) return static_cast<std::uint8_t>(*code);
        std::string allowed;
        for (const ValueWord& w : setting.values) allowed += (allowed.empty() ? "" : " or ") + Quoted(w.word);
        Refuse(Quoted(Join(parentPath, name.c_str())) + " is " + Quoted(text) + ", not " + allowed);
    }

    // The number as the file spells it (for messages and float fields).
    std::string NumberText(const Json& v, const std::string& path) const {
        const auto it = doc_.numberTexts.find(path);
        return it != doc_.numberTexts.end() ? it->second : v.dump();
    }

private:
    bool IsWholeText(const std::string& path) const {
        const auto it = doc_.numberTexts.find(path);
        return it != doc_.numberTexts.end() && it->second.find_first_of(".eE") == std::string::npos;
    }

    const Document& doc_;
};

// The file's keys are the catalogue's words.
const char* Key(Setting id) {
    // The words are string literals, so their text ends in a NUL.
    return InfoOf(id).word.data();
}

// A float in its shortest form that reads back as the same float, so 0.1f
// shows as 0.1 and not as its double widening 0.10000000149011612. A value
// that is no finite number is text (see FloatText.h).
OrderedJson FloatJson(float f) {
    if (!std::isfinite(f)) return NonFiniteFloatText(f);
    const std::string text = ShortestFloatText(f);
    // The double nearest the shortest text prints as that text again.
    double d = 0;
    std::from_chars(text.data(), text.data() + text.size(), d);
    return d;
}

OrderedJson ChoiceJson(std::uint8_t value, Setting id) {
    if (const auto word = WordOf(InfoOf(id), value)) return std::string(*word);
    return value;
}

OrderedJson Quantity(OrderedJson value, std::string_view unit) {
    OrderedJson q = OrderedJson::object();
    q["value"] = std::move(value);
    q["unit"] = std::string(unit);
    return q;
}

std::array<std::uint8_t, kParamBlockSize> ParseHexBlock(const std::string& text) {
    const auto block = BlockFromHex(text);
    if (!block) Refuse("\"block\" must be the 36 bytes of the parameter block in hex");
    return *block;
}

// Names as the files write them; empty for a code the catalogue does not know.
std::string_view ModelName(int model) {
    const ModelRow* m = FindModel(model);
    return m ? m->listText : std::string_view{};
}

std::string_view TypeName(int code) {
    const int row = RowOfCode(code);
    return row == kNoRow ? std::string_view{} : InputTypes()[static_cast<std::size_t>(row)].modelText;
}

bool Offers(int model, int code) { return ModelOffers(model, code); }

std::string ModelPhrase(int model) {
    const std::string_view name = ModelName(model);
    return "model " + std::to_string(model) + (name.empty() ? std::string() : " (" + std::string(name) + ")");
}

std::string TypePhrase(int code) {
    const std::string_view name = TypeName(code);
    return "input type " + std::to_string(code) + (name.empty() ? std::string() : " (" + std::string(name) + ")");
}

void CheckName(const Reader& r, const Json& parent, const char* path, std::string_view expected,
               const std::string& what) {
    if (r.String(parent, path, "name") != expected)
        Refuse(Quoted(std::string(path) + ".name") + " does not name " + what +
               (expected.empty() ? ", which has no name (\"\")" : ""));
}

ConfigRecord ReadRecord(const Document& doc) {
    const Json& root = doc.root;
    const Reader r(doc);
    if (!root.is_object()) Refuse("it is not an Orvane configuration (no format name)");
    const auto format = root.find("format");
    if (format == root.end() || !format->is_string() || format->get<std::string>() != kConfigFormat)
        Refuse(std::string("it is not an Orvane configuration (the format is not \"") + std::string(kConfigFormat) + "\")");
    const Json& version = r.Member(root, "", "version");
    const bool newer = version.is_number_unsigned() ? version.get<std::uint64_t>() > static_cast<std::uint64_t>(kConfigVersion)
                       : version.is_number_integer() ? version.get<long long>() > kConfigVersion
                       : version.is_number_float()   ? version.get<double>() > kConfigVersion &&
                                                         std::floor(version.get<double>()) == version.get<double>()
                                                     : false;
    if (newer)
        Refuse(std::string("it was written in format version ") + r.NumberText(version, "version") +
               " by a newer program; this one reads version " + std::to_string(kConfigVersion));
    r.Integer(root, "", "version", 1, kConfigVersion);

    ConfigRecord rec;
    rec.tool = r.String(root, "", "tool");
    rec.savedAt = r.String(root, "", "saved");

    const Json& model = r.Object(root, "", "model");
    const int modelCode = r.Byte(model, "model", "code");
    CheckName(r, model, "model", ModelName(modelCode), "model " + std::to_string(modelCode));
    const Json& type = r.Object(root, "", "inputType");
    const int code = r.Byte(type, "inputType", "code");
    CheckName(r, type, "inputType", TypeName(code), "input type " + std::to_string(code));

    ParamFields& f = rec.fields;
    f.model = static_cast<std::uint8_t>(modelCode);
    f.inputType = static_cast<std::uint8_t>(code);

    const std::string_view unit = UnitOfCode(code);
    auto quantity = [&](const Json& parent, const char* name) -> const Json& {
        const std::string path = Join("settings", name);
        const Json& q = r.Object(parent, "settings", name);
        if (r.String(q, path, "unit") != unit)
            Refuse(Quoted(path + ".unit") + " is not " + Quoted(unit) + ", the unit of " + TypePhrase(code));
        return q;
    };
    const Json& s = r.Object(root, "", "settings");
    const auto value = [&](Setting id) -> const Json& { return quantity(s, Key(id)); };
    const auto valuePath = [](Setting id) { return std::string("settings.") + Key(id); };
    f.cjcMode = r.Choice(s, "settings", InfoOf(Setting::CjcMode));
    f.wireCount = r.Byte(s, "settings", Key(Setting::WireCount));
    f.rangeZero = r.Float(value(Setting::RangeZero), valuePath(Setting::RangeZero), "value");
    f.rangeFull = r.Float(value(Setting::RangeFull), valuePath(Setting::RangeFull), "value");
    f.dampingLevel = r.Byte(s, "settings", Key(Setting::DampingLevel));
    f.breakAlarm = r.Choice(s, "settings", InfoOf(Setting::BreakAlarm));
    f.outputDirection = r.Choice(s, "settings", InfoOf(Setting::OutputDirection));
    const SettingInfo& offset = InfoOf(Setting::OffsetCorrection);
    f.offsetCorrection = static_cast<std::int8_t>(r.Integer(value(Setting::OffsetCorrection),
                                                            valuePath(Setting::OffsetCorrection), "value",
                                                            static_cast<long long>(offset.min),
                                                            static_cast<long long>(offset.max)));

    const Json& c = r.Object(root, "", "calibration");
    // Every value the field can hold is one: the device's own constants.
    const auto whole = [&](Setting id) {
        const SettingInfo& info = InfoOf(id);
        return r.Integer(c, "calibration", Key(id), static_cast<long long>(info.min), static_cast<long long>(info.max));
    };
    f.resistanceCal = r.Float(c, "calibration", Key(Setting::ResistanceCal));
    f.millivoltCal = static_cast<std::int16_t>(whole(Setting::MillivoltCal));
    f.ambientCal = static_cast<std::uint16_t>(whole(Setting::AmbientCal));
    f.voltageCal = static_cast<std::int16_t>(whole(Setting::VoltageCal));
    f.currentCal = static_cast<std::int16_t>(whole(Setting::CurrentCal));
    f.out1ZeroTrim = static_cast<std::uint16_t>(whole(Setting::Out1ZeroTrim));
    f.out1FullTrim = static_cast<std::uint16_t>(whole(Setting::Out1FullTrim));
    f.out2ZeroTrim = static_cast<std::uint16_t>(whole(Setting::Out2ZeroTrim));
    f.out2FullTrim = static_cast<std::uint16_t>(whole(Setting::Out2FullTrim));

    rec.block = ParseHexBlock(r.String(root, "", "block"));
    return rec;
}

// Why a setting's value in the block is outside what the setting allows:
// "wireCount is 0, outside 2 to 4".
std::string OutsidePhrase(const SettingInfo& s, std::span<const std::uint8_t, kParamBlockSize> block) {
    const std::string name(s.word);
    if (s.encoding == Encoding::F32) return name + " is " + NonFiniteFloatText(FloatField(s, block)) + ", not a finite number";
    const auto held = static_cast<long long>(ReadField(s, block));
    if (s.values.empty())
        return name + " is " + std::to_string(held) + ", outside " + std::to_string(static_cast<long long>(s.min)) +
               " to " + std::to_string(static_cast<long long>(s.max));
    std::string words;
    for (std::size_t k = 0; k < s.values.size(); ++k)
        words += std::string(k == 0 ? "" : " nor ") + Quoted(s.values[k].word);
    return name + " is " + std::to_string(held) + ", neither " + words;
}

}  // namespace

std::string_view UnitOfCode(int code) {
    const int row = RowOfCode(code);
    return row == kNoRow ? std::string_view{} : InputTypes()[static_cast<std::size_t>(row)].unit;
}

std::string SerializeConfig(const ConfigRecord& record) {
    const ParamFields& f = record.fields;
    const std::string_view unit = UnitOfCode(f.inputType);

    OrderedJson root = OrderedJson::object();
    root["format"] = std::string(kConfigFormat);
    root["version"] = kConfigVersion;
    root["tool"] = record.tool;
    root["saved"] = record.savedAt;
    root["model"] = OrderedJson{{"code", f.model}, {"name", std::string(ModelName(f.model))}};
    root["inputType"] = OrderedJson{{"code", f.inputType}, {"name", std::string(TypeName(f.inputType))}};

    OrderedJson s = OrderedJson::object();
    s[Key(Setting::CjcMode)] = ChoiceJson(f.cjcMode, Setting::CjcMode);
    s[Key(Setting::WireCount)] = f.wireCount;
    s[Key(Setting::RangeZero)] = Quantity(FloatJson(f.rangeZero), unit);
    s[Key(Setting::RangeFull)] = Quantity(FloatJson(f.rangeFull), unit);
    s[Key(Setting::DampingLevel)] = f.dampingLevel;
    s[Key(Setting::BreakAlarm)] = ChoiceJson(f.breakAlarm, Setting::BreakAlarm);
    s[Key(Setting::OutputDirection)] = ChoiceJson(f.outputDirection, Setting::OutputDirection);
    s[Key(Setting::OffsetCorrection)] = Quantity(f.offsetCorrection, unit);
    root["settings"] = std::move(s);

    OrderedJson c = OrderedJson::object();
    c[Key(Setting::ResistanceCal)] = FloatJson(f.resistanceCal);
    c[Key(Setting::MillivoltCal)] = f.millivoltCal;
    c[Key(Setting::AmbientCal)] = f.ambientCal;
    c[Key(Setting::VoltageCal)] = f.voltageCal;
    c[Key(Setting::CurrentCal)] = f.currentCal;
    c[Key(Setting::Out1ZeroTrim)] = f.out1ZeroTrim;
    c[Key(Setting::Out1FullTrim)] = f.out1FullTrim;
    c[Key(Setting::Out2ZeroTrim)] = f.out2ZeroTrim;
    c[Key(Setting::Out2FullTrim)] = f.out2FullTrim;
    root["calibration"] = std::move(c);
    root["block"] = BlockHex(record.block);
    // Names and words are the tool's own UTF-8; a saved "tool" or "saved"
    // text from an edited file may not be, and must not stop the save.
    return root.dump(2, ' ', false, OrderedJson::error_handler_t::replace) + "\n";
}

ConfigParse ParseConfig(std::string_view text) {
    if (text.size() > kMaxConfigFileBytes) return {std::nullopt, "it is larger than 1 MiB"};
    if (text.find_first_not_of(" \t\r\n") == std::string_view::npos) return {std::nullopt, "it is empty"};
    try {
        Document doc;
        DocumentBuilder builder(doc);
        if (!Json::sax_parse(text.begin(), text.end(), &builder)) {
            if (!builder.Refusal().empty()) return {std::nullopt, builder.Refusal()};
            // A number beyond double range (1e400) is syntax nlohmann refuses
            // to convert; it is no device's number either.
            if (builder.ErrorId() == 406)
                return {std::nullopt, "it holds the number " + builder.ErrorToken() +
                                          ", outside the range of the device's numbers"};
            // A file cut short fails where the text ends; anything else is not JSON.
            if (builder.ErrorPosition() >= text.size())
                return {std::nullopt, "it is truncated (the text ends inside the JSON)"};
            return {std::nullopt, "it is not JSON (error at byte " + std::to_string(builder.ErrorPosition()) + ")"};
        }
        return {ReadRecord(doc), {}};
    } catch (const Refusal& r) {
        return {std::nullopt, r.reason};
    } catch (const std::exception& e) {
        // Nothing a file holds may end the program: whatever the library
        // throws is a refusal too.
        return {std::nullopt, std::string("it holds an unreadable value (") + e.what() + ")"};
    }
}

ConfigLoad LoadConfigFile(const std::filesystem::path& file) {
    const std::string prefix = std::string("Cannot open the configuration \"") + Utf8(file) + "\": ";
    RegularFileText read = ReadRegularFile(file, kMaxConfigFileBytes);
    if (!read.error.empty()) return {std::nullopt, prefix + read.error};
    ConfigParse parsed = ParseConfig(read.text);
    if (!parsed.record) return {std::nullopt, prefix + parsed.reason};
    return {std::move(parsed.record), {}};
}

std::vector<LeftSetting> SettingsOutOfRange(const ConfigRecord& record) {
    const ParamFields& f = record.fields;
    std::array<std::uint8_t, kParamBlockSize> block{};
    f.Write(block);
    std::vector<LeftSetting> out;
    for (const SettingInfo& s : kSettings) {
        if (s.group != SettingGroup::Installation) continue;
        const std::string name(s.word);
        if (s.id == Setting::InputType) {
            if (Offers(f.model, f.inputType)) continue;
            const std::string value = name + " is " + std::to_string(f.inputType);
            out.push_back({name, RowOfCode(f.inputType) == kNoRow
                                     ? value + ", which names no input type"
                                     : value + " (" + std::string(TypeName(f.inputType)) + "), which " +
                                           ModelPhrase(f.model) + " does not offer"});
        } else if (!FieldInLimits(s, block)) {
            out.push_back({name, OutsidePhrase(s, block)});
        }
    }
    return out;
}

AppliedConfig ApplyConfig(const ConfigRecord& record, const ParamFields& current, bool withCalibration) {
    std::array<std::uint8_t, kParamBlockSize> file{}, device{}, to{};
    record.fields.Write(file);
    current.Write(device);
    to = device;
    AppliedConfig a{current, {}};
    const std::vector<LeftSetting> outside = SettingsOutOfRange(record);
    const auto leftFor = [&](std::string_view name) {
        return std::find_if(outside.begin(), outside.end(), [&](const LeftSetting& l) { return l.name == name; });
    };
    const auto held = [&](const SettingInfo& s) {
        return std::equal(file.begin() + s.offset, file.begin() + s.offset + s.width, device.begin() + s.offset);
    };
    const auto take = [&](const SettingInfo& s) {
        std::copy(file.begin() + s.offset, file.begin() + s.offset + s.width, to.begin() + s.offset);
    };

    // The catalogue lists the input type first, so it is decided before the
    // numbers in its unit.
    const int fileType = record.fields.inputType;
    for (const SettingInfo& s : kSettings) {
        const bool calibration = s.group == SettingGroup::Calibration;
        if (calibration) {
            // Calibration constants and trims belong to one device's sensor
            // and outputs: taken only when asked for, and as they are.
            if (withCalibration) take(s);
            continue;
        }
        if (s.group != SettingGroup::Installation || held(s)) continue;
        const std::string name(s.word);
        if (const auto it = leftFor(name); it != outside.end()) {
            a.left.push_back(*it);
            continue;
        }
        // Range ends and offset are numbers in the input type's unit: put
        // under another type's unit they would mean something else.
        const int toType = to[InfoOf(Setting::InputType).offset];
        const std::string_view fileUnit = UnitOfCode(fileType);
        const std::string_view deviceUnit = UnitOfCode(toType);
        if (s.inRangeUnit && toType != fileType && (fileUnit.empty() || fileUnit != deviceUnit)) {
            a.left.push_back({name, name + " is in " + (fileUnit.empty() ? "no known unit" : std::string(fileUnit)) +
                                        ", the unit of " + TypePhrase(fileType) + ", which is left; the device measures in " +
                                        (deviceUnit.empty() ? "no known unit" : std::string(deviceUnit))});
            continue;
        }
        take(s);
    }
    a.fields = ParamFields::Read(to);
    return a;
}

std::string DescribeLeft(const std::vector<LeftSetting>& left) {
    std::string out;
    for (const auto& l : left) out += (out.empty() ? "" : "; ") + l.reason;
    return out;
}

std::string CheckModelAccepts(int model, const ConfigRecord& record) {
    const int code = record.fields.inputType;
    if (!FindModel(model)) return "the connected device's model is not known: read the device first";
    // A type outside its own model's list is never written: nothing to refuse.
    if (!Offers(record.fields.model, code) || Offers(model, code)) return {};
    return std::string("the connected device (") + std::string(ModelName(model)) + ") does not accept the input type " +
           std::string(TypeName(code));
}

namespace {

// Days since 1970-01-01 of a civil date (Howard Hinnant's algorithm).
std::int64_t DaysFromCivil(std::int64_t y, unsigned m, unsigned d) {
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const auto yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

std::int64_t SecondsOf(const std::tm& t) {
    return DaysFromCivil(t.tm_year + 1900LL, static_cast<unsigned>(t.tm_mon + 1), static_cast<unsigned>(t.tm_mday)) *
               86400 +
           t.tm_hour * 3600 + t.tm_min * 60 + t.tm_sec;
}

void Calendars(std::time_t when, std::tm& local, std::tm& utc) {
#if defined(_WIN32)
    localtime_s(&local, &when);
    gmtime_s(&utc, &when);
#else
    localtime_r(&when, &local);
    gmtime_r(&when, &utc);
#endif
}

}  // namespace

int UtcOffsetMinutes(std::time_t when) {
    std::tm local{}, utc{};
    Calendars(when, local, utc);
    // The same instant read on the two calendars differs by the offset.
    return static_cast<int>((SecondsOf(local) - SecondsOf(utc)) / 60);
}

std::string IsoTimestamp(std::time_t when) {
    std::tm local{}, utc{};
    Calendars(when, local, utc);
    const std::int64_t offsetMinutes = UtcOffsetMinutes(when);
    const std::int64_t magnitude = offsetMinutes < 0 ? -offsetMinutes : offsetMinutes;
    char buf[64];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02dT%02d:%02d:%02d%c%02d:%02d", local.tm_year + 1900, local.tm_mon + 1,
                  local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec, offsetMinutes < 0 ? '-' : '+',
                  static_cast<int>(magnitude / 60), static_cast<int>(magnitude % 60));
    return buf;
}

std::string IsoTimestampNow() { return IsoTimestamp(std::time(nullptr)); }

namespace {

std::string Errno() { return std::strerror(errno); }

// A name no other save chooses: a process's own save and another's never
// meet, and a name taken is tried again with another.
std::string UniqueTempName(const std::filesystem::path& target) {
    static thread_local std::mt19937_64 random{std::random_device{}()};
    char hex[17];
    std::snprintf(hex, sizeof hex, "%016llx", static_cast<unsigned long long>(random()));
    std::string name = ".";
    name.append(Utf8(target.filename())).append(".tmp-").append(hex);
    return name;
}

#if defined(_WIN32)

std::string WriteAndReplace(const std::filesystem::path& target, std::string_view text) {
    std::error_code ec;
    const auto status = std::filesystem::status(target, ec);
    if (!ec && std::filesystem::exists(status) && !std::filesystem::is_regular_file(status))
        return std::filesystem::is_directory(status) ? "it is a folder" : "it is not a regular file";
    const std::filesystem::path dir = target.has_parent_path() ? target.parent_path() : std::filesystem::path(".");
    std::filesystem::path temp;
    int fd = -1;
    for (int attempt = 0; attempt < 16 && fd < 0; ++attempt) {
        const std::string name = UniqueTempName(target);
        temp = dir / std::filesystem::path(std::u8string(name.begin(), name.end()));
        fd = _wopen(temp.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY, _S_IREAD | _S_IWRITE);
        if (fd < 0 && errno != EEXIST) return Errno();
    }
    if (fd < 0) return Errno();
    std::string error;
    for (std::size_t done = 0; done < text.size() && error.empty();) {
        const unsigned chunk = static_cast<unsigned>(std::min<std::size_t>(text.size() - done, 1u << 20));
        const int n = _write(fd, text.data() + done, chunk);
        if (n <= 0) error = n < 0 ? Errno() : "nothing could be written";
        else done += static_cast<std::size_t>(n);
    }
    if (error.empty() && _commit(fd) != 0) error = Errno();
    if (_close(fd) != 0 && error.empty()) error = Errno();
    if (error.empty()) {
        std::filesystem::rename(temp, target, ec);
        if (ec) error = ec.message();
    }
    if (!error.empty()) std::filesystem::remove(temp, ec);
    return error;
}

#else

// The file a path names after its symbolic links, the last one included: a
// save replaces that file and leaves the links as they are.
std::filesystem::path ThroughLinks(std::filesystem::path path, std::string& error) {
    for (int depth = 0; depth < 40; ++depth) {
        std::error_code ec;
        if (!std::filesystem::is_symlink(std::filesystem::symlink_status(path, ec))) return path;
        const std::filesystem::path to = std::filesystem::read_symlink(path, ec);
        if (ec) {
            error = ec.message();
            return path;
        }
        path = to.is_absolute() ? to : path.parent_path() / to;
    }
    error = std::strerror(ELOOP);
    return path;
}

bool WriteAll(int fd, std::string_view text, std::string& error) {
    for (std::size_t done = 0; done < text.size();) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            error = n < 0 ? Errno() : "nothing could be written";
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

std::string WriteAndReplace(const std::filesystem::path& given, std::string_view text) {
    std::string error;
    const std::filesystem::path target = ThroughLinks(given, error);
    if (!error.empty()) return error;
    struct stat old {};
    const bool replacing = ::stat(target.c_str(), &old) == 0;
    if (replacing && !S_ISREG(old.st_mode)) return S_ISDIR(old.st_mode) ? "it is a folder" : "it is not a regular file";
    const std::filesystem::path dir = target.has_parent_path() ? target.parent_path() : std::filesystem::path(".");

    // A file without a name until it is complete: a save killed half way
    // leaves nothing behind. Where the file system cannot do that, a
    // uniquely named one is used and removed on every failure.
    bool named = false;
    std::filesystem::path temp;
    int fd = ::open(dir.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
    if (fd < 0) {
        named = true;
        for (int attempt = 0; attempt < 16 && fd < 0; ++attempt) {
            temp = dir / UniqueTempName(target);
            fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, 0666);
            if (fd < 0 && errno != EEXIST) return Errno();
        }
        if (fd < 0) return Errno();
    }
    // What the old file allowed, the new one allows: a private file stays private.
    if (replacing) {
        if (::fchmod(fd, old.st_mode & 07777) != 0) error = Errno();
        if (error.empty() && (old.st_uid != ::geteuid() || old.st_gid != ::getegid()))
            (void)!::fchown(fd, old.st_uid, old.st_gid);  // only root may; others keep their own
    }
    // The rename must not reach the disk before the data does.
    if (error.empty() && WriteAll(fd, text, error) && ::fsync(fd) != 0) error = Errno();
    if (error.empty() && !named) {
        const std::string self = "/proc/self/fd/" + std::to_string(fd);
        for (int attempt = 0; attempt < 16; ++attempt) {
            temp = dir / UniqueTempName(target);
            if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, temp.c_str(), AT_SYMLINK_FOLLOW) == 0) {
                named = true;
                break;
            }
            if (errno != EEXIST) break;
        }
        if (!named) error = Errno();
    }
    if (::close(fd) != 0 && error.empty()) error = Errno();
    if (error.empty() && ::rename(temp.c_str(), target.c_str()) != 0) error = Errno();
    if (!error.empty()) {
        if (named) ::unlink(temp.c_str());
        return error;
    }
    // The new name itself is made durable with the folder.
    if (const int dirFd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC); dirFd >= 0) {
        ::fsync(dirFd);
        ::close(dirFd);
    }
    return {};
}

#endif

}  // namespace

std::string WriteFileAtomically(const std::filesystem::path& target, std::string_view text) {
    const std::string error = WriteAndReplace(target, text);
    if (error.empty()) return {};
    return std::string("Cannot save \"") + Utf8(target) + "\": " + error;
}

}  // namespace orv::config
