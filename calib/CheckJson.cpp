#include "calib/CheckJson.h"

#include <cmath>

namespace orv::calib::checkjson {

void Refuse(std::string reason) { throw Refusal{std::move(reason)}; }

std::string Utf8(const std::filesystem::path& file) {
    const std::u8string s = file.u8string();
    return std::string(s.begin(), s.end());
}

std::string Quoted(const std::string& path) { return "\"" + path + "\""; }
std::string Join(const std::string& parent, const std::string& name) {
    return parent.empty() ? name : parent + "." + name;
}
std::string Index(const std::string& parent, std::size_t k) { return parent + "[" + std::to_string(k) + "]"; }

const Json& Member(const Json& parent, const std::string& parentPath, const char* name) {
    const auto it = parent.find(name);
    if (it == parent.end()) Refuse("the field " + Quoted(Join(parentPath, name)) + " is missing");
    return *it;
}

const Json& Typed(const Json& parent, const std::string& parentPath, const char* name, Json::value_t type,
                  const char* what) {
    const Json& v = Member(parent, parentPath, name);
    if (v.type() != type) Refuse(Quoted(Join(parentPath, name)) + " must be " + what);
    return v;
}

std::string Text(const Json& parent, const std::string& path, const char* name) {
    return Typed(parent, path, name, Json::value_t::string, "text").get<std::string>();
}

bool Flag(const Json& parent, const std::string& path, const char* name) {
    return Typed(parent, path, name, Json::value_t::boolean, "true or false").get<bool>();
}

float Number(const Json& v, const std::string& path) {
    if (!v.is_number()) Refuse(Quoted(path) + " must be a number");
    const float f = v.get<float>();
    if (!std::isfinite(f)) Refuse(Quoted(path) + " is a number too large for the tool's numbers");
    return f;
}

float Number(const Json& parent, const std::string& path, const char* name) {
    return Number(Member(parent, path, name), Join(path, name));
}

int Whole(const Json& parent, const std::string& path, const char* name, int lo, int hi) {
    const Json& v = Member(parent, path, name);
    const std::string at = Join(path, name);
    if (!v.is_number_integer()) Refuse(Quoted(at) + " must be a whole number");
    const bool inRange = v.is_number_unsigned() ? v.get<std::uint64_t>() <= static_cast<std::uint64_t>(hi)
                                                : v.get<std::int64_t>() >= lo && v.get<std::int64_t>() <= hi;
    if (!inRange) Refuse(Quoted(at) + " is " + v.dump() + ", outside " + std::to_string(lo) + " to " + std::to_string(hi));
    return static_cast<int>(v.get<std::int64_t>());
}

void CheckFormat(const Json& root, std::string_view format, int version, const char* what) {
    const auto found = root.is_object() ? root.find("format") : root.end();
    if (!root.is_object() || found == root.end() || !found->is_string() || found->get<std::string>() != format)
        Refuse(std::string("it is not ") + what + " (the format is not \"" + std::string(format) + "\")");
    const Json& v = Member(root, "", "version");
    if (v.is_number_integer() && !v.is_number_unsigned() && v.get<std::int64_t>() < 1)
        Refuse("\"version\" is " + v.dump() + ", which no program wrote");
    if (!v.is_number_integer()) Refuse("\"version\" must be a whole number");
    if (v.get<std::uint64_t>() > static_cast<std::uint64_t>(version))
        Refuse("it was written in format version " + v.dump() + " by a newer program; this one reads version " +
               std::to_string(version));
}

Json SetupJson(const CheckSetup& s) {
    Json j = Json::object();
    j["points"] = Json::array();
    for (float p : s.points) j["points"].push_back(p);
    j["downwards"] = s.downwards;
    j["tolerance"] = s.tolerance;
    j["readings"] = s.readings;
    j["settleTime"] = s.settleSeconds;
    j["reference"] = Json{{"name", s.reference.name}, {"serial", s.reference.serial}, {"due", s.reference.dueDate}};
    j["technician"] = s.technician;
    j["tag"] = s.tag;
    j["location"] = s.location;
    return j;
}

CheckSetup ReadSetup(const Json& root) {
    const std::string path = "setup";
    const Json& j = Typed(root, "", "setup", Json::value_t::object, "an object");
    CheckSetup s;
    const Json& points = Typed(j, path, "points", Json::value_t::array, "a list of numbers");
    s.points.clear();
    for (std::size_t k = 0; k < points.size(); ++k) s.points.push_back(Number(points[k], Index("setup.points", k)));
    s.downwards = Flag(j, path, "downwards");
    s.tolerance = Number(j, path, "tolerance");
    s.readings = Whole(j, path, "readings", 1, kMaxReadings);
    s.settleSeconds = Whole(j, path, "settleTime", 1, kMaxSettleSeconds);
    const Json& ref = Typed(j, path, "reference", Json::value_t::object, "an object");
    s.reference.name = Text(ref, "setup.reference", "name");
    s.reference.serial = Text(ref, "setup.reference", "serial");
    s.reference.dueDate = Text(ref, "setup.reference", "due");
    s.technician = Text(j, path, "technician");
    s.tag = Text(j, path, "tag");
    s.location = Text(j, path, "location");
    if (const auto problems = SetupProblems(s); !problems.empty())
        Refuse("its set-up is not one a check runs with: " + problems.front());
    return s;
}

Parsed ParseJson(std::string_view text) {
    try {
        return {Json::parse(text.begin(), text.end()), {}};
    } catch (const Json::parse_error& e) {
        if (e.byte >= text.size()) return {{}, "it is truncated (the text ends inside the JSON)"};
        return {{}, "it is not JSON in UTF-8 (error at byte " + std::to_string(e.byte) + ")"};
    } catch (const Json::exception&) {
        // The parser's only other complaint: a number beyond double's range.
        return {{}, "it holds a number too large for the tool's numbers"};
    }
}

}  // namespace orv::calib::checkjson
