#include "calib/CheckSetupFile.h"

#include <system_error>

#include "calib/CheckJson.h"
#include "config/ConfigFile.h"
#include "config/RegularFile.h"

namespace orv::calib {

using namespace checkjson;

std::string SerializeCheckSetup(const CheckSetup& setup) {
    Json root = Json::object();
    root["format"] = std::string(kCheckSetupFormat);
    root["version"] = kCheckSetupVersion;
    root["setup"] = SetupJson(setup);
    return root.dump(2, ' ', false, Json::error_handler_t::replace) + "\n";
}

CheckSetupParse ParseCheckSetup(std::string_view text) {
    if (text.size() > kMaxCheckSetupBytes) return {std::nullopt, "it is larger than 64 KiB"};
    Parsed parsed = ParseJson(text);
    if (!parsed.reason.empty()) return {std::nullopt, parsed.reason};
    try {
        CheckFormat(parsed.root, kCheckSetupFormat, kCheckSetupVersion, "a check set-up of this tool");
        return {ReadSetup(parsed.root), {}};
    } catch (const Refusal& r) {
        return {std::nullopt, r.reason};
    } catch (const Json::exception& e) {
        return {std::nullopt, std::string("it holds an unreadable value (") + e.what() + ")"};
    }
}

CheckSetupLoad LoadCheckSetup(const std::filesystem::path& file) {
    std::error_code ec;
    if (!std::filesystem::exists(std::filesystem::symlink_status(file, ec))) return {};
    const std::string prefix = "The kept check set-up \"" + Utf8(file) + "\" cannot be read: ";
    const config::RegularFileText read = config::ReadRegularFile(file, kMaxCheckSetupBytes);
    if (!read.error.empty()) return {std::nullopt, prefix + read.error};
    CheckSetupParse parsed = ParseCheckSetup(read.text);
    if (!parsed.setup) return {std::nullopt, prefix + parsed.reason};
    return {std::move(parsed.setup), {}};
}

std::string SaveCheckSetup(const std::filesystem::path& file, const CheckSetup& setup) {
    const std::string text = SerializeCheckSetup(setup);
    if (text.size() > kMaxCheckSetupBytes)
        return "Cannot save \"" + Utf8(file) + "\": the set-up's texts are longer than the file may be (64 KiB)";
    std::error_code ec;
    if (file.has_parent_path()) std::filesystem::create_directories(file.parent_path(), ec);
    if (ec) return "Cannot save \"" + Utf8(file) + "\": its folder cannot be made (" + ec.message() + ")";
    return config::WriteFileAtomically(file, text);
}

}  // namespace orv::calib
