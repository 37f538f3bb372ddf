#pragma once
// What the check's two files (the record and the kept set-up) share: single
// precision JSON, the reading helpers that refuse with the path of the
// offending field, and the set-up object both hold. Only their sources
// include this; nothing outside the calib layer sees the JSON library.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "calib/CheckSetup.h"

namespace orv::calib::checkjson {

// Floats are single precision from the text on: the lexer reads a number
// with strtof, and the writer gives the shortest text strtof reads back as
// the same float. Nothing goes through double on the way.
using Json = nlohmann::basic_json<nlohmann::ordered_map, std::vector, std::string, bool, std::int64_t, std::uint64_t,
                                  float>;

// Thrown by the readers below with the reason in words for the user.
struct Refusal {
    std::string reason;
};
[[noreturn]] void Refuse(std::string reason);

std::string Utf8(const std::filesystem::path& file);
std::string Quoted(const std::string& path);
std::string Join(const std::string& parent, const std::string& name);
std::string Index(const std::string& parent, std::size_t k);

const Json& Member(const Json& parent, const std::string& parentPath, const char* name);
const Json& Typed(const Json& parent, const std::string& parentPath, const char* name, Json::value_t type,
                  const char* what);
std::string Text(const Json& parent, const std::string& path, const char* name);
bool Flag(const Json& parent, const std::string& path, const char* name);
float Number(const Json& v, const std::string& path);
float Number(const Json& parent, const std::string& path, const char* name);
int Whole(const Json& parent, const std::string& path, const char* name, int lo, int hi);

// The "format" and "version" every file of the tool starts with: refused
// when the format is another's or the version newer than this program's.
void CheckFormat(const Json& root, std::string_view format, int version, const char* what);

Json SetupJson(const CheckSetup& setup);
// The set-up object at root["setup"]; refused when it cannot run.
CheckSetup ReadSetup(const Json& root);

// Parses text, turning the library's complaints into a reason for the user.
struct Parsed {
    Json root;
    std::string reason;  // empty when parsed
};
Parsed ParseJson(std::string_view text);

}  // namespace orv::calib::checkjson
